#include "redaction_panel.h"

#include "state/text_actions.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace lustrelab {

RedactionPanel::RedactionPanel(TextActions& actions, QWidget* parent) : QWidget(parent)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    m_redact = new QPushButton(tr("Redact Sensitive"), this);
    m_redact->setObjectName(QStringLiteral("redactSensitive"));
    m_redact->setToolTip(tr("Cover addresses, keys, card numbers and the like (Ctrl+Shift+R)"));
    connect(m_redact, &QPushButton::clicked, &actions, &TextActions::redactSensitive);
    column->addWidget(m_redact);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("textStatus"));
    m_status->setWordWrap(true);
    m_status->setForegroundRole(QPalette::PlaceholderText);
    m_status->hide();
    column->addWidget(m_status);

    connect(&actions, &TextActions::busyChanged, this, [this](bool busy) {
        if (busy) {
            m_status->setText(tr("Reading text…"));
            m_status->show();
        }
    });
    connect(&actions, &TextActions::message, this, [this](const QString& text) {
        m_status->setText(text);
        m_status->show();
    });
}

} // namespace lustrelab
