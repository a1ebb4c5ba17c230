#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace lustrelab {

class TextActions;

// The tools pane's "Redact Sensitive" button with the line that answers it:
// "Reading text…" while the text is read, then what was found (or copied,
// or why nothing was).
class RedactionPanel : public QWidget
{
    Q_OBJECT

  public:
    explicit RedactionPanel(TextActions& actions, QWidget* parent = nullptr);

  private:
    QPushButton* m_redact;
    QLabel* m_status;
};

} // namespace lustrelab
