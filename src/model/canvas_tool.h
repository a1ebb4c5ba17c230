#pragma once

#include "raw_value.h"

namespace lustrelab {

enum class CanvasTool { select, text, shape, remove, marker, pen, highlighter, crop };

template <> struct RawValues<CanvasTool>
{
    static constexpr std::array<std::pair<CanvasTool, const char*>, 8> cases{{
        {CanvasTool::select, "Select"},
        {CanvasTool::text, "Text"},
        {CanvasTool::shape, "Shape"},
        {CanvasTool::remove, "Remove"},
        {CanvasTool::marker, "Marker"},
        {CanvasTool::pen, "Pen"},
        {CanvasTool::highlighter, "Highlighter"},
        {CanvasTool::crop, "Crop"},
    }};
};

} // namespace lustrelab
