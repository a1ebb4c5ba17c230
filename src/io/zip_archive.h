#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <memory>
#include <optional>

struct zip;

namespace lustrelab {

// A ZIP archive held in memory, read through libzip. Entries are found by
// their exact name and read whole into memory, never extracted to files, so
// an entry named "../x" or "/etc/x" can do no harm: it is simply never asked for.
class ZipReader
{
  public:
    enum class Failure { none, notZip, damaged };

    // `bytes` must outlive the reader.
    static std::optional<ZipReader> open(QByteArrayView bytes, Failure* failure, QString* error);

    ZipReader(ZipReader&&) noexcept;
    ZipReader& operator=(ZipReader&&) noexcept;
    ~ZipReader();

    // The name of the first entry, empty for an empty archive.
    QString firstName() const;
    std::optional<quint64> indexOf(const QString& name) const;
    // What the central directory says the entry inflates to.
    quint64 declaredSize(quint64 index) const;
    // At most `count` bytes from the start of the entry.
    std::optional<QByteArray> readStart(quint64 index, qsizetype count, QString* error) const;
    // The whole entry, which must inflate to exactly its declared size (and
    // checksum): reading stops there, so a lying header cannot make it grow.
    std::optional<QByteArray> readAll(quint64 index, QString* error) const;

  private:
    explicit ZipReader(zip* archive) : m_archive(archive) {}
    zip* m_archive = nullptr;
};

// Builds an archive in memory, entries in the order added.
class ZipWriter
{
  public:
    enum class Compression { store, deflate };
    void add(const QString& name, QByteArray data, Compression compression);
    std::optional<QByteArray> finish(QString* error) const;

  private:
    struct Entry
    {
        QString name;
        QByteArray data;
        Compression compression;
    };
    QList<Entry> m_entries;
};

} // namespace lustrelab
