#pragma once

#include "raw_value.h"

namespace lustrelab {

enum class CanvasTool { select, text, shape, remove };

template <>
struct RawValues<CanvasTool>
{
    static constexpr std::array<std::pair<CanvasTool, const char*>, 4> cases{{
        {CanvasTool::select, "Select"},
        {CanvasTool::text, "Text"},
        {CanvasTool::shape, "Shape"},
        {CanvasTool::remove, "Remove"},
    }};
};

} // namespace lustrelab
