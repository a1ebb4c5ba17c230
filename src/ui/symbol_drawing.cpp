#include "symbol_drawing.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRegion>
#include <array>
#include <functional>
#include <map>

namespace lustrelab {

namespace {

using Draw = std::function<void(QPainter&, const QColor&)>;

void polyline(QPainter& p, std::initializer_list<QPointF> points)
{
    const QPolygonF polygon(points);
    p.drawPolyline(polygon);
}

void filledDot(QPainter& p, const QColor& color, QPointF centre, double radius)
{
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(centre, radius, radius);
    p.restore();
}

void uturn(QPainter& p, bool forward)
{
    const auto x = [forward](double v) { return forward ? 16 - v : v; };
    QPainterPath path;
    path.moveTo(x(12.5), 13);
    path.lineTo(x(12.5), 8.5);
    path.quadTo(x(12.5), 4.5, x(8.5), 4.5);
    path.lineTo(x(3.5), 4.5);
    p.drawPath(path);
    polyline(p, {{x(6.5), 1.5}, {x(3.5), 4.5}, {x(6.5), 7.5}});
}

const std::map<QString, Draw, std::less<>>& drawings()
{
    static const std::map<QString, Draw, std::less<>> table{
        {QStringLiteral("rectangle.dashed"),
         [](QPainter& p, const QColor&) {
             QPen pen = p.pen();
             pen.setDashPattern({1.6, 1.4});
             pen.setCapStyle(Qt::FlatCap);
             p.setPen(pen);
             p.drawRect(QRectF(2.5, 3.5, 11, 9));
         }},
        {QStringLiteral("macwindow"),
         [](QPainter& p, const QColor& c) {
             p.drawRoundedRect(QRectF(1.5, 2.5, 13, 11), 2, 2);
             p.drawLine(QPointF(1.5, 5.8), QPointF(14.5, 5.8));
             for (double x : {3.6, 5.6, 7.6})
                 filledDot(p, c, {x, 4.15}, 0.7);
         }},
        {QStringLiteral("display"),
         [](QPainter& p, const QColor&) {
             p.drawRoundedRect(QRectF(1.5, 2.5, 13, 9), 1.5, 1.5);
             p.drawLine(QPointF(8, 11.5), QPointF(8, 13.8));
             p.drawLine(QPointF(5, 13.8), QPointF(11, 13.8));
         }},
        {QStringLiteral("cursorarrow"),
         [](QPainter& p, const QColor&) {
             p.drawPolygon(QPolygonF(
                 {{4, 1.8}, {4, 13}, {6.8, 10.4}, {8.8, 14.2}, {10.4, 13.4}, {8.5, 9.8}, {12, 9.6}}));
         }},
        {QStringLiteral("textformat"),
         [](QPainter& p, const QColor&) {
             p.drawLine(QPointF(2.5, 3), QPointF(13.5, 3));
             p.drawLine(QPointF(8, 3), QPointF(8, 13.5));
             p.drawLine(QPointF(6, 13.5), QPointF(10, 13.5));
         }},
        {QStringLiteral("square.on.circle"),
         [](QPainter& p, const QColor&) {
             p.drawEllipse(QPointF(10, 10), 4.2, 4.2);
             p.drawRect(QRectF(1.8, 1.8, 7.5, 7.5));
         }},
        {QStringLiteral("eraser.fill"),
         [](QPainter& p, const QColor& c) {
             p.drawPolygon(QPolygonF({{1.8, 10}, {8, 3.8}, {13.6, 9.4}, {7.4, 15.6}}));
             p.save();
             p.setBrush(c);
             p.drawPolygon(QPolygonF({{1.8, 10}, {4.8, 7}, {10.4, 12.6}, {7.4, 15.6}}));
             p.restore();
         }},
        {QStringLiteral("plus"),
         [](QPainter& p, const QColor&) {
             p.drawLine(QPointF(8, 2.5), QPointF(8, 13.5));
             p.drawLine(QPointF(2.5, 8), QPointF(13.5, 8));
         }},
        {QStringLiteral("rectangle"),
         [](QPainter& p, const QColor&) { p.drawRect(QRectF(1.8, 4, 12.4, 8)); }},
        {QStringLiteral("rectangle.roundedtop"),
         [](QPainter& p, const QColor&) { p.drawRoundedRect(QRectF(1.8, 3.5, 12.4, 9), 3.2, 3.2); }},
        {QStringLiteral("circle"),
         [](QPainter& p, const QColor&) { p.drawEllipse(QRectF(2.2, 2.2, 11.6, 11.6)); }},
        {QStringLiteral("line.diagonal"),
         [](QPainter& p, const QColor&) { p.drawLine(QPointF(2.8, 13.2), QPointF(13.2, 2.8)); }},
        {QStringLiteral("arrow.up.right"),
         [](QPainter& p, const QColor&) {
             p.drawLine(QPointF(3.2, 12.8), QPointF(12.5, 3.5));
             polyline(p, {{6, 3.5}, {12.5, 3.5}, {12.5, 10}});
         }},
        {QStringLiteral("highlighter"),
         [](QPainter& p, const QColor& c) {
             p.drawPolygon(QPolygonF({{5.4, 10.6}, {11, 2.6}, {13.6, 4.4}, {8, 12.4}}));
             p.drawPolygon(QPolygonF({{5.4, 10.6}, {4, 13.2}, {6.8, 13.4}, {8, 12.4}}));
             QColor band = c;
             band.setAlphaF(c.alphaF() * 0.45f);
             p.save();
             p.setPen(QPen(band, 2, Qt::SolidLine, Qt::FlatCap));
             p.drawLine(QPointF(1.5, 14.8), QPointF(14.5, 14.8));
             p.restore();
         }},
        {QStringLiteral("drop.halffull"),
         [](QPainter& p, const QColor& c) {
             QPainterPath drop;
             drop.moveTo(8, 1.5);
             drop.cubicTo(8, 1.5, 3, 7.5, 3, 10);
             drop.cubicTo(3, 12.8, 5.2, 14.5, 8, 14.5);
             drop.cubicTo(10.8, 14.5, 13, 12.8, 13, 10);
             drop.cubicTo(13, 7.5, 8, 1.5, 8, 1.5);
             p.save();
             p.setClipRect(QRectF(8, 0, 8, 16));
             p.fillPath(drop, c);
             p.restore();
             p.drawPath(drop);
         }},
        {QStringLiteral("crop"),
         [](QPainter& p, const QColor&) {
             polyline(p, {{4.5, 1.5}, {4.5, 11.5}, {14.5, 11.5}});
             polyline(p, {{1.5, 4.5}, {11.5, 4.5}, {11.5, 14.5}});
         }},
        {QStringLiteral("number.circle"),
         [](QPainter& p, const QColor&) {
             p.drawEllipse(QRectF(2.2, 2.2, 11.6, 11.6));
             polyline(p, {{6.6, 5.6}, {8.4, 4.6}, {8.4, 11.4}});
         }},
        {QStringLiteral("pencil.tip"),
         [](QPainter& p, const QColor&) {
             p.drawPolygon(QPolygonF({{3, 13}, {4, 9.6}, {11.4, 2.2}, {13.8, 4.6}, {6.4, 12}}));
             p.drawLine(QPointF(9.8, 3.8), QPointF(12.2, 6.2));
         }},
        {QStringLiteral("square.grid.3x3"),
         [](QPainter& p, const QColor& c) {
             for (int row = 0; row < 3; ++row)
                 for (int column = 0; column < 3; ++column)
                     if ((row + column) % 2 == 0)
                         p.fillRect(QRectF(2 + column * 4, 2 + row * 4, 4, 4), c);
             p.drawRect(QRectF(2, 2, 12, 12));
         }},
        {QStringLiteral("rectangle.fill"),
         [](QPainter& p, const QColor& c) {
             p.fillRect(QRectF(1.8, 4, 12.4, 8), c);
             p.drawRect(QRectF(1.8, 4, 12.4, 8));
         }},
        {QStringLiteral("circle.dashed.inset.filled"),
         [](QPainter& p, const QColor& c) {
             QColor dim = c;
             dim.setAlphaF(c.alphaF() * 0.45f);
             QPainterPath outside;
             outside.setFillRule(Qt::OddEvenFill);
             outside.addRect(QRectF(1.5, 1.5, 13, 13));
             outside.addEllipse(QRectF(4.5, 4.5, 7, 7));
             p.fillPath(outside, dim);
             p.drawEllipse(QRectF(4.5, 4.5, 7, 7));
         }},
        {QStringLiteral("trash"),
         [](QPainter& p, const QColor&) {
             p.drawLine(QPointF(2.5, 4), QPointF(13.5, 4));
             polyline(p, {{6, 4}, {6, 2.2}, {10, 2.2}, {10, 4}});
             polyline(p, {{4, 4}, {4.8, 14.2}, {11.2, 14.2}, {12, 4}});
             p.drawLine(QPointF(6.8, 6.6), QPointF(7, 11.6));
             p.drawLine(QPointF(9.2, 6.6), QPointF(9, 11.6));
         }},
        {QStringLiteral("arrow.uturn.backward"), [](QPainter& p, const QColor&) { uturn(p, false); }},
        {QStringLiteral("arrow.uturn.forward"), [](QPainter& p, const QColor&) { uturn(p, true); }},
        {QStringLiteral("doc.on.clipboard"),
         [](QPainter& p, const QColor& c) {
             p.drawRoundedRect(QRectF(3, 2.5, 10, 12), 1.5, 1.5);
             p.save();
             p.setBrush(c);
             p.drawRoundedRect(QRectF(5.5, 1.2, 5, 2.6), 1, 1);
             p.restore();
             p.drawLine(QPointF(5.5, 7), QPointF(10.5, 7));
             p.drawLine(QPointF(5.5, 9.5), QPointF(10.5, 9.5));
             p.drawLine(QPointF(5.5, 12), QPointF(8.5, 12));
         }},
        {QStringLiteral("doc.on.doc"),
         [](QPainter& p, const QColor&) {
             polyline(p, {{5.2, 4.5}, {5.2, 1.5}, {13.8, 1.5}, {13.8, 11.5}, {11, 11.5}});
             p.drawRoundedRect(QRectF(2.2, 4.5, 8.8, 10), 1.2, 1.2);
         }},
        {QStringLiteral("square.and.arrow.up"),
         [](QPainter& p, const QColor&) {
             polyline(p, {{5.5, 6.5}, {3, 6.5}, {3, 14.5}, {13, 14.5}, {13, 6.5}, {10.5, 6.5}});
             p.drawLine(QPointF(8, 10), QPointF(8, 1.5));
             polyline(p, {{5.5, 4}, {8, 1.5}, {10.5, 4}});
         }},
        {QStringLiteral("slider.horizontal.3"),
         [](QPainter& p, const QColor& c) {
             const std::array<std::pair<double, double>, 3> rows{{{4, 10.5}, {8, 5}, {12, 11}}};
             for (const auto& [y, knob] : rows) {
                 p.drawLine(QPointF(1.8, y), QPointF(14.2, y));
                 filledDot(p, c, {knob, y}, 1.9);
             }
         }},
        {QStringLiteral("aspectratio"),
         [](QPainter& p, const QColor&) {
             p.drawRoundedRect(QRectF(1.5, 3.5, 13, 9), 1.5, 1.5);
             polyline(p, {{4.2, 8.4}, {4.2, 6}, {6.6, 6}});
             polyline(p, {{11.8, 7.6}, {11.8, 10}, {9.4, 10}});
         }},
        {QStringLiteral("iphone"),
         [](QPainter& p, const QColor&) {
             p.drawRoundedRect(QRectF(4.5, 1.5, 7, 13), 1.8, 1.8);
             p.drawLine(QPointF(7, 3.3), QPointF(9, 3.3));
         }},
        {QStringLiteral("paintpalette"),
         [](QPainter& p, const QColor& c) {
             QPainterPath blob;
             blob.moveTo(8, 1.8);
             blob.cubicTo(3.8, 1.8, 1.5, 4.8, 1.5, 8);
             blob.cubicTo(1.5, 11.6, 4.4, 14.2, 8, 14.2);
             blob.cubicTo(9.6, 14.2, 9.6, 12.6, 9, 11.6);
             blob.cubicTo(8.3, 10.4, 9.2, 9.4, 10.6, 9.4);
             blob.cubicTo(13, 9.4, 14.5, 8.6, 14.5, 6.8);
             blob.cubicTo(14.5, 4, 11.6, 1.8, 8, 1.8);
             p.drawPath(blob);
             filledDot(p, c, {4.8, 7.2}, 1.1);
             filledDot(p, c, {7.2, 4.6}, 1.1);
             filledDot(p, c, {10.6, 5.2}, 1.1);
             filledDot(p, c, {5.2, 10.6}, 1.1);
         }},
        {QStringLiteral("shadow"),
         [](QPainter& p, const QColor& c) {
             QColor shade = c;
             shade.setAlphaF(c.alphaF() * 0.45f);
             p.save();
             p.setClipRegion(QRegion(0, 0, 16, 16) - QRegion(2, 2, 9, 9));
             p.fillRect(QRectF(5.5, 5.5, 9, 9), shade);
             p.restore();
             p.drawRect(QRectF(2.5, 2.5, 8, 8));
         }},
        {QStringLiteral("rectangle.expand.vertical"),
         [](QPainter& p, const QColor&) {
             p.drawRect(QRectF(2.5, 5.5, 11, 5));
             p.drawLine(QPointF(8, 4.2), QPointF(8, 1));
             polyline(p, {{6.2, 2.8}, {8, 1}, {9.8, 2.8}});
             p.drawLine(QPointF(8, 11.8), QPointF(8, 15));
             polyline(p, {{6.2, 13.2}, {8, 15}, {9.8, 13.2}});
         }},
        {QStringLiteral("chevron.right"),
         [](QPainter& p, const QColor&) {
             polyline(p, {{6, 3}, {11, 8}, {6, 13}});
         }},
        {QStringLiteral("chevron.down"),
         [](QPainter& p, const QColor&) {
             polyline(p, {{3, 6}, {8, 11}, {13, 6}});
         }},
        {QStringLiteral("arrow.down.circle"),
         [](QPainter& p, const QColor&) {
             p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
             p.drawLine(QPointF(8, 4.5), QPointF(8, 11));
             polyline(p, {{5, 8}, {8, 11}, {11, 8}});
         }},
    };
    return table;
}

} // namespace

bool drawSymbol(QPainter& painter, QStringView name, const QRectF& box, const QColor& color)
{
    const auto& table = drawings();
    const auto found = table.find(name);
    if (found == table.end())
        return false;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(box.topLeft());
    painter.scale(box.width() / 16.0, box.height() / 16.0);
    painter.setPen(QPen(color, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    found->second(painter, color);
    painter.restore();
    return true;
}

QStringList drawnSymbolNames()
{
    QStringList names;
    for (const auto& entry : drawings())
        names.append(entry.first);
    return names;
}

} // namespace lustrelab
