#include "gradient_preset.h"

#include "color_hex.h"
#include "id_lookup.h"

#include <cmath>
#include <initializer_list>
#include <numbers>

namespace lustrelab {

namespace {

using C = GradientCategory;

struct Entry
{
    const char* id;
    const char* name;
    C category;
    double angle;
    std::initializer_list<const char*> colors;
};

// Display order, which is also the order lookups search in. The solid entries
// repeat their colour so that they draw through the same gradient path.
QList<GradientPreset> buildCatalogue()
{
    const std::initializer_list<Entry> entries = {
        {"aurora-borealis", "Aurora Borealis", C::featured, 45, {"#00C9FF", "#92FE9D", "#00C9FF", "#F0F"}},
        {"cosmic-fusion", "Cosmic Fusion", C::featured, 135, {"#FF0080", "#7928CA", "#FF0080"}},
        {"sunset-vibes", "Sunset Vibes", C::featured, 135, {"#FA8BFF", "#2BD2FF", "#2BFF88"}},
        {"holographic", "Holographic", C::featured, 45, {"#a8edea", "#fed6e3", "#a8edea", "#d299c2"}},
        {"neon-dreams",
         "Neon Dreams",
         C::featured,
         135,
         {"#F72585", "#7209B7", "#3A0CA3", "#4361EE", "#4CC9F0"}},
        {"apple-music", "Apple Music", C::featured, 45, {"#FC5C7D", "#6A82FB", "#FC5C7D"}},
        {"instagram-gradient", "Instagram", C::featured, 135, {"#833AB4", "#FD1D1D", "#FCB045"}},
        {"cyberpunk", "Cyberpunk", C::featured, 45, {"#00F5FF", "#FF00E4", "#00F5FF"}},
        {"northern-lights",
         "Northern Lights",
         C::featured,
         135,
         {"#4776E6", "#8E54E9", "#00D4FF", "#7EE8FA"}},
        {"liquid-gold", "Liquid Gold", C::featured, 135, {"#F7971E", "#FFD200", "#F7971E"}},
        {"rainbow-mesh",
         "Rainbow Mesh",
         C::multicolor,
         90,
         {"#FF0000", "#FF7F00", "#FFFF00", "#00FF00", "#0000FF", "#4B0082", "#9400D3"}},
        {"unicorn", "Unicorn", C::multicolor, 45, {"#F0F", "#0FF", "#F0F", "#FF0"}},
        {"candy-shop", "Candy Shop", C::multicolor, 135, {"#FC466B", "#3F5EFB", "#FC466B", "#3F5EFB"}},
        {"tropical-sunset", "Tropical Sunset", C::multicolor, 135, {"#FA709A", "#FEE140", "#FA709A"}},
        {"ocean-breeze", "Ocean Breeze", C::multicolor, 45, {"#2E3192", "#1BFFFF", "#2E3192", "#D4FC79"}},
        {"cotton-candy-dream", "Cotton Candy", C::multicolor, 135, {"#D9AFD9", "#97D9E1", "#D9AFD9"}},
        {"summer-splash", "Summer Splash", C::multicolor, 135, {"#12c2e9", "#c471ed", "#f64f59"}},
        {"mardi-gras", "Mardi Gras", C::multicolor, 135, {"#8E2DE2", "#F9D423", "#4A00E0"}},
        {"electric-dreams", "Electric Dreams", C::multicolor, 45, {"#FC00FF", "#00DBDE", "#FC00FF"}},
        {"prism", "Prism", C::multicolor, 135, {"#5433FF", "#20BDFF", "#A5FECB"}},
        {"psychedelic", "Psychedelic", C::multicolor, 45, {"#F0F", "#FF0", "#0FF", "#F0F"}},
        {"bubblegum", "Bubblegum", C::multicolor, 135, {"#FFC0CB", "#FF69B4", "#DA70D6", "#BA55D3"}},
        {"vaporwave", "Vaporwave", C::multicolor, 45, {"#FF71CE", "#01CDFE", "#05FFA1", "#B967FF"}},
        {"miami-vice", "Miami Vice", C::multicolor, 135, {"#F953C6", "#00C9FF", "#B91D73"}},
        {"fire-and-ice", "Fire & Ice", C::multicolor, 135, {"#FF416C", "#FFF", "#00C9FF"}},
        {"purple-haze", "Purple Haze", C::purple, 135, {"#7F00FF", "#E100FF"}},
        {"violet-dream", "Violet Dream", C::purple, 135, {"#8E2DE2", "#4A00E0"}},
        {"ultra-violet", "Ultra Violet", C::purple, 135, {"#654EA3", "#EAAFC8"}},
        {"purple-paradise", "Purple Paradise", C::purple, 135, {"#1D2B64", "#F8CDDA"}},
        {"synthwave", "Synthwave", C::purple, 135, {"#FC466B", "#3F5EFB"}},
        {"electric-violet", "Electric Violet", C::purple, 135, {"#4776E6", "#8E54E9"}},
        {"grape-burst", "Grape Burst", C::purple, 135, {"#5B247A", "#1BCEDF"}},
        {"mystic-mauve", "Mystic Mauve", C::purple, 135, {"#D16BA5", "#C777B9", "#BA83CA", "#AA8FD8"}},
        {"ocean-deep", "Ocean Deep", C::blue, 135, {"#2E3192", "#1BFFFF"}},
        {"cool-blues", "Cool Blues", C::blue, 135, {"#2193B0", "#6DD5ED"}},
        {"azure-pop", "Azure Pop", C::blue, 135, {"#EF32D9", "#89FFFD"}},
        {"frozen", "Frozen", C::blue, 135, {"#403B4A", "#E7E9BB"}},
        {"royal-blue", "Royal Blue", C::blue, 135, {"#536976", "#292E49"}},
        {"moonrise", "Moonrise", C::blue, 135, {"#0F2027", "#203A43", "#2C5364"}},
        {"sky-line", "Sky Line", C::blue, 135, {"#1488CC", "#2B32B2"}},
        {"sea-blue", "Sea Blue", C::blue, 135, {"#2b5876", "#4e4376"}},
        {"deep-sea", "Deep Sea", C::blue, 135, {"#243949", "#517fa4"}},
        {"lime-fade", "Lime Fade", C::green, 135, {"#A8E063", "#56AB2F"}},
        {"forest", "Forest", C::green, 135, {"#11998E", "#38EF7D"}},
        {"mojito", "Mojito", C::green, 135, {"#1D976C", "#93F9B9"}},
        {"emerald-water", "Emerald Water", C::green, 135, {"#348F50", "#56B4D3"}},
        {"green-beach", "Green Beach", C::green, 135, {"#02AAB0", "#00CDAC"}},
        {"sea-weed", "Sea Weed", C::green, 135, {"#4CB8C4", "#3CD3AD"}},
        {"teal-love", "Teal Love", C::green, 135, {"#AAFFA9", "#11FFBD"}},
        {"fresh-mint", "Fresh Mint", C::green, 135, {"#00B09B", "#96C93D"}},
        {"orange-fun", "Orange Fun", C::orange, 135, {"#FC4A1A", "#F7B733"}},
        {"sunrise", "Sunrise", C::orange, 135, {"#FF512F", "#F09819"}},
        {"mango-pulp", "Mango Pulp", C::orange, 135, {"#F09819", "#EDDE5D"}},
        {"juicy-orange", "Juicy Orange", C::orange, 135, {"#FF8008", "#FFC837"}},
        {"citrus-peel", "Citrus Peel", C::orange, 135, {"#FDC830", "#F37335"}},
        {"summer-heat", "Summer Heat", C::orange, 135, {"#22C1C3", "#FDBB2D"}},
        {"flare", "Flare", C::orange, 135, {"#F12711", "#F5AF19"}},
        {"warm-flame", "Warm Flame", C::orange, 135, {"#FF9A9E", "#FAD0C4", "#FAD0C4"}},
        {"pink-fish", "Pink Fish", C::pink, 135, {"#F953C6", "#B91D73"}},
        {"rose-water", "Rose Water", C::pink, 135, {"#E55D87", "#5FC3E4"}},
        {"peach", "Peach", C::pink, 135, {"#ED4264", "#FFEDBC"}},
        {"megatron", "Megatron", C::pink, 135, {"#C6FFDD", "#FBD786", "#F7797D"}},
        {"pink-love", "Pink Love", C::pink, 135, {"#FF6B95", "#FFC796"}},
        {"blush", "Blush", C::pink, 135, {"#B24592", "#F15F79"}},
        {"candy", "Candy", C::pink, 135, {"#D3959B", "#BFE6BA"}},
        {"cotton-candy-pink", "Cotton Candy", C::pink, 135, {"#FFECD2", "#FCB69F"}},
        {"dark-ocean", "Dark Ocean", C::dark, 135, {"#373B44", "#4286F4"}},
        {"night-owl", "Night Owl", C::dark, 135, {"#232526", "#414345"}},
        {"dark-skies", "Dark Skies", C::dark, 135, {"#4B79A1", "#283E51"}},
        {"abyss", "Abyss", C::dark, 135, {"#0F0C29", "#302B63", "#24243E"}},
        {"darkness", "Darkness", C::dark, 135, {"#141E30", "#243B55"}},
        {"netflix", "Netflix", C::dark, 135, {"#8E0E00", "#1F1C18"}},
        {"midnight-blue", "Midnight Blue", C::dark, 135, {"#020111", "#3A3A52", "#2B2B40"}},
        {"dark-knight", "Dark Knight", C::dark, 135, {"#000000", "#434343"}},
        {"daylight", "Daylight", C::light, 135, {"#FFFFFF", "#ECE9E6"}},
        {"clean-mirror", "Clean Mirror", C::light, 135, {"#93A5CF", "#E4EfE9"}},
        {"winter", "Winter", C::light, 135, {"#E6DADA", "#274046"}},
        {"silver", "Silver", C::light, 135, {"#BDC3C7", "#2C3E50"}},
        {"cloud", "Cloud", C::light, 135, {"#ECE9E6", "#FFFFFF"}},
        {"white-blue", "White Blue", C::light, 135, {"#F5F7FA", "#C3CFE2"}},
        {"pale-wood", "Pale Wood", C::light, 135, {"#EACDA3", "#D6AE7B"}},
        {"soft-grass", "Soft Grass", C::light, 135, {"#C9D6FF", "#E2E2E2"}},
        {"pure-white", "Pure White", C::solid, 0, {"#FFFFFF", "#FFFFFF"}},
        {"pure-black", "Pure Black", C::solid, 0, {"#000000", "#000000"}},
        {"twitter-blue", "Twitter Blue", C::solid, 0, {"#1DA1F2", "#1DA1F2"}},
        {"figma-orange", "Figma", C::solid, 0, {"#F24E1E", "#F24E1E"}},
        {"slack-purple", "Slack", C::solid, 0, {"#4A154B", "#4A154B"}},
        {"notion-black", "Notion", C::solid, 0, {"#191919", "#191919"}},
        {"linear-purple", "Linear", C::solid, 0, {"#5E6AD2", "#5E6AD2"}},
        {"vercel-black", "Vercel", C::solid, 0, {"#000000", "#000000"}},
    };

    QList<GradientPreset> presets;
    presets.reserve(qsizetype(entries.size()));
    for (const Entry& e : entries) {
        GradientPreset p;
        p.id = QString::fromUtf8(e.id);
        p.name = QString::fromUtf8(e.name);
        for (const char* hex : e.colors)
            p.colors << QString::fromLatin1(hex);
        p.angle = e.angle;
        p.category = e.category;
        presets << p;
    }
    return presets;
}

} // namespace

const QList<GradientPreset>& gradientPresets()
{
    static const QList<GradientPreset> catalogue = buildCatalogue();
    return catalogue;
}

const GradientPreset* findGradientPreset(QStringView id)
{
    return recordWithId(gradientPresets(), id);
}

QList<GradientPreset> presetsInCategory(GradientCategory category)
{
    if (category == GradientCategory::all)
        return gradientPresets();
    QList<GradientPreset> result;
    for (const GradientPreset& preset : gradientPresets())
        if (preset.category == category)
            result << preset;
    return result;
}

QLinearGradient GradientPreset::swatchGradient() const
{
    // The swatch runs through the centre of its unit square along the angle,
    // from the angle's side (first colour) to the opposite side (last colour).
    const double theta = angle * std::numbers::pi / 180.0;
    const double phi = (angle + 180.0) * std::numbers::pi / 180.0;
    QLinearGradient gradient(QPointF(0.5 + 0.5 * std::cos(theta), 0.5 + 0.5 * std::sin(theta)),
                             QPointF(0.5 + 0.5 * std::cos(phi), 0.5 + 0.5 * std::sin(phi)));
    // Relative to whatever rectangle the swatch is painted into.
    gradient.setCoordinateMode(QGradient::ObjectMode);
    gradient.setSpread(QGradient::PadSpread);
    const qsizetype count = colors.size();
    if (count == 1) {
        // A single stop would leave Qt's default stops; paint it flat instead.
        gradient.setColorAt(0, colorFromHex(colors.first()));
        gradient.setColorAt(1, colorFromHex(colors.first()));
    }
    for (qsizetype i = 0; count > 1 && i < count; ++i)
        gradient.setColorAt(double(i) / double(count - 1), colorFromHex(colors[i]));
    return gradient;
}

} // namespace lustrelab
