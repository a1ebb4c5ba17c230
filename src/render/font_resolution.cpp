#include "font_resolution.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>

namespace lustrelab {

namespace {

QString drawnFamily(const QString& name)
{
    QFont font(name);
    return QFontInfo(font).family();
}

} // namespace

FontResolution resolveFontName(const QString& name)
{
    if (!name.isEmpty() && QFontDatabase::hasFamily(name))
        return {FontResolution::Match::installed, name};
    const QString systemFamily = QFontInfo(QFontDatabase::systemFont(QFontDatabase::GeneralFont)).family();
    if (name.isEmpty())
        return {FontResolution::Match::missing, systemFamily};
    // Fontconfig always answers with some face. What it draws for a name no
    // rule knows is its default; anything else is a stand-in chosen for the
    // name itself.
    const QString drawn = drawnFamily(name);
    const QString fallback = drawnFamily(QStringLiteral("lustrelab unknown family"));
    if (drawn.isEmpty() || drawn.compare(fallback, Qt::CaseInsensitive) == 0)
        return {FontResolution::Match::missing, systemFamily};
    return {FontResolution::Match::substitute, drawn};
}

} // namespace lustrelab
