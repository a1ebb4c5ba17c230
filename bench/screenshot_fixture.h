#pragma once

// A HiDPI screenshot for the benchmarks: 2880 x 1800 pixels at ratio 2 (1440 x
// 900 points), a title bar, a sidebar and lines of text, so that encoders see
// realistic content rather than a flat fill.

#include "io/image_decoder.h"

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace lustrelab::bench {

inline QImage makeScreenshot()
{
    QImage image(2880, 1800, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(246, 246, 248));
    QPainter painter(&image);
    painter.fillRect(0, 0, 2880, 84, QColor(52, 54, 60));
    painter.fillRect(0, 84, 520, 1716, QColor(232, 233, 236));
    QFont font;
    font.setPixelSize(26);
    painter.setFont(font);
    for (int line = 0; line < 48; ++line) {
        painter.setPen(line % 7 == 0 ? QColor(20, 90, 200) : QColor(30, 30, 34));
        painter.drawText(580, 150 + line * 34,
                         QStringLiteral("%1  The quick brown fox jumps over the lazy dog, "
                                        "again and again, line after line.")
                             .arg(line));
        painter.drawText(40, 150 + line * 34, QStringLiteral("Item %1").arg(line));
    }
    painter.end();
    image.setDevicePixelRatio(2);
    return image;
}

// The screenshot saved as an opaque PNG in `dir`, as a file to open.
inline ImageSource screenshotFile(const QTemporaryDir& dir)
{
    ImageSource source;
    source.kind = ImageSource::Kind::file;
    source.filePath = dir.filePath(QStringLiteral("screen.png"));
    makeScreenshot().convertToFormat(QImage::Format_RGB32).save(source.filePath);
    return source;
}

// Every benchmark runs headless and needs a GUI application for fonts and
// painting; the ones that drive widgets pass QApplication (or one of their
// own) as `Application`. The user's preferences and templates are kept out.
template <typename Application = QGuiApplication> int runBenchmarks(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toUtf8());
    Application app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace lustrelab::bench
