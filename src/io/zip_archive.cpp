#include "zip_archive.h"

#include <cstdio>
#include <utility>
#include <zip.h>

namespace lustrelab {

namespace {

QString errorText(zip_error_t* error)
{
    return QString::fromLocal8Bit(zip_error_strerror(error));
}

QString archiveError(zip* archive)
{
    return QString::fromLocal8Bit(zip_strerror(archive));
}

struct FileCloser
{
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};
using OpenEntry = std::unique_ptr<zip_file_t, FileCloser>;

} // namespace

std::optional<ZipReader> ZipReader::open(QByteArrayView bytes, Failure* failure, QString* error)
{
    zip_error_t zipError;
    zip_error_init(&zipError);
    *failure = Failure::damaged;
    // libzip reads an empty buffer as an empty archive, a file that is no archive at all.
    if (bytes.isEmpty()) {
        *failure = Failure::notZip;
        *error = QStringLiteral("the file is empty");
        return std::nullopt;
    }
    zip_source_t* source = zip_source_buffer_create(bytes.data(), zip_uint64_t(bytes.size()), 0, &zipError);
    if (!source) {
        *error = errorText(&zipError);
        zip_error_fini(&zipError);
        return std::nullopt;
    }
    zip* archive = zip_open_from_source(source, ZIP_RDONLY, &zipError);
    if (!archive) {
        if (zip_error_code_zip(&zipError) == ZIP_ER_NOZIP)
            *failure = Failure::notZip;
        *error = errorText(&zipError);
        zip_error_fini(&zipError);
        zip_source_free(source);
        return std::nullopt;
    }
    zip_error_fini(&zipError);
    *failure = Failure::none;
    return ZipReader(archive);
}

ZipReader::ZipReader(ZipReader&& other) noexcept : m_archive(std::exchange(other.m_archive, nullptr)) {}

ZipReader& ZipReader::operator=(ZipReader&& other) noexcept
{
    std::swap(m_archive, other.m_archive);
    return *this;
}

ZipReader::~ZipReader()
{
    if (m_archive)
        zip_discard(m_archive); // frees the source too; nothing was changed
}

QString ZipReader::firstName() const
{
    if (zip_get_num_entries(m_archive, 0) < 1)
        return {};
    const char* name = zip_get_name(m_archive, 0, ZIP_FL_ENC_GUESS);
    return name ? QString::fromUtf8(name) : QString();
}

std::optional<quint64> ZipReader::indexOf(const QString& name) const
{
    const zip_int64_t index = zip_name_locate(m_archive, name.toUtf8().constData(), ZIP_FL_ENC_GUESS);
    if (index < 0)
        return std::nullopt;
    return quint64(index);
}

quint64 ZipReader::declaredSize(quint64 index) const
{
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(m_archive, index, 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE))
        return 0;
    return stat.size;
}

std::optional<QByteArray> ZipReader::readStart(quint64 index, qsizetype count, QString* error) const
{
    OpenEntry file(zip_fopen_index(m_archive, index, 0));
    if (!file) {
        *error = archiveError(m_archive);
        return std::nullopt;
    }
    QByteArray bytes(count, Qt::Uninitialized);
    const zip_int64_t read = zip_fread(file.get(), bytes.data(), zip_uint64_t(count));
    if (read < 0) {
        *error = QString::fromLocal8Bit(zip_file_strerror(file.get()));
        return std::nullopt;
    }
    bytes.truncate(qsizetype(read));
    return bytes;
}

std::optional<QByteArray> ZipReader::readAll(quint64 index, QString* error) const
{
    const quint64 size = declaredSize(index);
    OpenEntry file(zip_fopen_index(m_archive, index, 0));
    if (!file) {
        *error = archiveError(m_archive);
        return std::nullopt;
    }
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    qsizetype filled = 0;
    while (filled < bytes.size()) {
        const zip_int64_t read =
            zip_fread(file.get(), bytes.data() + filled, zip_uint64_t(bytes.size() - filled));
        if (read < 0) {
            *error = QString::fromLocal8Bit(zip_file_strerror(file.get()));
            return std::nullopt;
        }
        if (read == 0)
            break;
        filled += qsizetype(read);
    }
    // One more byte: the end of the entry, where libzip compares the
    // checksum; anything beyond the declared size means the header lied.
    char beyond = 0;
    const zip_int64_t extra = zip_fread(file.get(), &beyond, 1);
    if (extra < 0) {
        *error = QString::fromLocal8Bit(zip_file_strerror(file.get()));
        return std::nullopt;
    }
    if (filled != bytes.size() || extra != 0) {
        *error = QStringLiteral("the entry does not hold the size its header declares");
        return std::nullopt;
    }
    return bytes;
}

void ZipWriter::add(const QString& name, QByteArray data, Compression compression)
{
    m_entries.append({name, std::move(data), compression});
}

std::optional<QByteArray> ZipWriter::finish(QString* error) const
{
    zip_error_t zipError;
    zip_error_init(&zipError);
    auto fail = [&](const QString& reason) -> std::optional<QByteArray> {
        *error = reason;
        zip_error_fini(&zipError);
        return std::nullopt;
    };
    zip_source_t* target = zip_source_buffer_create(nullptr, 0, 0, &zipError);
    if (!target)
        return fail(errorText(&zipError));
    zip_source_keep(target); // kept past zip_close, which writes into it
    zip* archive = zip_open_from_source(target, ZIP_TRUNCATE, &zipError);
    if (!archive) {
        zip_source_free(target);
        zip_source_free(target);
        return fail(errorText(&zipError));
    }
    for (const Entry& entry : m_entries) {
        // The entries' bytes stay alive in m_entries until zip_close has read them.
        zip_source_t* source =
            zip_source_buffer(archive, entry.data.constData(), zip_uint64_t(entry.data.size()), 0);
        const zip_int64_t index =
            source ? zip_file_add(archive, entry.name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            const QString reason = archiveError(archive);
            if (source)
                zip_source_free(source);
            zip_discard(archive);
            zip_source_free(target);
            return fail(reason);
        }
        // PNG data is deflated already: a second deflate costs time and saves nothing.
        const bool store = entry.compression == Compression::store;
        zip_set_file_compression(archive, zip_uint64_t(index), store ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0);
    }
    if (zip_close(archive) != 0) {
        const QString reason = archiveError(archive);
        zip_discard(archive);
        zip_source_free(target);
        return fail(reason);
    }
    std::optional<QByteArray> bytes;
    if (zip_source_open(target) == 0) {
        zip_source_seek(target, 0, SEEK_END);
        const zip_int64_t size = zip_source_tell(target);
        zip_source_seek(target, 0, SEEK_SET);
        if (size >= 0) {
            QByteArray data(qsizetype(size), Qt::Uninitialized);
            if (zip_source_read(target, data.data(), zip_uint64_t(size)) == size)
                bytes = std::move(data);
        }
        zip_source_close(target);
    }
    zip_source_free(target);
    if (!bytes)
        return fail(QStringLiteral("the archive cannot be read back from memory"));
    zip_error_fini(&zipError);
    return bytes;
}

} // namespace lustrelab
