#pragma once

#include <QString>

class QComboBox;

namespace lustrelab {

struct FontResolution;

// The text tool's font list. The offered names stay as they are, since
// templates and annotation files store them, but each says what is drawn
// for it here: a stand-in family is named beside it and a name nothing
// stands in for is marked. The installed families follow, after a separator.
// Every item's data is the name to store.
void fillFontMenu(QComboBox& picker);

// How the list shows `name`, also for a name from a file it does not offer.
QString fontMenuLabel(const QString& name, const FontResolution& resolution);

} // namespace lustrelab
