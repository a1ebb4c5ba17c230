#include "text_overlay.h"

namespace lustrelab {

QList<QString> availableFonts()
{
    return {QStringLiteral("SF Pro Display"), QStringLiteral("SF Pro Rounded"),
            QStringLiteral("SF Mono"),        QStringLiteral("Helvetica Neue"),
            QStringLiteral("Arial"),          QStringLiteral("Avenir Next"),
            QStringLiteral("Futura"),         QStringLiteral("Gill Sans"),
            QStringLiteral("Menlo"),          QStringLiteral("Monaco"),
            QStringLiteral("Georgia"),        QStringLiteral("Times New Roman"),
            QStringLiteral("Courier New"),    QStringLiteral("American Typewriter"),
            QStringLiteral("Marker Felt"),    QStringLiteral("Noteworthy"),
            QStringLiteral("Chalkboard SE"),  QStringLiteral("Comic Sans MS"),
            QStringLiteral("Impact")};
}

QList<double> fontSizes()
{
    return {12, 14, 16, 18, 20, 24, 28, 32, 36, 42, 48, 56, 64, 72, 96, 128};
}

} // namespace lustrelab
