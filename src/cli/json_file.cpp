#include "json_file.h"

#include <QFile>
#include <QFileInfo>

namespace lustrelab {

std::optional<Json> readJsonFile(const QString& path, QString* error)
{
    if (QFileInfo(path).isDir()) {
        *error = QStringLiteral("is a folder, not a JSON file");
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read: %1").arg(file.errorString());
        return std::nullopt;
    }
    return parseJson(file.readAll(), error);
}

std::optional<Json> parseJson(const QByteArray& bytes, QString* error)
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
        *error = QStringLiteral("invalid JSON: %1").arg(message);
        return std::nullopt;
    }
}

} // namespace lustrelab
