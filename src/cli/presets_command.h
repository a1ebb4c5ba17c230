#pragma once

#include <QStringList>

namespace lustrelab {

// `lustrelab presets [gradients|canvases|frames]`: one "id<TAB>name" line per
// catalogue entry, in catalogue order. Without a group, all three groups,
// each line prefixed with its group ("gradients<TAB>id<TAB>name") so that the
// output stays one table. Needs no QGuiApplication.
int runPresetsCommand(const QStringList& arguments);

} // namespace lustrelab
