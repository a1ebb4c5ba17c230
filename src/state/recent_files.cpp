#include "recent_files.h"

#include "base/run_then_deliver.h"
#include "io/recently_used_list.h"

#include <QFileInfo>

namespace lustrelab {

RecentFiles::RecentFiles(PreferencesStore& preferences, QString desktopList, QObject* parent)
    : QObject(parent), m_desktopList(desktopList.isEmpty() ? recentlyUsedListPath() : std::move(desktopList)),
      m_preferences(preferences)
{
    m_worker.setMaxThreadCount(1);
}

RecentFiles::~RecentFiles()
{
    waitForPool(m_worker);
}

QStringList RecentFiles::files() const
{
    QStringList present;
    for (const QString& path : m_preferences.recentFiles())
        if (QFileInfo::exists(path) && !present.contains(path))
            present.append(path);
    return present.mid(0, maxFiles);
}

void RecentFiles::add(const QString& path, const QString& mimeType)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList paths = m_preferences.recentFiles();
    paths.removeAll(absolute);
    paths.prepend(absolute);
    m_preferences.setRecentFiles(paths.mid(0, maxFiles));
    emit changed();
    const RecentlyUsedEntry entry{absolute, mimeType, QStringLiteral("Lustrelab"),
                                  QStringLiteral("'lustrelab %u'")};
    runThenDeliver(
        m_worker, this,
        [list = m_desktopList, entry] {
            QString error;
            addRecentlyUsed(list, entry, &error);
            return error;
        },
        [this](const QString& error) { emit desktopListWritten(error); });
}

void RecentFiles::clear()
{
    m_preferences.setRecentFiles({});
    emit changed();
}

} // namespace lustrelab
