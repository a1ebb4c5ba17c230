#pragma once

// The File menu's questions answered from a script: each call takes the
// next answer the test queued, and records what it was asked.

#include "ui/file_dialogs.h"

#include <QList>
#include <QStringList>

namespace lustrelab::test {

class FakeFileDialogs : public FileDialogs
{
  public:
    QStringList savePaths;        // answers to projectSavePath, in order; none left: cancelled
    QList<QStringList> openLists; // answers to filesToOpen
    QList<Answer> answers;        // answers to askToSave; none left: cancel

    QStringList proposed;          // what projectSavePath proposed, each time
    QList<QStringList> askedAbout; // the names askToSave listed, each time
    QStringList errors;            // the messages shown

    QString projectSavePath(QWidget*, const QString& proposal) override
    {
        proposed.append(proposal);
        return savePaths.isEmpty() ? QString() : savePaths.takeFirst();
    }
    QStringList filesToOpen(QWidget*, const QString&) override
    {
        return openLists.isEmpty() ? QStringList() : openLists.takeFirst();
    }
    Answer askToSave(QWidget*, const QStringList& names) override
    {
        askedAbout.append(names);
        return answers.isEmpty() ? Answer::cancel : answers.takeFirst();
    }
    void showError(QWidget*, const QString&, const QString& message) override { errors.append(message); }
};

} // namespace lustrelab::test
