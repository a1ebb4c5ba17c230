#include "symbol_icon.h"

#include "drawn_symbol_engine.h"
#include "sidebar_style.h"

#include <QAbstractButton>
#include <QHash>
#include <QImage>

namespace lustrelab {

namespace {

QIcon drawnIcon(const QString& name, const QColor& normal, const QColor& disabled, const QColor& selected)
{
    return QIcon(new DrawnSymbolEngine(name, normal, disabled, selected));
}

const char* const symbolProperty = "lustrelabSymbol";
const char* const destructiveProperty = "lustrelabDestructive";

void applySymbol(QAbstractButton* button, const QPalette& palette)
{
    const QString name = button->property(symbolProperty).toString();
    const bool destructive = button->property(destructiveProperty).toBool();
    button->setIcon(symbolIcon(name, palette, destructive ? destructiveColor(palette) : QColor()));
}

} // namespace

void setSymbol(QAbstractButton* button, const QString& name, bool destructive)
{
    button->setProperty(symbolProperty, name);
    button->setProperty(destructiveProperty, destructive);
    applySymbol(button, button->palette());
}

void refreshSymbols(QWidget* root)
{
    const auto buttons = root->findChildren<QAbstractButton*>();
    for (QAbstractButton* button : buttons)
        if (button->property(symbolProperty).isValid())
            applySymbol(button, root->palette());
}

QString themeIconName(const QString& symbol)
{
    static const QHash<QString, QString> names{
        {QStringLiteral("rectangle.dashed"), QStringLiteral("select-rectangular")},
        {QStringLiteral("macwindow"), QStringLiteral("window")},
        {QStringLiteral("display"), QStringLiteral("video-display")},
        {QStringLiteral("cursorarrow"), QStringLiteral("edit-select")},
        {QStringLiteral("textformat"), QStringLiteral("draw-text")},
        {QStringLiteral("eraser.fill"), QStringLiteral("draw-eraser")},
        {QStringLiteral("plus"), QStringLiteral("list-add")},
        {QStringLiteral("rectangle"), QStringLiteral("draw-rectangle")},
        {QStringLiteral("circle"), QStringLiteral("draw-ellipse")},
        {QStringLiteral("line.diagonal"), QStringLiteral("draw-line")},
        {QStringLiteral("arrow.up.right"), QStringLiteral("draw-arrow")},
        {QStringLiteral("highlighter"), QStringLiteral("draw-highlight")},
        {QStringLiteral("drop.halffull"), QStringLiteral("blurfx")},
        {QStringLiteral("trash"), QStringLiteral("edit-delete")},
        {QStringLiteral("arrow.uturn.backward"), QStringLiteral("edit-undo")},
        {QStringLiteral("arrow.uturn.forward"), QStringLiteral("edit-redo")},
        {QStringLiteral("doc.on.clipboard"), QStringLiteral("edit-paste")},
        {QStringLiteral("doc.on.doc"), QStringLiteral("edit-copy")},
        {QStringLiteral("square.and.arrow.up"), QStringLiteral("document-export")},
        {QStringLiteral("slider.horizontal.3"), QStringLiteral("configure")},
        {QStringLiteral("iphone"), QStringLiteral("phone")},
        {QStringLiteral("paintpalette"), QStringLiteral("color-management")},
        {QStringLiteral("arrow.down.circle"), QStringLiteral("download")},
    };
    return names.value(symbol);
}

bool iconStandsOut(const QIcon& icon, const QColor& background)
{
    const QImage image = icon.pixmap(QSize(16, 16)).toImage().convertToFormat(QImage::Format_ARGB32);
    double weight = 0;
    double lightness = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const double alpha = qAlpha(line[x]) / 255.0;
            weight += alpha;
            lightness += alpha * QColor(line[x]).lightnessF();
        }
    }
    if (weight < 4) // fewer than four pixels' worth of ink: as good as blank
        return false;
    return std::abs(lightness / weight - background.lightnessF()) >= 0.3;
}

QIcon symbolIcon(const QString& name, const QPalette& palette, const QColor& tint)
{
    if (tint.isValid()) {
        QColor disabled = tint;
        disabled.setAlphaF(0.4f);
        return drawnIcon(name, tint, disabled, tint);
    }
    const QString themed = themeIconName(name);
    if (!themed.isEmpty() && QIcon::hasThemeIcon(themed)) {
        const QIcon icon = QIcon::fromTheme(themed);
        if (iconStandsOut(icon, palette.color(QPalette::Window)))
            return icon;
    }
    return drawnIcon(name, palette.color(QPalette::Active, QPalette::ButtonText),
                     palette.color(QPalette::Disabled, QPalette::ButtonText),
                     palette.color(QPalette::Active, QPalette::HighlightedText));
}

} // namespace lustrelab
