#include "export_pickers.h"

#include "segmented_picker.h"
#include "state/app_state.h"

#include <QCoreApplication>
#include <array>

namespace lustrelab {

namespace {

constexpr std::array scales{1.0, 2.0, 3.0};
constexpr std::array formats{ExportFormat::png, ExportFormat::jpeg};

QString translated(const char* text)
{
    return QCoreApplication::translate("ExportPickers", text);
}

// A picker over `values` that stores the chosen one with `write` and shows
// the one `read` finds in the styling.
template <typename Values, typename Read, typename Write>
SegmentedPicker* makePicker(AppState& state, QWidget* parent, const char* name, const char* title,
                            std::initializer_list<const char*> labels, const Values& values, Read read,
                            Write write)
{
    auto* picker = new SegmentedPicker(translated(title), parent);
    picker->setObjectName(QString::fromLatin1(name));
    for (const char* label : labels)
        picker->addSegment(translated(label));
    QObject::connect(picker, &SegmentedPicker::activated, &state, [&state, values, write](int index) {
        BeautySettings settings = state.settings();
        write(settings, values[index]);
        state.setSettings(settings);
    });
    const auto show = [&state, picker, values, read] {
        const auto found = std::find(values.begin(), values.end(), read(state.settings()));
        picker->setCurrentIndex(found == values.end() ? -1 : int(found - values.begin()));
    };
    QObject::connect(&state, &AppState::settingsChanged, picker, show);
    show();
    return picker;
}

} // namespace

SegmentedPicker* makeExportScalePicker(AppState& state, QWidget* parent)
{
    return makePicker(
        state, parent, "scale", QT_TRANSLATE_NOOP("ExportPickers", "Scale"),
        {QT_TRANSLATE_NOOP("ExportPickers", "1x"), QT_TRANSLATE_NOOP("ExportPickers", "2x"),
         QT_TRANSLATE_NOOP("ExportPickers", "3x")},
        scales, [](const BeautySettings& s) { return s.exportScale; },
        [](BeautySettings& s, double scale) { s.exportScale = scale; });
}

SegmentedPicker* makeExportFormatPicker(AppState& state, QWidget* parent)
{
    return makePicker(
        state, parent, "format", QT_TRANSLATE_NOOP("ExportPickers", "Format"),
        {QT_TRANSLATE_NOOP("ExportPickers", "PNG"), QT_TRANSLATE_NOOP("ExportPickers", "JPEG")}, formats,
        [](const BeautySettings& s) { return s.exportFormat; },
        [](BeautySettings& s, ExportFormat format) { s.exportFormat = format; });
}

} // namespace lustrelab
