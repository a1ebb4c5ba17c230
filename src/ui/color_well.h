#pragma once

#include <QColor>
#include <QPushButton>

namespace lustrelab {

// A button showing a colour (over a checkerboard, so its opacity shows); a
// click opens the colour dialog with an opacity channel. The owner stores the
// picked colour and shows it back with setColor.
class ColorWell : public QPushButton
{
    Q_OBJECT

  public:
    explicit ColorWell(const QString& label, QWidget* parent = nullptr);

    QColor color() const { return m_color; }
    void setColor(const QColor& color);

    QSize sizeHint() const override { return {44, 24}; }

  signals:
    // The user confirmed a colour in the dialog.
    void colorPicked(const QColor& color);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void openDialog();

    QString m_label;
    QColor m_color = Qt::white;
};

} // namespace lustrelab
