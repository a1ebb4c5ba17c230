#pragma once

#include "codable_color.h"
#include "raw_value.h"
#include "unit_geometry.h"

#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

namespace lustrelab {

// Lightest first; the raw value is also the label shown to the user.
enum class FontWeight { ultraLight, thin, light, regular, medium, semibold, bold, heavy, black };

template <>
struct RawValues<FontWeight>
{
    static constexpr std::array<std::pair<FontWeight, const char*>, 9> cases{{
        {FontWeight::ultraLight, "Ultra Light"},
        {FontWeight::thin, "Thin"},
        {FontWeight::light, "Light"},
        {FontWeight::regular, "Regular"},
        {FontWeight::medium, "Medium"},
        {FontWeight::semibold, "Semibold"},
        {FontWeight::bold, "Bold"},
        {FontWeight::heavy, "Heavy"},
        {FontWeight::black, "Black"},
    }};
};

// The defaults are what a newly added text annotation looks like, in the
// window and in annotation files alike.
struct TextOverlay
{
    QUuid id = QUuid::createUuid();
    QString text = QStringLiteral("Text");
    UnitPoint position{0.5, 0.5}; // centre of the text
    QString fontName = QStringLiteral("SF Pro Display");
    double fontSize = 32;
    FontWeight fontWeight = FontWeight::regular;
    CodableColor textColor{};
    std::optional<CodableColor> backgroundColor;
    bool isRedacted = false; // drawn as a black box, the glyphs never reach the image
    double rotation = 0; // degrees
    double opacity = 1;

    friend bool operator==(const TextOverlay&, const TextOverlay&) = default;
};

// A text as the editor adds it: the defaults above, in the desktop's own UI
// font, which is always installed. The record's default name stays as it is,
// so that records stored without one read as they always have. Needs a
// QGuiApplication (the font database).
TextOverlay freshTextOverlay();

// The font names and sizes offered by the text panel, in display order.
QList<QString> availableFonts();
QList<double> fontSizes();

} // namespace lustrelab
