#include "guarded_json_file.h"

#include "io/json_file.h"

#include <QDateTime>
#include <QFile>
#include <QSaveFile>
#include <cstdio>

namespace lustrelab {

namespace {

void printLine(const QString& line)
{
    const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

} // namespace

GuardedJsonFile::GuardedJsonFile(QString path, QString what) : m_path(std::move(path)), m_what(std::move(what))
{
}

std::optional<Json> GuardedJsonFile::read()
{
    if (!QFile::exists(m_path))
        return std::nullopt;
    QString error;
    std::optional<Json> json = readJsonFile(m_path, &error);
    if (json)
        m_unreadableCopyPath.clear();
    else
        markUnreadable(error);
    return json;
}

void GuardedJsonFile::markUnreadable(const QString& reason)
{
    // The user's data may still be in there (a newer format, a hand edit):
    // keep the file, to be moved aside rather than overwritten.
    m_unreadableCopyPath = m_path + QStringLiteral(".unreadable-") +
                           QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    printLine(QStringLiteral("Failed to load %1: %2 (the file will be kept as %3 when %1 are next saved)")
                  .arg(m_what, reason, m_unreadableCopyPath));
}

bool GuardedJsonFile::write(const Json& json)
{
    std::string text;
    try {
        text = json.dump();
    } catch (const Json::exception& e) {
        reportSaveFailure(QString::fromUtf8(e.what()));
        return false;
    }
    if (!setAsideUnreadableFile())
        return false;

    // QSaveFile writes beside the target and renames on commit, so the
    // previous file survives a crash or a full disk. Unbuffered, because a
    // buffered write cut short at its last flush would pass as complete.
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        reportSaveFailure(file.errorString());
        return false;
    }
    if (file.write(text.data(), qint64(text.size())) != qint64(text.size()) || !file.commit()) {
        reportSaveFailure(file.errorString());
        file.cancelWriting();
        return false;
    }
    return true;
}

bool GuardedJsonFile::setAsideUnreadableFile()
{
    if (m_unreadableCopyPath.isEmpty() || !QFile::exists(m_path))
        return true;
    QString target = m_unreadableCopyPath;
    for (int n = 1; QFile::exists(target); ++n)
        target = m_unreadableCopyPath + QLatin1Char('-') + QString::number(n);
    QFile file(m_path);
    if (!file.rename(target)) {
        reportSaveFailure(QStringLiteral("could not move the unreadable %1 file aside: %2")
                              .arg(m_what, file.errorString()));
        return false;
    }
    m_unreadableCopyPath.clear();
    return true;
}

void GuardedJsonFile::reportSaveFailure(const QString& reason) const
{
    printLine(QStringLiteral("Failed to save %1: %2").arg(m_what, reason));
}

} // namespace lustrelab
