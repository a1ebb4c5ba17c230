#include "output_plan.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

namespace lustrelab {

namespace {

// The path a file is (or would be) reached by once symbolic links and "..",
// are resolved, so that two spellings of one file compare equal.
QString resolvedPath(const QString& path)
{
    const QFileInfo info(path);
    if (info.exists())
        return info.canonicalFilePath();
    const QString folder = info.absoluteDir().canonicalPath();
    return folder.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : folder + u'/' + info.fileName();
}

} // namespace

std::optional<ExportFormat> formatFromName(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"png")
        return ExportFormat::png;
    if (suffix == u"jpg" || suffix == u"jpeg")
        return ExportFormat::jpeg;
    return std::nullopt;
}

bool namesFolder(const QString& path)
{
    return path.endsWith(u'/') || QFileInfo(path).isDir();
}

QString defaultOutputPath(const QString& input, ExportFormat format)
{
    const QFileInfo info(input);
    const QString name = info.completeBaseName() + QStringLiteral("-styled.") + rawValue(format);
    return info.path() == u"." && !input.startsWith(QStringLiteral("./")) ? name : info.path() + u'/' + name;
}

OutputPlan planOutputs(const QStringList& inputs, const QString& output, std::optional<ExportFormat> format,
                       ExportFormat settingsFormat)
{
    OutputPlan plan;
    const bool single = inputs.size() == 1;
    const bool intoFolder = !output.isEmpty() && (!single || namesFolder(output));
    if (intoFolder && !QFileInfo(output).isDir())
        plan.folder = output;
    if (!format && single && !intoFolder && !output.isEmpty())
        format = formatFromName(output);
    const ExportFormat chosen = format.value_or(settingsFormat);

    QHash<QString, QString> inputByResolved;
    for (const QString& input : inputs)
        inputByResolved.insert(resolvedPath(input), input);

    QHash<QString, QString> claimed; // resolved output -> input that writes it
    for (const QString& input : inputs) {
        ComposeJob job{input, {}, chosen, {}};
        if (output.isEmpty())
            job.output = defaultOutputPath(input, chosen);
        else if (intoFolder)
            job.output = QDir(output).filePath(QFileInfo(defaultOutputPath(input, chosen)).fileName());
        else
            job.output = output;

        const QString resolved = resolvedPath(job.output);
        if (const auto it = inputByResolved.constFind(resolved); it != inputByResolved.cend())
            job.error =
                QStringLiteral("refusing to overwrite the input %1 with the output %2").arg(*it, job.output);
        else if (const auto other = claimed.constFind(resolved); other != claimed.cend())
            job.error = QStringLiteral("the output %1 is already written for %2").arg(job.output, *other);
        else
            claimed.insert(resolved, input);
        plan.jobs << job;
    }
    return plan;
}

} // namespace lustrelab
