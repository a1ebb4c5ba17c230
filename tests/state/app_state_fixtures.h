#pragma once

// Small builders and probes shared by the AppState tests.

#include "state/app_state.h"

#include <QImage>
#include <QList>
#include <QUuid>
#include <functional>

namespace lustrelab::test {

using Operation = std::function<void(AppState&)>;

QImage solidImage(QRgb color);
// Same pixels compare equal whatever format the renderer returned.
QImage comparable(const QImage& image);
// What an undo step holds: the styling and the current tab's annotations.
HistoryState documentOf(const AppState& state);
QList<QUuid> tabIds(const AppState& state);
// A current tab with an image, edited styling and one annotation of each
// kind, none of it in the history.
void prepareDocument(AppState& state);
// Lets queued compositions finish; false if one is still pending after 5 s.
[[nodiscard]] bool settle(AppState& state);

} // namespace lustrelab::test

Q_DECLARE_METATYPE(lustrelab::test::Operation)
