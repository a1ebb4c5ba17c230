#include "sidebar_style.h"

#include "sidebar_scroll_area.h"
#include "symbol_icon.h"

#include <QBoxLayout>
#include <QFrame>
#include <QLabel>
#include <QToolButton>

namespace lustrelab {

namespace {

QFont resized(const QFont& base, double steps)
{
    QFont font = base;
    if (base.pointSizeF() > 0)
        font.setPointSizeF(std::max(7.0, base.pointSizeF() + steps));
    else if (base.pixelSize() > 0)
        font.setPixelSize(std::max(9, base.pixelSize() + int(steps * 4 / 3)));
    return font;
}

} // namespace

QFont captionFont(const QFont& base)
{
    return resized(base, -1);
}

QFont caption2Font(const QFont& base)
{
    return resized(base, -1.5);
}

QFont subheadlineFont(const QFont& base)
{
    QFont font = resized(base, 0);
    font.setWeight(QFont::Medium);
    return font;
}

QFont headlineFont(const QFont& base)
{
    QFont font = resized(base, 0.5);
    font.setWeight(QFont::DemiBold);
    return font;
}

QColor destructiveColor(const QPalette& palette)
{
    return isDarkPalette(palette) ? QColor(255, 105, 97) : QColor(215, 38, 38);
}

bool isDarkPalette(const QPalette& palette)
{
    return palette.color(QPalette::Window).lightnessF() < palette.color(QPalette::WindowText).lightnessF();
}

QLabel* makeHeadline(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setFont(headlineFont(label->font()));
    return label;
}

QLabel* makeCaption(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setFont(captionFont(label->font()));
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

QFrame* makeDivider(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setFixedHeight(1);
    line->setForegroundRole(QPalette::Mid);
    return line;
}

QWidget* makeLabelledRow(const QString& label, QWidget* control, QWidget* parent)
{
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* name = new QLabel(label, row);
    name->setBuddy(control);
    if (control->accessibleName().isEmpty())
        control->setAccessibleName(label);
    control->setParent(row);
    layout->addWidget(name);
    layout->addStretch(1);
    layout->addWidget(control);
    return row;
}

QToolButton* addSettingsHeader(QVBoxLayout* column, const QString& title, const QString& deleteLabel,
                               QWidget* parent)
{
    auto* header = new QHBoxLayout;
    header->addWidget(makeHeadline(title, parent));
    header->addStretch(1);
    auto* remove = new QToolButton(parent);
    remove->setObjectName(QStringLiteral("delete"));
    setSymbol(remove, QStringLiteral("trash"), true);
    remove->setAutoRaise(true);
    remove->setFocusPolicy(Qt::StrongFocus);
    remove->setToolTip(deleteLabel);
    remove->setAccessibleName(deleteLabel);
    header->addWidget(remove);
    column->addLayout(header);
    return remove;
}

QScrollArea* makeSidebarScrollArea(QWidget* content, QWidget* parent)
{
    return new SidebarScrollArea(content, parent);
}

} // namespace lustrelab
