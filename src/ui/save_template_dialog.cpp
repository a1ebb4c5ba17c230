#include "save_template_dialog.h"

#include "readable_text.h"
#include "state/app_state.h"

#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace lustrelab {

SaveTemplateDialog::SaveTemplateDialog(AppState& state, QWidget* parent) : QDialog(parent), m_state(state)
{
    setWindowTitle(tr("Save Template"));
    keepSecondaryTextReadable(*this);
    setFixedWidth(320);

    auto* title = new QLabel(tr("Save Template"), this);
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    titleFont.setWeight(QFont::DemiBold);
    title->setFont(titleFont);

    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("name"));
    m_name->setPlaceholderText(tr("Template name"));
    m_name->setAccessibleName(tr("Template name"));
    m_name->setFixedWidth(250);

    auto* cancel = new QPushButton(tr("Cancel"), this);
    m_save = new QPushButton(tr("Save"), this);
    m_save->setObjectName(QStringLiteral("save"));
    m_save->setDefault(true);
    m_save->setAutoDefault(true);
    cancel->setAutoDefault(false);
    m_save->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    buttons->addWidget(m_save);
    buttons->addStretch(1);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(16);
    column->addWidget(title, 0, Qt::AlignHCenter);
    column->addWidget(m_name, 0, Qt::AlignHCenter);
    column->addLayout(buttons);

    connect(m_name, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_save->setEnabled(!text.isEmpty()); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_save, &QPushButton::clicked, this, [this] {
        // Return in the field reaches here through the default button, which
        // stays disabled (and so inert) while the name is empty.
        if (m_name->text().isEmpty())
            return;
        m_state.templateManager().saveTemplate(m_name->text(), m_state.settings());
        accept();
    });
    m_name->setFocus();
    // As tall as its contents and no taller: a sheet that could be resized
    // gets a resize handle from some window managers (openbox), a strip
    // under the buttons that belongs to nothing.
    setFixedHeight(sizeHint().height());
}

} // namespace lustrelab
