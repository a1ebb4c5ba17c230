#pragma once

#include <QStringList>

namespace lustrelab {

// `lustrelab thumbnail INPUT OUTPUT SIZE`: the thumbnailer file managers run
// for projects. Writes the project's preview as a PNG whose longer side is
// SIZE pixels. The screenshot is never inflated, so it stays quick on large
// projects. Needs no QGuiApplication.
int runThumbnailCommand(const QStringList& arguments);

} // namespace lustrelab
