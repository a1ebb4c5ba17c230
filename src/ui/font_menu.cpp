#include "font_menu.h"

#include "model/text_overlay.h"
#include "render/font_resolution.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFontDatabase>

namespace lustrelab {

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("lustrelab::FontMenu", text);
}

void addName(QComboBox& picker, const QString& name)
{
    const FontResolution resolution = resolveFontName(name);
    picker.addItem(fontMenuLabel(name, resolution), name);
    if (resolution.match == FontResolution::Match::missing)
        picker.setItemData(picker.count() - 1,
                           tr("Not installed; the text is drawn in %1").arg(resolution.family),
                           Qt::ToolTipRole);
}

} // namespace

QString fontMenuLabel(const QString& name, const FontResolution& resolution)
{
    switch (resolution.match) {
    case FontResolution::Match::installed:
        return name;
    case FontResolution::Match::substitute:
        return tr("%1 (as %2)").arg(name, resolution.family);
    case FontResolution::Match::missing:
        break;
    }
    return tr("%1 (not installed)").arg(name);
}

void fillFontMenu(QComboBox& picker)
{
    const QList<QString> offered = availableFonts();
    for (const QString& name : offered)
        addName(picker, name);
    picker.insertSeparator(picker.count());
    // The generic names ("Monospace") only repeat a family that is listed.
    for (const QString& family : QFontDatabase::families())
        if (!QFontDatabase::isPrivateFamily(family) && !offered.contains(family) &&
            resolveFontName(family).match == FontResolution::Match::installed)
            picker.addItem(family, family);
}

} // namespace lustrelab
