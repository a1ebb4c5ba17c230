#include "inline_text_editor.h"

#include <QEvent>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace lustrelab {

namespace {

constexpr double padding = 6;
constexpr double minimumCardWidth = 100;
constexpr double cornerRadius = 4;
constexpr int shadowRadius = 2; // room kept around the card for its shadow

} // namespace

InlineTextEditor::InlineTextEditor(QWidget* parent) : QWidget(parent), m_field(new QLineEdit(this))
{
    m_field->setObjectName(QStringLiteral("textField"));
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSizeF(14);
    m_field->setFont(font);
    m_field->setFrame(false);
    // The card below is the field's background.
    QPalette fieldPalette = m_field->palette();
    fieldPalette.setColor(QPalette::Base, Qt::transparent);
    m_field->setPalette(fieldPalette);
    m_field->installEventFilter(this);
    connect(m_field, &QLineEdit::returnPressed, this, [this] {
        // The canvas takes the focus first: hiding the focused field would
        // hand it to whatever control comes next in the window instead.
        // Taking it commits (the focus leaves the field).
        if (parentWidget())
            parentWidget()->setFocus(Qt::OtherFocusReason);
        commit();
    });
    connect(m_field, &QLineEdit::textChanged, this, &InlineTextEditor::fitToText);
    hide();
}

void InlineTextEditor::begin(const QString& text, QPointF centre)
{
    m_editing = true;
    m_centre = centre;
    m_field->setText(text);
    m_field->selectAll();
    fitToText();
    show();
    raise();
    m_field->setFocus(Qt::OtherFocusReason);
}

void InlineTextEditor::moveCentre(QPointF centre)
{
    m_centre = centre;
    fitToText();
}

void InlineTextEditor::commit()
{
    finish(false);
}

void InlineTextEditor::finish(bool byPointer)
{
    if (!m_editing)
        return;
    m_endedByPointer = byPointer;
    // Cleared before hiding: hiding takes the focus away, which commits again.
    m_editing = false;
    const QString text = m_field->text();
    hide();
    emit committed(text);
}

void InlineTextEditor::cancel()
{
    m_editing = false;
    hide();
}

bool InlineTextEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_field && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        // Escape leaves the field and drops what was typed; the keys go back
        // to the canvas.
        cancel();
        if (parentWidget())
            parentWidget()->setFocus(Qt::OtherFocusReason);
        return true;
    }
    if (watched == m_field && event->type() == QEvent::FocusOut) {
        // A popup (the field's own context menu) borrows the focus without ending the edit.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason)
            finish(reason == Qt::MouseFocusReason);
    }
    return QWidget::eventFilter(watched, event);
}

void InlineTextEditor::fitToText()
{
    const QFontMetricsF metrics(m_field->font());
    // Room for the text plus the cursor, so the field does not scroll while typing.
    const double textWidth = metrics.horizontalAdvance(m_field->text()) + metrics.averageCharWidth() * 2;
    const double cardWidth = std::ceil(std::max(minimumCardWidth, textWidth + 2 * padding));
    const double cardHeight = std::ceil(metrics.height() + 2 * padding);
    const QSize outer(int(cardWidth) + 2 * shadowRadius, int(cardHeight) + 2 * shadowRadius);
    setGeometry(QRect(QPoint(int(std::lround(m_centre.x() - outer.width() / 2.0)),
                             int(std::lround(m_centre.y() - outer.height() / 2.0))),
                      outer));
    m_field->setGeometry(QRect(shadowRadius, shadowRadius, int(cardWidth), int(cardHeight)));
    m_field->setTextMargins(int(padding), 0, int(padding), 0);
}

void InlineTextEditor::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF card = QRectF(m_field->geometry());
    // A soft shadow: a few widening, fading rings under the card.
    for (int ring = shadowRadius; ring >= 1; --ring) {
        QColor shade(0, 0, 0, 18 * (shadowRadius - ring + 1));
        painter.setPen(Qt::NoPen);
        painter.setBrush(shade);
        painter.drawRoundedRect(card.adjusted(-ring, -ring + 1, ring, ring + 1), cornerRadius + ring,
                                cornerRadius + ring);
    }
    painter.setBrush(palette().color(QPalette::Base));
    painter.drawRoundedRect(card, cornerRadius, cornerRadius);
}

} // namespace lustrelab
