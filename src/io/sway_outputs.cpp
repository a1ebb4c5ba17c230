#include "sway_outputs.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace lustrelab {

std::optional<SwayOutputs> parseSwayOutputs(const QByteArray& json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    SwayOutputs outputs;
    for (const QJsonValue& value : document.array()) {
        const QJsonObject output = value.toObject();
        const QString name = output.value(u"name").toString();
        const QJsonObject rect = output.value(u"rect").toObject();
        const QRect geometry(rect.value(u"x").toInt(), rect.value(u"y").toInt(), rect.value(u"width").toInt(),
                             rect.value(u"height").toInt());
        // A switched-off output keeps its entry (and an old rectangle).
        if (name.isEmpty() || !output.value(u"active").toBool(true) || geometry.isEmpty())
            continue;
        const double scale = output.value(u"scale").toDouble(1);
        if (output.value(u"focused").toBool())
            outputs.focused = outputs.monitors.size();
        outputs.monitors << ScreenMonitor{name, geometry, scale > 0 ? scale : 1};
    }
    return outputs;
}

} // namespace lustrelab
