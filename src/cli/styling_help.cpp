#include "styling_help.h"

#include "model/styling_fields.h"

#include <QStringList>

#include <type_traits>
#include <variant>

namespace lustrelab {

namespace {

constexpr qsizetype optionColumn = 24; // where an option's description starts
constexpr qsizetype lineWidth = 78;

// `words` after `lead` (which may be empty) from the description column,
// wrapped at lineWidth; continuation lines are indented two more.
QString wrapped(const QString& lead, const QStringList& words)
{
    QString text = QString(optionColumn, u' ') + lead;
    qsizetype lineStart = 0;
    bool lineHasText = !lead.isEmpty();
    for (const QString& word : words) {
        if (lineHasText && text.size() - lineStart + 1 + word.size() > lineWidth) {
            text += u'\n';
            lineStart = text.size();
            text += QString(optionColumn + 2, u' ');
            lineHasText = false;
        }
        if (lineHasText)
            text += u' ';
        text += word;
        lineHasText = true;
    }
    return text + u'\n';
}

template <typename M> constexpr bool isNumber = std::is_same_v<M, double> || std::is_same_v<M, float>;

template <typename E> QString rawValueChoices()
{
    QStringList raws;
    for (E e : allCases<E>())
        raws << rawValue(e);
    return raws.join(QStringLiteral(" | "));
}

} // namespace

QString stylingOptionsHelp()
{
    QStringList later, numbers, booleans, colours, enumerations, ids;
    for (const StylingField& field : stylingFields()) {
        const QString key = QString::fromLatin1(field.key);
        if (field.since > 1)
            later << key;
        std::visit(
            [&](auto member) {
                using M = std::remove_cvref_t<decltype(BeautySettings{}.*member)>;
                if constexpr (isNumber<M>) {
                    if (field.rule == StylingValueRule::positive)
                        numbers << key + QStringLiteral(" (positive)");
                    else if (field.rule == StylingValueRule::fraction)
                        numbers << key + QStringLiteral(" (0 to 1)");
                    else
                        numbers << key;
                } else if constexpr (std::is_same_v<M, bool>) {
                    booleans << key;
                } else if constexpr (std::is_same_v<M, CodableColor>) {
                    colours << key;
                } else if constexpr (std::is_enum_v<M>) {
                    enumerations << key + QStringLiteral(": ") + rawValueChoices<M>();
                } else if constexpr (std::is_same_v<M, QString>) {
                    if (field.rule != StylingValueRule::path)
                        ids << key;
                }
            },
            field.member);
    }

    QString help = QStringLiteral(
        "  --settings FILE       A styling JSON object as templates store it (strict:\n"
        "                        right types). Colours may also be written as\n"
        "                        \"#RRGGBB\" or \"#RRGGBBAA\", as for --set. Keys added\n"
        "                        since the first files may be left out:\n");
    help += wrapped(QString(), later);
    help += QStringLiteral(
        "  --template NAME       A template saved in the application, by name\n"
        "                        (~/.local/share/Lustrelab/templates.json).\n"
        "  --set FIELD=VALUE     Change one field; repeatable, later ones win.\n");
    help += wrapped(QStringLiteral("Numbers:"), numbers);
    help += wrapped(QStringLiteral("Booleans (true|false):"), booleans);
    help += wrapped(QStringLiteral("Colours (#RRGGBB, #RRGGBBAA with alpha last, or"),
                    QStringList{QStringLiteral(R"({"red":1,"green":0,"blue":0,"opacity":1}):)")} + colours);
    for (const QString& enumeration : enumerations)
        help += wrapped(QString(), enumeration.split(u' '));
    help += QStringLiteral(
        "                        customGradient: {\"kind\":\"linear|radial|conic\",\n"
        "                          \"angle\":45,\"centerX\":0.5,\"centerY\":0.5,\"stops\":\n"
        "                          [{\"color\":\"#6366f1\",\"position\":0},...]} (2-5 stops;\n"
        "                          a linear one may leave out the centre, a radial\n"
        "                          one the angle)\n"
        "                        backgroundImagePath: an image file\n");
    help += wrapped(QString(), (ids.join(QStringLiteral(", ")) + QStringLiteral(": an id from `lustrelab presets`")).split(u' '));
    return help;
}

} // namespace lustrelab
