#include "collapsible_section.h"

#include "shell_palette.h"
#include "sidebar_style.h"
#include "symbol_icon.h"

#include <QAbstractButton>
#include <QBoxLayout>
#include <QEasingCurve>
#include <QPainter>
#include <QPropertyAnimation>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace lustrelab {

namespace {

// The header row: the section's symbol in a 20-wide box, its title, and a
// chevron that points right while folded and down while open.
class SectionHeader : public QAbstractButton
{
  public:
    SectionHeader(const QString& title, const QString& symbol, QWidget* parent)
        : QAbstractButton(parent), m_symbol(symbol)
    {
        setText(title);
        setFocusPolicy(Qt::StrongFocus);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        setFont(subheadlineFont(font()));
        setAccessibleName(title);
    }

    void setCollapsed(bool collapsed)
    {
        m_collapsed = collapsed;
        setAccessibleDescription(collapsed ? CollapsibleSection::tr("Collapsed")
                                           : CollapsibleSection::tr("Expanded"));
        update();
    }

    QSize sizeHint() const override
    {
        return {12 + 20 + 6 + fontMetrics().horizontalAdvance(text()) + 6 + 12 + 12,
                std::max(fontMetrics().height(), 16) + 20};
    }

  protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QPalette& pal = palette();
        QColor background = pal.color(QPalette::Button);
        if (underMouse())
            background = isDarkPalette(pal) ? background.lighter(115) : background.darker(104);
        painter.fillRect(rect(), background);

        const int middle = height() / 2;
        const QRect symbolBox(12 + 2, middle - 8, 16, 16);
        painter.drawPixmap(symbolBox, symbolIcon(m_symbol, pal, shell::secondaryColor(pal)).pixmap(16, 16));

        const QRect chevronBox(width() - 12 - 10, middle - 5, 10, 10);
        const QString chevron =
            m_collapsed ? QStringLiteral("chevron.right") : QStringLiteral("chevron.down");
        painter.drawPixmap(chevronBox, symbolIcon(chevron, pal, shell::secondaryColor(pal)).pixmap(10, 10));

        painter.setPen(pal.color(QPalette::ButtonText));
        const QRect textBox(12 + 20 + 6, 0, chevronBox.left() - 6 - (12 + 20 + 6), height());
        painter.drawText(textBox, Qt::AlignVCenter | Qt::AlignLeft,
                         fontMetrics().elidedText(text(), Qt::ElideRight, textBox.width()));

        if (hasFocus()) {
            QStyleOptionFocusRect option;
            option.initFrom(this);
            option.rect = rect().adjusted(2, 2, -2, -2);
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
        }
    }
    void enterEvent(QEnterEvent* event) override
    {
        update();
        QAbstractButton::enterEvent(event);
    }
    void leaveEvent(QEvent* event) override
    {
        update();
        QAbstractButton::leaveEvent(event);
    }

  private:
    QString m_symbol;
    bool m_collapsed = false;
};

QEasingCurve easeInOut()
{
    // The familiar ease-in-out timing curve, (0.42, 0) to (0.58, 1).
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(0.42, 0), QPointF(0.58, 1), QPointF(1, 1));
    return curve;
}

} // namespace

CollapsibleSection::CollapsibleSection(const QString& title, const QString& symbol, QWidget* parent)
    : QWidget(parent)
{
    auto* header = new SectionHeader(title, symbol, this);
    m_header = header;
    m_header->setObjectName(QStringLiteral("header"));

    // The body sits in a clipping box whose maximum height is animated, so
    // the content keeps its own layout while it slides.
    m_clip = new QWidget(this);
    m_body = new QWidget(m_clip);
    m_body->setObjectName(QStringLiteral("body"));
    m_bodyLayout = new QVBoxLayout(m_body);
    m_bodyLayout->setContentsMargins(12, 12, 12, 12);
    m_bodyLayout->setSpacing(10);
    auto* clipLayout = new QVBoxLayout(m_clip);
    clipLayout->setContentsMargins(0, 0, 0, 0);
    clipLayout->addWidget(m_body);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_header);
    column->addWidget(m_clip);
    column->addWidget(makeDivider(this));

    m_animation = new QPropertyAnimation(m_clip, "maximumHeight", this);
    m_animation->setDuration(animationMilliseconds);
    m_animation->setEasingCurve(easeInOut());
    connect(m_animation, &QPropertyAnimation::finished, this, &CollapsibleSection::finishAnimation);
    connect(m_header, &QAbstractButton::clicked, this, [this] { emit toggleRequested(!m_collapsed); });

    header->setCollapsed(false);
}

bool CollapsibleSection::isAnimating() const
{
    return m_animation->state() == QAbstractAnimation::Running;
}

void CollapsibleSection::setCollapsed(bool collapsed, bool animated)
{
    if (collapsed == m_collapsed && !isAnimating())
        return;
    m_collapsed = collapsed;
    static_cast<SectionHeader*>(m_header)->setCollapsed(collapsed);
    m_animation->stop();
    if (!animated || !isVisible()) {
        finishAnimation();
        return;
    }
    const int open =
        m_body->hasHeightForWidth() ? m_body->heightForWidth(width()) : m_body->sizeHint().height();
    const int from = m_clip->isVisible() ? m_clip->height() : 0;
    m_clip->setMaximumHeight(from);
    m_clip->setVisible(true);
    m_animation->setStartValue(from);
    m_animation->setEndValue(collapsed ? 0 : std::max(open, 0));
    m_animation->start();
}

void CollapsibleSection::finishAnimation()
{
    m_clip->setVisible(!m_collapsed);
    m_clip->setMaximumHeight(QWIDGETSIZE_MAX);
}

} // namespace lustrelab
