#include "json_file.h"

#include <QFile>
#include <QFileInfo>

namespace lustrelab {

namespace {

template <typename Result> Result failed(QString* error, const QString& reason)
{
    if (error)
        *error = reason;
    return std::nullopt;
}

} // namespace

std::optional<QByteArray> readFileBytes(const QString& path, qint64 limit, QString* error)
{
    using Bytes = std::optional<QByteArray>;
    if (QFileInfo(path).isDir())
        return failed<Bytes>(error, QStringLiteral("is a folder, not a file"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failed<Bytes>(error, QStringLiteral("cannot read: %1").arg(file.errorString()));
    QByteArray bytes = file.read(limit + 1);
    if (bytes.size() > limit)
        return failed<Bytes>(
            error, QStringLiteral("larger than any such file this version reads (%1 MiB)").arg(limit >> 20));
    return bytes;
}

std::optional<Json> parseJson(QByteArrayView bytes, QString* error)
{
    try {
        return Json::parse(bytes.begin(), bytes.end());
    } catch (const Json::exception& e) {
        // Syntax errors, and numbers beyond a double (1e999) which the parser
        // reports as out of range. Drop the "[json.exception.parse_error.101] "
        // prefix; keep line and column.
        QString message = QString::fromUtf8(e.what());
        if (message.startsWith(u'['))
            message = message.mid(message.indexOf(u']') + 1).trimmed();
        return failed<std::optional<Json>>(error, QStringLiteral("invalid JSON: %1").arg(message));
    }
}

std::optional<Json> readJsonFile(const QString& path, QString* error)
{
    const std::optional<QByteArray> bytes = readFileBytes(path, jsonFileLimit, error);
    return bytes ? parseJson(*bytes, error) : std::nullopt;
}

} // namespace lustrelab
