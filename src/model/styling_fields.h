#pragma once

// Every field of BeautySettings, once: its JSON key, the member it is, the
// values it takes and whether records written before it existed lack it.
// The JSON writer and reader, `--set` and its help are all made from this
// table, so a new styling field is one line here (plus the member itself,
// whose initialiser is the field's default).

#include "beauty_settings.h"

#include <QStringView>

#include <span>
#include <variant>

namespace lustrelab {

using StylingMember = std::variant<double BeautySettings::*, float BeautySettings::*, bool BeautySettings::*,
                                   CodableColor BeautySettings::*, QString BeautySettings::*,
                                   BackgroundType BeautySettings::*, ExportFormat BeautySettings::*,
                                   CustomGradient BeautySettings::*>;

// What a value must be beyond its type.
enum class StylingValueRule {
    any,
    positive,   // a number above zero (checked where users type it, on the command line)
    fraction,   // a number from 0 to 1, also when read from a file
    path,       // a file; made absolute where users type it, since templates keep it
    gradientId, // an id of the gradient catalogue
    canvasId,   // an id of the canvas catalogue
    frameId,    // an id of the device frame catalogue
};

struct StylingField
{
    const char* key;
    StylingMember member;
    // 1: in the first records, so required when read. Higher: added later, and
    // a record without it reads to the field's default, the look it was made with.
    int since = 1;
    StylingValueRule rule = StylingValueRule::any;
};

// In the order of the JSON keys, which stored files and their tests pin.
std::span<const StylingField> stylingFields();

const StylingField* findStylingField(QStringView key);

} // namespace lustrelab
