#include "presets_command.h"

#include "console.h"
#include "model/canvas_preset.h"
#include "model/device_frame.h"
#include "model/gradient_preset.h"

#include <QList>
#include <QPair>

namespace lustrelab {

namespace {

using Entries = QList<QPair<QString, QString>>;

Entries gradientEntries()
{
    Entries entries;
    for (const GradientPreset& preset : gradientPresets())
        entries.append({preset.id, preset.name});
    return entries;
}

Entries canvasEntries()
{
    Entries entries;
    for (const auto* list : {&ratioCanvasPresets(), &socialCanvasPresets()})
        for (const CanvasPreset& preset : *list)
            entries.append({preset.id, preset.name});
    return entries;
}

Entries frameEntries()
{
    Entries entries;
    for (const DeviceFrame& frame : deviceFrames())
        entries.append({frame.id, frame.name});
    return entries;
}

struct Group
{
    const char* name;
    Entries (*entries)();
};

constexpr Group presetGroups[] = {
    {"gradients", gradientEntries}, {"canvases", canvasEntries}, {"frames", frameEntries}};

QString usageLine()
{
    return QStringLiteral("usage: lustrelab presets [gradients|canvases|frames]");
}

QString help()
{
    return usageLine() + QStringLiteral(R"(

Lists the built-in ids that --set gradientPresetId=, canvasPresetId= and
deviceFrameId= accept, one "id<TAB>name" line each, in catalogue order.
Without a group, every group is listed and each line starts with the
group's name: "gradients<TAB>id<TAB>name".
)");
}

void printGroup(const Group& group, bool withGroupName)
{
    QString text;
    for (const auto& [id, name] : group.entries()) {
        if (withGroupName)
            text += QLatin1StringView(group.name) + u'\t';
        text += id + u'\t' + name + u'\n';
    }
    text.chop(1);
    if (!text.isEmpty())
        printLine(stdout, text);
}

} // namespace

int runPresetsCommand(const QStringList& arguments)
{
    if (arguments.contains(QStringLiteral("-h")) || arguments.contains(QStringLiteral("--help"))) {
        printLine(stdout, help());
        return 0;
    }
    if (arguments.isEmpty()) {
        for (const Group& group : presetGroups)
            printGroup(group, true);
        return 0;
    }
    if (arguments.size() == 1)
        for (const Group& group : presetGroups)
            if (arguments.front() == QLatin1StringView(group.name)) {
                printGroup(group, false);
                return 0;
            }
    printLine(stderr, QStringLiteral("lustrelab presets: unknown group '%1'").arg(arguments.join(u' ')));
    printLine(stderr, usageLine());
    return 2;
}

} // namespace lustrelab
