#include "compose_options.h"

#include "styling_help.h"

#include <cmath>

namespace lustrelab {

namespace {

// Splits "--name=value" and "--name value" alike. Returns false when the
// option needs a value and none follows.
bool takeValue(const QStringList& arguments, qsizetype& index, const QString& inlineValue, bool hasInline,
               QString* value)
{
    if (hasInline) {
        *value = inlineValue;
        return true;
    }
    if (index + 1 >= arguments.size())
        return false;
    *value = arguments[++index];
    return true;
}

std::optional<ExportFormat> parseFormat(const QString& text)
{
    // "jpg" is what most people type; the file extension written stays "jpeg".
    if (text == u"jpg")
        return ExportFormat::jpeg;
    return fromRawValue<ExportFormat>(text);
}

} // namespace

ComposeParse parseComposeArguments(const QStringList& arguments, InputsRequired inputs)
{
    ComposeParse result;
    ComposeOptions& options = result.options;
    auto usage = [&result](const QString& message) {
        result.usageError = message;
        return result;
    };

    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (optionsEnded || !argument.startsWith(u'-') || argument == u"-") {
            if (argument == u"-")
                return usage(QStringLiteral("reading from standard input is not supported"));
            options.inputs << argument;
            continue;
        }
        if (argument == u"--") {
            optionsEnded = true;
            continue;
        }
        if (argument == u"-h" || argument == u"--help") {
            options.help = true;
            continue;
        }
        if (argument == u"--copy") {
            options.copy = true;
            continue;
        }
        if (argument == u"--redact") {
            options.redact = true;
            continue;
        }

        const qsizetype equals = argument.startsWith(u"--") ? argument.indexOf(u'=') : -1;
        const QString name = equals < 0 ? argument : argument.left(equals);
        const QString inlineValue = equals < 0 ? QString() : argument.mid(equals + 1);
        QString value;
        auto needValue = [&]() { return takeValue(arguments, i, inlineValue, equals >= 0, &value); };
        auto once = [&](QString& target) -> bool {
            if (!target.isEmpty())
                return false;
            target = value;
            return true;
        };

        if (name == u"-o" || name == u"--output") {
            if (!needValue() || value.isEmpty())
                return usage(QStringLiteral("%1 needs a path").arg(name));
            if (!once(options.output))
                return usage(QStringLiteral("%1 given twice").arg(name));
        } else if (name == u"--settings") {
            if (!needValue() || value.isEmpty())
                return usage(QStringLiteral("--settings needs a JSON file"));
            if (!once(options.settingsFile))
                return usage(QStringLiteral("--settings given twice"));
        } else if (name == u"--template") {
            if (!needValue() || value.isEmpty())
                return usage(QStringLiteral("--template needs a template name"));
            if (!once(options.templateName))
                return usage(QStringLiteral("--template given twice"));
        } else if (name == u"--annotations") {
            if (!needValue() || value.isEmpty())
                return usage(QStringLiteral("--annotations needs a JSON file"));
            if (!once(options.annotationsFile))
                return usage(QStringLiteral("--annotations given twice"));
        } else if (name == u"--set") {
            if (!needValue())
                return usage(QStringLiteral("--set needs FIELD=VALUE"));
            AssignmentParse parsed = parseSettingsAssignment(value);
            if (!parsed.assignment)
                return usage(QStringLiteral("--set %1").arg(parsed.error));
            options.assignments << *parsed.assignment;
        } else if (name == u"--scale") {
            bool ok = false;
            const double scale = needValue() ? value.toDouble(&ok) : 0;
            if (!ok || !std::isfinite(scale) || scale <= 0)
                return usage(QStringLiteral("--scale needs a positive number, got '%1'").arg(value));
            options.scale = scale;
        } else if (name == u"--format") {
            const std::optional<ExportFormat> format = needValue() ? parseFormat(value) : std::nullopt;
            if (!format)
                return usage(QStringLiteral("--format needs png or jpeg, got '%1'").arg(value));
            options.format = format;
        } else {
            return usage(QStringLiteral("unknown option '%1'").arg(name));
        }
    }

    if (options.help)
        return result;
    // Both are whole records: the template would silently discard every key
    // of the file, which is never what someone typing both means.
    if (!options.settingsFile.isEmpty() && !options.templateName.isEmpty())
        return usage(QStringLiteral("--settings and --template both give a whole styling; use one of them"));
    if (options.inputs.isEmpty() && inputs == InputsRequired::yes)
        return usage(QStringLiteral("no input image given"));
    if (options.copy && options.inputs.size() > 1 && inputs == InputsRequired::yes)
        return usage(QStringLiteral("--copy takes one input image, not %1").arg(options.inputs.size()));
    return result;
}

QString composeUsageLine()
{
    return QStringLiteral(
        "usage: lustrelab compose INPUT... [-o OUTPUT] [--settings FILE | --template NAME] "
        "[--set FIELD=VALUE]... [--annotations FILE] [--scale N] [--format png|jpeg] [--copy] [--redact]");
}

QString composeHelp()
{
    return composeUsageLine() + QStringLiteral(R"(

Styles screenshots without opening a window: rounded corners, border, shadow,
padding and background, optional device frame and annotations, written as PNG
or JPEG. Several inputs are composed in parallel.

Output
  -o, --output PATH     With one input: the file to write (an existing folder,
                        or a path ending in '/', receives the default name).
                        With several inputs: a folder, created if missing.
                        Without -o, "shot.png" is written beside the input as
                        "shot-styled.png" (or "shot-styled.jpeg").
                        An input is never overwritten.
  --format png|jpeg     Encoding (jpg is accepted for jpeg). Without it, an
                        output name ending in .png/.jpg/.jpeg decides, else
                        the styling's exportFormat.
  --scale N             Resampling factor of the written image (default: the
                        styling's exportScale, 2 for the defaults).
  --copy                Put the styled image (PNG) on the clipboard instead;
                        with -o it is written as well. One input only. The
                        copy stays pasteable after lustrelab exits (on
                        Wayland through wl-copy, package wl-clipboard).
  --redact              Covers, before styling, what the screenshot's text
                        gives away: email, IP and credential-URL addresses,
                        keys and tokens, card numbers, IBANs, phone numbers
                        (read with Tesseract, English; solid boxes).

Styling
)") + stylingOptionsHelp() + QStringLiteral(R"(  --annotations FILE    Texts, shapes, removal areas, step markers, pen
                        strokes and a crop (below).

Styling comes from --settings or --template (one of them, each a whole
record), then the --set changes, then --scale and --format.

Projects
  An input saved by the window as a project (FILE.lustrelab) is composed
  with its own styling, annotations and background picture. --set, --scale
  and --format still apply to it; --settings, --template and --annotations
  replace its own.

Annotations file
  {"textOverlays": [...], "shapeOverlays": [...], "removalAreas": [...],
   "stepMarkers": [...], "penStrokes": [...], "crop": {...}}, every key
  optional. Entries use the fields below; an omitted field takes the value
  of a newly added annotation; unknown keys and wrong types are errors.
  Positions are fractions of the styled image, x from the left, y from the
  BOTTOM: points {"x":0.5,"y":0.5}, rectangles {"x":..,"y":..,"width":..,
  "height":..}. Colours are objects as above or "#RRGGBB[AA]"; null means
  none.
  text     text position fontName fontSize fontWeight ("Ultra Light" .. "Black")
           textColor backgroundColor isRedacted rotation opacity
  shape    shapeType ("Rectangle", "Rounded Rect", "Ellipse", "Line", "Arrow",
           "Highlight", "Blur", "Pixelate", "Redact", "Spotlight")
           startPoint endPoint strokeColor fillColor strokeWidth opacity
           arrowStyle ("Single", "Double", "None"), cellSize (Pixelate's
           cells, points), spotlightShape ("Rectangle", "Ellipse"). A Redact
           box is filled black and a Spotlight dims to opacity 0.6 unless
           the entry says otherwise.
  removal  rect (required) method ("Content-Aware", "Solid Color")
  stepMarkers
           position (required) number color size tailPoint (a point the
           marker's tail reaches to); a marker without a number counts on
           from the one before it, the first from 1
  penStrokes
           points (required: [{"x":..,"y":..},...]) highlighter color width
           opacity; a highlighter is yellow, 18 wide at 0.5 unless given
  crop     a rectangle of the SCREENSHOT (y from its bottom edge, inside it):
           only that part is styled

Exit status: 0 when every output was written; 1 when an input or a JSON file
failed (one "lustrelab: FILE: reason" line each; the other inputs are still
written); 2 for a usage error, including a bad --set. Written paths are
printed on standard output. Qt's own warnings are silenced unless the
environment variable LUSTRELAB_QT_WARNINGS is set.
)");
}

} // namespace lustrelab
