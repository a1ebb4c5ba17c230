#include "recently_used_list.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace lustrelab {

namespace {

const QString bookmarkNs = QStringLiteral("http://www.freedesktop.org/standards/desktop-bookmarks");
const QString mimeNs = QStringLiteral("http://www.freedesktop.org/standards/shared-mime-info");

QString stamp(const QDateTime& when)
{
    return when.toUTC().toString(Qt::ISODateWithMs);
}

void writeBookmark(QXmlStreamWriter& out, const RecentlyUsedEntry& entry, const QString& href,
                   const QString& added, int count)
{
    const QString now = stamp(entry.when);
    out.writeStartElement(QStringLiteral("bookmark"));
    out.writeAttribute(QStringLiteral("href"), href);
    out.writeAttribute(QStringLiteral("added"), added.isEmpty() ? now : added);
    out.writeAttribute(QStringLiteral("modified"), now);
    out.writeAttribute(QStringLiteral("visited"), now);
    out.writeStartElement(QStringLiteral("info"));
    out.writeStartElement(QStringLiteral("metadata"));
    out.writeAttribute(QStringLiteral("owner"), QStringLiteral("http://freedesktop.org"));
    out.writeEmptyElement(mimeNs, QStringLiteral("mime-type"));
    out.writeAttribute(QStringLiteral("type"), entry.mimeType);
    out.writeStartElement(bookmarkNs, QStringLiteral("applications"));
    out.writeEmptyElement(bookmarkNs, QStringLiteral("application"));
    out.writeAttribute(QStringLiteral("name"), entry.applicationName);
    out.writeAttribute(QStringLiteral("exec"), entry.applicationExec);
    out.writeAttribute(QStringLiteral("modified"), now);
    out.writeAttribute(QStringLiteral("count"), QString::number(count));
    out.writeEndElement(); // applications
    out.writeEndElement(); // metadata
    out.writeEndElement(); // info
    out.writeEndElement(); // bookmark
}

} // namespace

QString recentlyUsedListPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("recently-used.xbel"));
}

bool addRecentlyUsed(const QString& path, const RecentlyUsedEntry& entry, QString* error)
{
    const QString href = QUrl::fromLocalFile(entry.filePath).toString(QUrl::FullyEncoded);
    QByteArray old;
    if (QFile file(path); file.exists()) {
        if (!file.open(QIODevice::ReadOnly)) {
            if (error)
                *error = file.errorString();
            return false;
        }
        old = file.readAll();
    }

    QByteArray written;
    QXmlStreamWriter out(&written);
    out.setAutoFormatting(true);
    out.writeStartDocument();
    out.writeStartElement(QStringLiteral("xbel"));
    out.writeAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
    out.writeNamespace(bookmarkNs, QStringLiteral("bookmark"));
    out.writeNamespace(mimeNs, QStringLiteral("mime"));

    // Every other bookmark is copied as it stands; ours is left out and
    // written anew at the end, so that it counts as the newest.
    QString added;
    int count = 1;
    if (!old.isEmpty()) {
        QXmlStreamReader in(old);
        if (!in.readNextStartElement() || in.name() != u"xbel") {
            if (error)
                *error = QStringLiteral("%1 is not a list of bookmarks").arg(path);
            return false;
        }
        while (in.readNextStartElement()) {
            const bool ours =
                in.name() == u"bookmark" && in.attributes().value(QStringLiteral("href")) == href;
            if (ours) {
                added = in.attributes().value(QStringLiteral("added")).toString();
                while (!in.atEnd() && !(in.isEndElement() && in.name() == u"bookmark")) {
                    in.readNext();
                    if (in.isStartElement() && in.name() == u"application" &&
                        in.attributes().value(QStringLiteral("name")) == entry.applicationName)
                        count = in.attributes().value(QStringLiteral("count")).toInt() + 1;
                }
                continue;
            }
            // The element and everything in it.
            int depth = 0;
            do {
                out.writeCurrentToken(in);
                if (in.isStartElement())
                    ++depth;
                else if (in.isEndElement())
                    --depth;
                if (depth > 0)
                    in.readNext();
            } while (depth > 0 && !in.atEnd());
        }
        if (in.hasError()) {
            if (error)
                *error = QStringLiteral("%1: %2").arg(path, in.errorString());
            return false;
        }
    }
    writeBookmark(out, entry, href, added, count);
    out.writeEndElement(); // xbel
    out.writeEndDocument();

    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(written) != written.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace lustrelab
