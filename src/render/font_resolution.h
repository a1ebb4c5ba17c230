#pragma once

#include <QString>

namespace lustrelab {

// What the engine draws for a font name stored in a text annotation. The
// names come from files and templates made on other desktops, so many are
// not installed here; fontconfig maps the common ones onto a metric-
// compatible family (Arial onto Liberation Sans, say) and everything else
// onto its default face.
struct FontResolution
{
    enum class Match {
        installed,  // a family of that name is installed
        substitute, // fontconfig draws it with `family`, a stand-in chosen for it
        missing     // nothing stands in for it: the system font is drawn
    };
    Match match = Match::missing;
    QString family; // the family drawn; for a missing name, the system font's

    bool operator==(const FontResolution&) const = default;
};

// Needs a QGuiApplication (the font database).
FontResolution resolveFontName(const QString& name);

} // namespace lustrelab
