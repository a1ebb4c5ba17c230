#pragma once

#include <QPushButton>

namespace lustrelab {

// The one emphasised action of a group: filled with the accent colour, text
// and icon in the colour drawn on it. Styles tint a plain button's own colour
// into a pale gradient that white text does not stand out on, so it paints
// itself.
class ProminentButton : public QPushButton
{
    Q_OBJECT

  public:
    ProminentButton(const QString& symbol, const QString& text, QWidget* parent = nullptr);

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    QString m_symbol;
};

} // namespace lustrelab
