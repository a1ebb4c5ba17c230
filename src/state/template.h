#pragma once

#include "model/beauty_settings.h"

#include <QDateTime>
#include <QString>
#include <QUuid>

namespace lustrelab {

// A named copy of a styling record, saved by the user to reuse a look.
// Templates are never edited after saving, so updatedAt stays createdAt.
struct Template
{
    QUuid id = QUuid::createUuid();
    QString name;
    BeautySettings settings;
    QDateTime createdAt; // UTC
    QDateTime updatedAt; // UTC

    friend bool operator==(const Template&, const Template&) = default;
};

} // namespace lustrelab
