#pragma once

class QWidget;

namespace lustrelab {

class AppState;
class SegmentedPicker;

// The export scale (1x, 2x, 3x) and format (PNG, JPEG) pickers that the export
// sheet and the share tab both show. They write the shared styling without
// composing (only the export reads these fields) and follow it, so both
// places always show the same choice. A scale none of the segments stands for
// (a template's 1.5, say) leaves none chosen rather than a wrong one.
SegmentedPicker* makeExportScalePicker(AppState& state, QWidget* parent = nullptr);
SegmentedPicker* makeExportFormatPicker(AppState& state, QWidget* parent = nullptr);

} // namespace lustrelab
