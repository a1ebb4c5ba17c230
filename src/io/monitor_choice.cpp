#include "monitor_choice.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <limits>

namespace lustrelab {

std::optional<MonitorChoice> MonitorChoice::parse(const QString& word)
{
    const QString w = word.trimmed();
    if (w.isEmpty())
        return std::nullopt;
    if (w.compare(u"current", Qt::CaseInsensitive) == 0)
        return current();
    if (w.compare(u"all", Qt::CaseInsensitive) == 0)
        return all();
    bool isNumber = false;
    const int number = w.toInt(&isNumber);
    if (isNumber)
        return number >= 1 ? std::optional(MonitorChoice{Kind::numbered, number, {}}) : std::nullopt;
    // An output's name never starts with a sign: "-1" is a mistyped number.
    if (w.startsWith(u'-') || w.startsWith(u'+'))
        return std::nullopt;
    return MonitorChoice{Kind::named, 0, w};
}

QList<ScreenMonitor> inReadingOrder(QList<ScreenMonitor> monitors)
{
    // Rows from the top: a monitor joins the row of the first one above it
    // whose height it shares, so that neighbours a little out of line stay
    // one row; each row then reads from the left.
    std::stable_sort(monitors.begin(), monitors.end(), [](const ScreenMonitor& a, const ScreenMonitor& b) {
        return a.geometry.top() < b.geometry.top();
    });
    QList<ScreenMonitor> ordered;
    qsizetype rowStart = 0;
    for (qsizetype i = 0; i < monitors.size(); ++i) {
        const QRect& row = monitors[rowStart].geometry;
        const QRect& g = monitors[i].geometry;
        if (g.top() > row.bottom()) { // below the whole row: a new one
            std::stable_sort(ordered.begin() + rowStart, ordered.end(),
                             [](const ScreenMonitor& a, const ScreenMonitor& b) {
                                 return a.geometry.left() < b.geometry.left();
                             });
            rowStart = i;
        }
        ordered << monitors[i];
    }
    std::stable_sort(ordered.begin() + rowStart, ordered.end(), [](const ScreenMonitor& a, const ScreenMonitor& b) {
        return a.geometry.left() < b.geometry.left();
    });
    return ordered;
}

QString describeMonitors(const QList<ScreenMonitor>& monitors)
{
    QStringList parts;
    const QList<ScreenMonitor> ordered = inReadingOrder(monitors);
    for (qsizetype i = 0; i < ordered.size(); ++i) {
        const QRect& g = ordered[i].geometry;
        parts << QStringLiteral("%1: %2 %3x%4%5%6%7%8")
                     .arg(i + 1)
                     .arg(ordered[i].name)
                     .arg(g.width())
                     .arg(g.height())
                     .arg(g.x() < 0 ? QString() : QStringLiteral("+"))
                     .arg(g.x())
                     .arg(g.y() < 0 ? QString() : QStringLiteral("+"))
                     .arg(g.y());
    }
    return parts.join(QStringLiteral(", "));
}

namespace {

// How far `p` is from `r` (0 inside), in the larger of the two directions.
int distance(const QRect& r, QPoint p)
{
    const int dx = std::max({r.left() - p.x(), 0, p.x() - r.right()});
    const int dy = std::max({r.top() - p.y(), 0, p.y() - r.bottom()});
    return std::max(dx, dy);
}

} // namespace

MonitorPick pickMonitor(const QList<ScreenMonitor>& monitors, const MonitorChoice& choice,
                        std::optional<QPoint> pointer, qsizetype focused)
{
    if (monitors.isEmpty())
        return {std::nullopt, QStringLiteral("the desktop reports no monitors")};
    const auto count = [&] {
        return monitors.size() == 1 ? QStringLiteral("this desktop has 1 monitor (%1)").arg(describeMonitors(monitors))
                                    : QStringLiteral("this desktop has %1 monitors (%2)")
                                          .arg(monitors.size())
                                          .arg(describeMonitors(monitors));
    };
    switch (choice.kind) {
    case MonitorChoice::Kind::all:
        return {};
    case MonitorChoice::Kind::numbered:
        if (choice.number < 1 || choice.number > monitors.size())
            return {std::nullopt, QStringLiteral("there is no monitor %1; %2").arg(choice.number).arg(count())};
        return {inReadingOrder(monitors)[choice.number - 1], {}};
    case MonitorChoice::Kind::named:
        for (const ScreenMonitor& m : monitors)
            if (m.name.compare(choice.name, Qt::CaseInsensitive) == 0)
                return {m, {}};
        return {std::nullopt, QStringLiteral("there is no monitor named \"%1\"; %2").arg(choice.name, count())};
    case MonitorChoice::Kind::current:
        break;
    }
    if (pointer) {
        const ScreenMonitor* nearest = nullptr;
        int best = std::numeric_limits<int>::max();
        for (const ScreenMonitor& m : monitors)
            if (const int d = distance(m.geometry, *pointer); d < best) {
                best = d;
                nearest = &m;
            }
        return {*nearest, {}};
    }
    if (focused >= 0 && focused < monitors.size())
        return {monitors[focused], {}};
    return {std::nullopt, QStringLiteral("the desktop does not say which monitor is current; "
                                         "choose one by number or name (%1)")
                              .arg(describeMonitors(monitors))};
}

double qtScreenRatio(const QString& name, QPoint topLeft)
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return 1;
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (const QScreen* screen : screens)
        if (!name.isEmpty() && screen->name() == name)
            return screen->devicePixelRatio();
    // Qt keeps a screen's top-left where the desktop has it and scales only
    // its size, so the corner finds the screen whatever its ratio.
    for (const QScreen* screen : screens)
        if (screen->geometry().topLeft() == topLeft)
            return screen->devicePixelRatio();
    return 1;
}

} // namespace lustrelab
