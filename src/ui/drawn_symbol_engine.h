#pragma once

#include <QColor>
#include <QHash>
#include <QIconEngine>
#include <QPixmap>
#include <QString>

namespace lustrelab {

// A drawn symbol as an icon that draws itself when it is shown, at the size
// and in the mode asked for, and keeps what it drew. The window builds well
// over a hundred of these before it first appears; drawing every size in
// every mode up front made them most of the start-up time.
class DrawnSymbolEngine : public QIconEngine
{
  public:
    DrawnSymbolEngine(const QString& name, const QColor& normal, const QColor& disabled, const QColor& selected);

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override;
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
    QString key() const override;
    QIconEngine* clone() const override;
    bool isNull() override { return false; }

  private:
    QColor color(QIcon::Mode mode) const;

    QString m_name;
    QColor m_normal, m_disabled, m_selected;
    QHash<quint64, QPixmap> m_drawn; // by side in pixels and mode
};

} // namespace lustrelab
