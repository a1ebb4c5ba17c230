#include "tab_item.h"

#include "image_thumbnail.h"
#include "shell_palette.h"
#include "tab_bar_icons.h"

#include <QAccessible>
#include <QEnterEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

namespace lustrelab {

namespace {

constexpr qreal backgroundRadius = 6;
constexpr qreal thumbnailRadius = 2;

QPixmap roundedThumbnail(const QImage& source, qreal devicePixelRatio)
{
    const QImage filled = imageThumbnail(source, QSize(TabItem::thumbnailSize, TabItem::thumbnailSize),
                                         devicePixelRatio, Qt::KeepAspectRatioByExpanding);
    if (filled.isNull())
        return {};
    QPixmap pixmap(filled.size());
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath clip;
    clip.addRoundedRect(QRectF(QPointF(), QSizeF(filled.size()) / devicePixelRatio), thumbnailRadius,
                        thumbnailRadius);
    painter.setClipPath(clip);
    painter.drawImage(QPointF(), filled);
    return pixmap;
}

} // namespace

TabItem::TabItem(const ScreenshotTab& tab, QWidget* parent)
    : QWidget(parent), m_tabId(tab.id), m_thumbnail(new QLabel(this)), m_nameLabel(new QLabel(this)),
      m_closeButton(new QToolButton(this)), m_modifiedMark(new QLabel(this))
{
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::ClickFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    m_thumbnail->setObjectName(QStringLiteral("thumbnail"));
    m_nameLabel->setObjectName(QStringLiteral("name"));
    m_thumbnail->setFixedSize(thumbnailSize, thumbnailSize);
    m_thumbnail->setAlignment(Qt::AlignCenter);
    m_nameLabel->setFont(shell::captionFont(font()));
    m_closeButton->setAutoRaise(true);
    m_closeButton->setFixedSize(14, 14);
    m_closeButton->setIconSize(QSize(8, 8));
    m_closeButton->setFocusPolicy(Qt::NoFocus);
    m_closeButton->setToolTip(tr("Close Tab"));
    m_closeButton->setObjectName(QStringLiteral("closeTabButton"));
    setAccessibleDescription(tr("Left and Right select the neighbouring tab, Delete closes it"));
    connect(m_closeButton, &QToolButton::clicked, this, &TabItem::closeRequested);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->setSpacing(6);
    layout->addWidget(m_thumbnail);
    layout->addWidget(m_nameLabel);
    // A dot, as editors mark a document with unsaved changes.
    m_modifiedMark->setObjectName(QStringLiteral("modifiedMark"));
    m_modifiedMark->setText(QStringLiteral("\u25CF"));
    m_modifiedMark->setFont(shell::captionFont(font()));
    m_modifiedMark->setToolTip(tr("Unsaved changes"));
    m_modifiedMark->setAccessibleName(tr("Unsaved changes"));
    m_modifiedMark->hide();
    layout->addWidget(m_modifiedMark);
    layout->addWidget(m_closeButton);

    updateIcons();
    setTab(tab);
    updateCloseButton();
}

void TabItem::setTab(const ScreenshotTab& tab)
{
    if (tab.name != m_name) {
        m_name = tab.name;
        updateName();
    }
    if (tab.isModified() != m_modified) {
        m_modified = tab.isModified();
        m_modifiedMark->setVisible(m_modified);
    }
    const qint64 key = tab.hasImage() ? tab.document.screenshot.cacheKey() : 0;
    if (key != m_sourceKey) {
        m_source = tab.hasImage() ? std::optional(tab.document.screenshot) : std::nullopt;
        m_sourceKey = key;
        updateThumbnail();
    }
}

void TabItem::setSelected(bool selected)
{
    if (selected == m_selected)
        return;
    m_selected = selected;
    // Only the selected tab is a focus stop, so Tab passes the strip in one step.
    setFocusPolicy(selected ? Qt::StrongFocus : Qt::ClickFocus);
    m_closeButton->setFocusPolicy(selected ? Qt::TabFocus : Qt::NoFocus);
    updateCloseButton();
    update();
    QAccessible::State changed;
    changed.selected = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
}

void TabItem::setHovering(bool hovering)
{
    if (hovering == m_hovering)
        return;
    m_hovering = hovering;
    updateCloseButton();
    update();
}

void TabItem::updateCloseButton()
{
    m_closeButton->setVisible(m_selected || m_hovering);
}

void TabItem::updateName()
{
    const QFontMetrics metrics(m_nameLabel->font());
    m_nameLabel->setText(metrics.elidedText(m_name, Qt::ElideRight, maximumNameWidth));
    m_nameLabel->setMaximumWidth(maximumNameWidth);
    m_nameLabel->setToolTip(m_name);
    setAccessibleName(m_name);
    m_thumbnail->setAccessibleName(tr("Thumbnail of %1").arg(m_name));
    m_closeButton->setAccessibleName(tr("Close %1").arg(m_name));
}

void TabItem::updateThumbnail()
{
    if (m_source && !m_source->isNull()) {
        m_thumbnail->setPixmap(roundedThumbnail(*m_source, devicePixelRatioF()));
        return;
    }
    const QIcon photo = tabBarIcon(TabBarSymbol::photo, shell::secondaryColor(palette()));
    m_thumbnail->setPixmap(photo.pixmap(QSize(thumbnailSize, thumbnailSize), devicePixelRatioF()));
}

void TabItem::updateIcons()
{
    m_closeButton->setIcon(tabBarIcon(TabBarSymbol::close, shell::secondaryColor(palette())));
}

void TabItem::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const QColor accent = shell::accentColor(palette());
    if (m_selected) {
        painter.setBrush(shell::withOpacity(accent, 0.15));
        painter.setPen(QPen(shell::withOpacity(accent, 0.3), 1));
    } else if (m_hovering) {
        painter.setBrush(shell::withOpacity(shell::secondaryColor(palette()), 0.1));
        painter.setPen(Qt::NoPen);
    } else {
        paintFocusRing(painter);
        return;
    }
    painter.drawRoundedRect(box, backgroundRadius, backgroundRadius);
    paintFocusRing(painter);
}

void TabItem::paintFocusRing(QPainter& painter) const
{
    if (!hasFocus())
        return;
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), backgroundRadius, backgroundRadius);
}

void TabItem::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        emit selectRequested();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void TabItem::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Left:
        emit stepRequested(layoutDirection() == Qt::RightToLeft ? 1 : -1);
        break;
    case Qt::Key_Right:
        emit stepRequested(layoutDirection() == Qt::RightToLeft ? -1 : 1);
        break;
    case Qt::Key_Delete:
        emit closeRequested();
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void TabItem::focusInEvent(QFocusEvent* event)
{
    update();
    QWidget::focusInEvent(event);
}

void TabItem::focusOutEvent(QFocusEvent* event)
{
    update();
    QWidget::focusOutEvent(event);
}

void TabItem::enterEvent(QEnterEvent* event)
{
    setHovering(true);
    QWidget::enterEvent(event);
}

void TabItem::leaveEvent(QEvent* event)
{
    setHovering(false);
    QWidget::leaveEvent(event);
}

void TabItem::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange) {
        updateIcons();
        updateThumbnail();
    } else if (event->type() == QEvent::FontChange) {
        m_nameLabel->setFont(shell::captionFont(font()));
        updateName();
    }
    QWidget::changeEvent(event);
}

} // namespace lustrelab
