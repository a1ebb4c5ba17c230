#pragma once

#include "raw_value.h"

#include <QList>
#include <QSizeF>
#include <QString>

#include <optional>

namespace lustrelab {

enum class CanvasCategory { ratio, social };

template <>
struct RawValues<CanvasCategory>
{
    static constexpr std::array<std::pair<CanvasCategory, const char*>, 2> cases{{
        {CanvasCategory::ratio, "Ratio"},
        {CanvasCategory::social, "Social"},
    }};
};

struct CanvasPreset
{
    QString id;
    QString name;
    CanvasCategory category = CanvasCategory::ratio;
    std::optional<double> aspectRatio; // width / height; absent for "auto"
    std::optional<QSizeF> fixedSize;   // absent in every built-in entry

    friend bool operator==(const CanvasPreset& a, const CanvasPreset& b)
    {
        return a.id == b.id && a.name == b.name && a.category == b.category && a.aspectRatio == b.aspectRatio
               && a.fixedSize.has_value() == b.fixedSize.has_value()
               && (!a.fixedSize || (a.fixedSize->width() == b.fixedSize->width()
                                    && a.fixedSize->height() == b.fixedSize->height()));
    }
};

const QList<CanvasPreset>& ratioCanvasPresets();
const QList<CanvasPreset>& socialCanvasPresets();
// Searches the ratio presets, then the social presets; first exact id match.
const CanvasPreset* findCanvasPreset(QStringView id);

} // namespace lustrelab
