#pragma once

#include <QDateTime>
#include <QString>

namespace lustrelab {

// The desktop's list of recently used files (~/.local/share/recently-used.xbel,
// an XBEL document), which file choosers and launchers offer.
struct RecentlyUsedEntry
{
    QString filePath; // absolute
    QString mimeType;
    QString applicationName; // "Lustrelab"
    QString applicationExec; // "'lustrelab %u'", as the list quotes it
    QDateTime when = QDateTime::currentDateTimeUtc();
};

// The standard place of the list: $XDG_DATA_HOME/recently-used.xbel.
QString recentlyUsedListPath();

// Adds `entry` to the list at `path`, or brings the file's bookmark up to
// date when it is there already (keeping when it was first added), and keeps
// every other bookmark as it was. Written atomically. A list that exists but
// cannot be read as XBEL is left alone (another program owns it): false, with
// the reason.
bool addRecentlyUsed(const QString& path, const RecentlyUsedEntry& entry, QString* error = nullptr);

} // namespace lustrelab
