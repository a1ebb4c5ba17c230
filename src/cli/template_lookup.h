#pragma once

#include "model/beauty_settings.h"

#include <QString>
#include <optional>

namespace lustrelab {

// The settings of the first saved template named exactly `name`, from the
// application's templates file. Reports on standard error and returns nothing
// when there is no such template or the file cannot be read.
std::optional<BeautySettings> findTemplateSettings(const QString& name);

} // namespace lustrelab
