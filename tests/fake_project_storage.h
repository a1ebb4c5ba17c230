#pragma once

// Project files held in memory, for the tests of what the window and the
// session do with them; the format's own tests are elsewhere. A write leaves
// a small file on disk, so the files exist for whoever looks.

#include "state/project_storage.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QSemaphore>
#include <QStringList>

namespace lustrelab::test {

class FakeProjectStorage : public ProjectStorage
{
  public:
    QString write(const QString& path, const Document& document, const QImage&) const override
    {
        if (m_holdWrites)
            m_release.acquire(); // until the test lets it go
        QMutexLocker lock(&m_mutex);
        m_writes.append(path);
        if (!m_failure.isEmpty())
            return m_failure;
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return file.errorString();
        file.write("fake project");
        m_files.insert(QFileInfo(path).absoluteFilePath(), document);
        return {};
    }
    Read read(const QString& path) const override
    {
        QMutexLocker lock(&m_mutex);
        const auto found = m_files.constFind(QFileInfo(path).absoluteFilePath());
        if (found == m_files.cend())
            return {std::nullopt, QStringLiteral("not a project")};
        return {*found, {}};
    }
    bool isProject(const QString& path) const override { return QFileInfo(path).suffix() == u"lustrelab"; }

    // Every write fails with `reason` (empty: none fails).
    void failWith(const QString& reason)
    {
        QMutexLocker lock(&m_mutex);
        m_failure = reason;
    }
    // Writes wait for release() one by one.
    void holdWrites() { m_holdWrites = true; }
    void release() { m_release.release(); }
    QStringList writes() const
    {
        QMutexLocker lock(&m_mutex);
        return m_writes;
    }
    // A project on disk that read() gives back.
    void put(const QString& path, const Document& document)
    {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write("fake project");
        QMutexLocker lock(&m_mutex);
        m_files.insert(QFileInfo(path).absoluteFilePath(), document);
    }
    std::optional<Document> stored(const QString& path) const
    {
        QMutexLocker lock(&m_mutex);
        const auto found = m_files.constFind(QFileInfo(path).absoluteFilePath());
        return found == m_files.cend() ? std::nullopt : std::optional(*found);
    }

  private:
    mutable QMutex m_mutex;
    mutable QStringList m_writes;
    mutable QHash<QString, Document> m_files;
    QString m_failure;
    bool m_holdWrites = false;
    mutable QSemaphore m_release;
};

} // namespace lustrelab::test
