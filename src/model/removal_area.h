#pragma once

#include "raw_value.h"
#include "unit_geometry.h"

#include <QUuid>

namespace lustrelab {

enum class RemovalMethod { contentAware, solidColor };

template <>
struct RawValues<RemovalMethod>
{
    static constexpr std::array<std::pair<RemovalMethod, const char*>, 2> cases{{
        {RemovalMethod::contentAware, "Content-Aware"},
        {RemovalMethod::solidColor, "Solid Color"},
    }};
};

struct RemovalArea
{
    QUuid id = QUuid::createUuid();
    UnitRect rect; // unit coordinates of the composed canvas, y upward
    RemovalMethod method = RemovalMethod::contentAware;

    friend bool operator==(const RemovalArea&, const RemovalArea&) = default;
};

} // namespace lustrelab
