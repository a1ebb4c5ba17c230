#include "settings_assignment.h"

#include "model/css_color.h"
#include "model/canvas_preset.h"
#include "model/device_frame.h"
#include "model/gradient_preset.h"
#include "model/styling_fields.h"

#include <QFileInfo>

#include <cmath>
#include <limits>
#include <type_traits>
#include <variant>

namespace lustrelab {

namespace {

template <typename E> QString rawValueList()
{
    QStringList raws;
    for (E e : allCases<E>())
        raws << rawValue(e);
    return raws.join(QStringLiteral(", "));
}

template <typename E> std::optional<Json> enumValue(QStringView text, QString* error)
{
    if (fromRawValue<E>(text))
        return Json(text.toString().toStdString());
    *error = QStringLiteral("expected one of %1, got '%2'").arg(rawValueList<E>(), text);
    return std::nullopt;
}

std::optional<Json> idValue(QStringView text, bool known, const char* group, QString* error)
{
    if (known)
        return Json(text.toString().toStdString());
    *error = QStringLiteral("unknown id '%1' (list them with: lustrelab presets %2)")
                 .arg(text, QLatin1StringView(group));
    return std::nullopt;
}

std::optional<Json> colorValue(QStringView text, QString* error)
{
    if (text.startsWith(u'{')) {
        const Json json = Json::parse(text.toUtf8().toStdString(), nullptr, false);
        QString reason;
        if (!json.is_discarded())
            if (auto color = codableColorFromJson(json, &reason))
                return toJson(*color);
        *error = QStringLiteral("not a colour object%1: %2")
                     .arg(reason.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(reason), text);
        return std::nullopt;
    }
    if (auto color = parseCssColor(text))
        return toJson(*color);
    *error = QStringLiteral("expected a colour as #RRGGBB, #RRGGBBAA or a JSON object, got '%1'").arg(text);
    return std::nullopt;
}

std::optional<Json> customGradientValue(QStringView text, QString* error)
{
    Json json = Json::parse(text.toUtf8().toStdString(), nullptr, false);
    if (json.is_discarded() || !json.is_object()) {
        *error = QStringLiteral("expected a JSON object, got '%1'").arg(text);
        return std::nullopt;
    }
    QString reason;
    if (auto gradient = customGradientFromJson(json, &reason))
        return toJson(*gradient);
    // The reader names the key from the object down; the caller adds the field.
    *error = reason.startsWith(QLatin1String("customGradient.")) ? reason.mid(15) : reason;
    return std::nullopt;
}

std::optional<Json> numberValue(QStringView text, StylingValueRule rule, double largest, QString* error)
{
    bool ok = false;
    const double number = text.trimmed().toDouble(&ok);
    const bool positive = rule == StylingValueRule::positive;
    // The settings reader refuses what a float cannot hold; refusing it here
    // keeps it a usage error rather than a failure after files were read.
    if (ok && std::isfinite(number) && std::fabs(number) > largest) {
        *error = QStringLiteral("out of range for a 32-bit float, got '%1'").arg(text);
        return std::nullopt;
    }
    if (rule == StylingValueRule::fraction) {
        if (ok && number >= 0 && number <= 1)
            return Json(number);
        *error = QStringLiteral("expected a number from 0 to 1, got '%1'").arg(text);
        return std::nullopt;
    }
    if (ok && std::isfinite(number) && (!positive || number > 0))
        return Json(number);
    *error = QStringLiteral("expected a %1number, got '%2'").arg(positive ? "positive " : "", text);
    return std::nullopt;
}

// The value typed for `field`, by the member's type and the field's rule.
std::optional<Json> typedValue(const StylingField& field, double, QStringView text, QString* error)
{
    return numberValue(text, field.rule, std::numeric_limits<double>::max(), error);
}
std::optional<Json> typedValue(const StylingField& field, float, QStringView text, QString* error)
{
    return numberValue(text, field.rule, double(std::numeric_limits<float>::max()), error);
}
std::optional<Json> typedValue(const StylingField&, bool, QStringView text, QString* error)
{
    if (text == u"true" || text == u"false")
        return Json(text == u"true");
    *error = QStringLiteral("expected true or false, got '%1'").arg(text);
    return std::nullopt;
}
std::optional<Json> typedValue(const StylingField&, const CodableColor&, QStringView text, QString* error)
{
    return colorValue(text, error);
}
std::optional<Json> typedValue(const StylingField&, const CustomGradient&, QStringView text, QString* error)
{
    return customGradientValue(text, error);
}
template <typename E> requires std::is_enum_v<E>
std::optional<Json> typedValue(const StylingField&, E, QStringView text, QString* error)
{
    return enumValue<E>(text, error);
}
std::optional<Json> typedValue(const StylingField& field, const QString&, QStringView text, QString* error)
{
    switch (field.rule) {
    case StylingValueRule::path:
        // An empty value clears the path (and with it the picture).
        return Json(text.isEmpty() ? std::string() : QFileInfo(text.toString()).absoluteFilePath().toStdString());
    case StylingValueRule::gradientId:
        return idValue(text, findGradientPreset(text) != nullptr, "gradients", error);
    case StylingValueRule::canvasId:
        return idValue(text, findCanvasPreset(text) != nullptr, "canvases", error);
    case StylingValueRule::frameId:
        return idValue(text, findDeviceFrame(text) != nullptr, "frames", error);
    case StylingValueRule::any:
    case StylingValueRule::positive:
    case StylingValueRule::fraction:
        break;
    }
    return Json(text.toString().toStdString());
}

} // namespace

AssignmentParse parseSettingsAssignment(QStringView argument)
{
    const qsizetype equals = argument.indexOf(u'=');
    if (equals < 0)
        return {std::nullopt, QStringLiteral("expected FIELD=VALUE, got '%1'").arg(argument)};
    const QStringView key = argument.left(equals);
    if (key.isEmpty())
        return {std::nullopt, QStringLiteral("no field name before '=' in '%1'").arg(argument)};
    const StylingField* field = findStylingField(key);
    if (!field)
        return {std::nullopt, QStringLiteral("unknown field '%1'").arg(key)};
    QString reason;
    const BeautySettings defaults;
    std::optional<Json> value = std::visit(
        [&](auto member) { return typedValue(*field, defaults.*member, argument.mid(equals + 1), &reason); },
        field->member);
    if (!value)
        return {std::nullopt, QStringLiteral("%1: %2").arg(key, reason)};
    return {SettingsAssignment{key.toString(), std::move(*value)}, {}};
}

std::optional<BeautySettings> applySettingsAssignments(const BeautySettings& base,
                                                       const QList<SettingsAssignment>& assignments,
                                                       QString* error)
{
    Json json = toJson(base);
    for (const SettingsAssignment& assignment : assignments)
        json[assignment.key.toStdString()] = assignment.value;
    return beautySettingsFromJson(json, error);
}

} // namespace lustrelab
