// A window to scroll-capture: a frameless scroll area over a tall drawn page
// (the stitching tests' page), of a fixed size so that a tiling compositor
// floats it rather than stretching it. Saves the page it shows, for the
// capture to be compared with, and prints where the page shows inside the
// window ("X Y W H", logical pixels from the window's top-left corner).
//
//   scroll_page PAGE.png [WIDTH PAGE_ROWS VIEWPORT_ROWS]   (default 480 2400 360)

#include "render/scrolled_page.h"

#include <QApplication>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: scroll_page PAGE.png [WIDTH PAGE_ROWS VIEWPORT_ROWS]\n");
        return 2;
    }
    const int width = argc > 2 ? std::atoi(argv[2]) : 480;
    const int rows = argc > 3 ? std::atoi(argv[3]) : 2400;
    const int viewport = argc > 4 ? std::atoi(argv[4]) : 360;
    const QImage page = lustrelab::test::drawnPage(width, rows, 1, 11);
    if (!page.save(QString::fromLocal8Bit(argv[1])))
        return 1;
    QScrollArea area;
    auto* label = new QLabel;
    label->setPixmap(QPixmap::fromImage(page));
    label->resize(page.size());
    area.setWidget(label);
    area.setFrameShape(QFrame::NoFrame);
    area.setWindowFlag(Qt::FramelessWindowHint);
    area.setWindowTitle(QStringLiteral("Scrolled page"));
    area.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    const QSize size(width + area.verticalScrollBar()->sizeHint().width(), viewport);
    area.setFixedSize(size);
    area.show();
    QTimer::singleShot(0, &area, [&area] {
        const QWidget* v = area.viewport();
        std::printf("%d %d %d %d\n", v->x(), v->y(), v->width(), v->height());
        std::fflush(stdout);
    });
    return app.exec();
}
