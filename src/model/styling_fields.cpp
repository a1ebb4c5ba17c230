#include "styling_fields.h"

#include <array>

namespace lustrelab {

namespace {

using B = BeautySettings;
using Rule = StylingValueRule;

constexpr int later = 2;

const std::array fields{
    StylingField{"cornerRadius", &B::cornerRadius},
    StylingField{"borderWidth", &B::borderWidth},
    StylingField{"borderColor", &B::borderColor},
    StylingField{"shadowEnabled", &B::shadowEnabled},
    StylingField{"shadowBlur", &B::shadowBlur},
    StylingField{"shadowOffsetX", &B::shadowOffsetX},
    StylingField{"shadowOffsetY", &B::shadowOffsetY},
    StylingField{"shadowOpacity", &B::shadowOpacity},
    StylingField{"shadowColor", &B::shadowColor, later},
    StylingField{"paddingUniform", &B::paddingUniform},
    StylingField{"padding", &B::padding},
    StylingField{"paddingTop", &B::paddingTop},
    StylingField{"paddingBottom", &B::paddingBottom},
    StylingField{"paddingLeading", &B::paddingLeading},
    StylingField{"paddingTrailing", &B::paddingTrailing},
    StylingField{"autoBalance", &B::autoBalance, later},
    StylingField{"backgroundType", &B::backgroundType},
    StylingField{"gradientPresetId", &B::gradientPresetId, 1, Rule::gradientId},
    StylingField{"customGradient", &B::customGradient, later},
    StylingField{"solidColor", &B::solidColor},
    StylingField{"backgroundImagePath", &B::backgroundImagePath, later, Rule::path},
    StylingField{"backgroundImageBlur", &B::backgroundImageBlur, later},
    StylingField{"backgroundImageDim", &B::backgroundImageDim, later, Rule::fraction},
    StylingField{"canvasPresetId", &B::canvasPresetId, 1, Rule::canvasId},
    StylingField{"customWidth", &B::customWidth},
    StylingField{"customHeight", &B::customHeight},
    StylingField{"deviceFrameId", &B::deviceFrameId, 1, Rule::frameId},
    // A scale of zero or below has no image to write.
    StylingField{"exportScale", &B::exportScale, 1, Rule::positive},
    StylingField{"exportFormat", &B::exportFormat},
};

} // namespace

std::span<const StylingField> stylingFields()
{
    return fields;
}

const StylingField* findStylingField(QStringView key)
{
    for (const StylingField& field : fields)
        if (key == QLatin1StringView(field.key))
            return &field;
    return nullptr;
}

} // namespace lustrelab
