#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace lustrelab {

// The questions the File menu asks the user, behind an interface so that the
// window's tests can answer them (tests/ui has a scripted fake).
class FileDialogs
{
  public:
    virtual ~FileDialogs() = default;

    // Where to save a project, proposing `proposed` (a full path); empty when
    // the user cancels.
    virtual QString projectSavePath(QWidget* parent, const QString& proposed) = 0;
    // The images and projects to open; empty when the user cancels.
    virtual QStringList filesToOpen(QWidget* parent, const QString& folder) = 0;

    enum class Answer { save, discard, cancel };
    // Before tabs with unsaved changes close: "Save", "Don't Save" or "Cancel".
    // `names` are the tabs', one or several (at a quit).
    virtual Answer askToSave(QWidget* parent, const QStringList& names) = 0;

    // Says what went wrong; nothing else changes.
    virtual void showError(QWidget* parent, const QString& title, const QString& message) = 0;
};

// The desktop's file dialogs and message boxes.
class StandardFileDialogs : public FileDialogs
{
  public:
    QString projectSavePath(QWidget* parent, const QString& proposed) override;
    QStringList filesToOpen(QWidget* parent, const QString& folder) override;
    Answer askToSave(QWidget* parent, const QStringList& names) override;
    void showError(QWidget* parent, const QString& title, const QString& message) override;
};

} // namespace lustrelab
