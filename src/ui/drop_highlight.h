#pragma once

#include <QWidget>

namespace lustrelab {

// The layer over the window while a drag that carries an image hovers it: a
// light wash of the accent colour with a document symbol and "Drop image
// here". It never takes pointer or drag events, so the drop goes through.
class DropHighlight : public QWidget
{
    Q_OBJECT

  public:
    explicit DropHighlight(QWidget* parent = nullptr);

    static QString message();

  protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace lustrelab
