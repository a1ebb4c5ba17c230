#include "file_dialogs.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QImageReader>
#include <QMessageBox>
#include <QPushButton>

namespace lustrelab {

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("FileDialogs", text);
}

QString imagePatterns()
{
    QStringList patterns;
    for (const QByteArray& suffix : QImageReader::supportedImageFormats())
        patterns.append(QStringLiteral("*.") + QString::fromLatin1(suffix));
    return patterns.join(QLatin1Char(' '));
}

} // namespace

QString StandardFileDialogs::projectSavePath(QWidget* parent, const QString& proposed)
{
    return QFileDialog::getSaveFileName(parent, tr("Save Project"), proposed,
                                        tr("Lustrelab projects (*.lustrelab)"));
}

QStringList StandardFileDialogs::filesToOpen(QWidget* parent, const QString& folder)
{
    const QString filters = tr("Images and projects (*.lustrelab %1);;Lustrelab projects (*.lustrelab);;"
                               "Images (%1);;All files (*)")
                                .arg(imagePatterns());
    return QFileDialog::getOpenFileNames(parent, tr("Open"), folder, filters);
}

FileDialogs::Answer StandardFileDialogs::askToSave(QWidget* parent, const QStringList& names)
{
    QMessageBox box(parent);
    box.setIcon(QMessageBox::Warning);
    box.setWindowTitle(tr("Unsaved Changes"));
    if (names.size() == 1) {
        box.setText(tr("Save the changes to \"%1\" before closing?").arg(names.first()));
    } else {
        box.setText(tr("%1 tabs have unsaved changes. Save them before quitting?").arg(names.size()));
        box.setInformativeText(names.join(QLatin1Char('\n')));
    }
    QPushButton* save = box.addButton(tr("&Save"), QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton(tr("&Don't Save"), QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(tr("Cancel"), QMessageBox::RejectRole);
    save->setObjectName(QStringLiteral("save"));
    discard->setObjectName(QStringLiteral("discard"));
    cancel->setObjectName(QStringLiteral("cancel"));
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == save)
        return Answer::save;
    if (box.clickedButton() == discard)
        return Answer::discard;
    return Answer::cancel;
}

void StandardFileDialogs::showError(QWidget* parent, const QString& title, const QString& message)
{
    QMessageBox::warning(parent, title, message);
}

} // namespace lustrelab
