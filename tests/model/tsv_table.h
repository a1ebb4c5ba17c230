#pragma once

#include <QHash>
#include <QList>
#include <QString>

// Reads a tab-separated table kept beside the model tests. The first line
// names the columns; every later line becomes one row keyed by column name.
// An unreadable file or a ragged line gives an empty list, which the calling
// test then reports as a count mismatch.
QList<QHash<QString, QString>> readTsvTable(const QString& fileName);
