#pragma once

// JSON form of the persisted records. Writing keeps the key order of the
// records; reading (through JsonReader) is strict: every key must be present
// with the right type, enumeration strings must be known raw values, unknown
// keys are ignored. The exceptions are keys added to a record after files of
// it existed, and the keys a custom gradient's kind draws without (a linear
// one's centre reads as 0.5, 0.5, a radial one's angle as 0). Colours may be
// CSS hex strings as well as objects. The error text names the first
// offending key (e.g. "settings.exportFormat: missing").

#include "beauty_settings.h"
#include "codable_color.h"

#include <nlohmann/json.hpp>

#include <QString>

#include <optional>

namespace lustrelab {

using Json = nlohmann::ordered_json;

Json toJson(const CodableColor& color);
Json toJson(const CustomGradient& gradient);
Json toJson(const BeautySettings& settings);

class JsonReader;

// Into a record inside a larger file, so that messages carry the file's key path.
void readCustomGradient(JsonReader& reader, CustomGradient& gradient);
void readBeautySettings(JsonReader& reader, BeautySettings& settings);

std::optional<CodableColor> codableColorFromJson(const Json& json, QString* error = nullptr);
std::optional<CustomGradient> customGradientFromJson(const Json& json, QString* error = nullptr);
std::optional<BeautySettings> beautySettingsFromJson(const Json& json, QString* error = nullptr);

} // namespace lustrelab
