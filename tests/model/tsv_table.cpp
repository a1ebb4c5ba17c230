#include "tsv_table.h"

#include <QFile>
#include <QTest>

QList<QHash<QString, QString>> readTsvTable(const QString& fileName)
{
    const QByteArray sourceDir = qgetenv("LUSTRELAB_SOURCE_DIR");
    const QString path = sourceDir.isEmpty() ? QFINDTESTDATA(fileName)
                                             : QString::fromLocal8Bit(sourceDir) + "/tests/model/" + fileName;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qWarning("cannot read table %s", qPrintable(path));
        return {};
    }
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    if (lines.isEmpty())
        return {};
    const QStringList columns = lines.first().split(u'\t');
    QList<QHash<QString, QString>> rows;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringList cells = lines[i].split(u'\t');
        if (cells.size() != columns.size()) {
            qWarning("%s line %lld: %lld cells for %lld columns", qPrintable(fileName), i + 1, cells.size(),
                     columns.size());
            return {};
        }
        QHash<QString, QString> row;
        for (qsizetype c = 0; c < columns.size(); ++c)
            row.insert(columns[c], cells[c]);
        rows << row;
    }
    return rows;
}
