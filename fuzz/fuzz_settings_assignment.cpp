// `--set FIELD=VALUE` arguments, one a line, with the colour syntaxes.

#include "model/css_color.h"
#include "cli/settings_assignment.h"
#include "fuzz_support.h"

using namespace lustrelab;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QList<SettingsAssignment> accepted;
    for (const QByteArray& line : fuzz::bytesOf(data, size).split('\n')) {
        const QString argument = QString::fromUtf8(line);
        const AssignmentParse parsed = parseSettingsAssignment(argument);
        FUZZ_CHECK(parsed.assignment.has_value() == parsed.error.isEmpty());
        if (parsed.assignment) {
            // A value accepted while the command line is parsed must apply:
            // the promise is that a bad value is a usage error, found before
            // any file is touched.
            QString error;
            FUZZ_CHECK(applySettingsAssignments(BeautySettings{}, {*parsed.assignment}, &error));
            accepted << *parsed.assignment;
        }

        const QString value = argument.mid(argument.indexOf(u'=') + 1);
        if (const std::optional<CodableColor> color = parseCssColor(value))
            for (double channel : {color->red, color->green, color->blue, color->opacity})
                FUZZ_CHECK(channel >= 0 && channel <= 1);
    }
    QString error;
    FUZZ_CHECK(applySettingsAssignments(BeautySettings{}, accepted, &error));
    return 0;
}
