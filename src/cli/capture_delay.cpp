#include "capture_delay.h"

#include "io/capture_countdown.h"
#include "io/clipboard_handover.h"
#include "io/png_encoder.h"
#include "io/region_picker.h"
#include "state/scrolling_capture.h"
#include "io/screen_pins.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace lustrelab {

DelayOption takeDelayOption(QStringList& arguments)
{
    DelayOption option;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString value;
        if (arguments[i] == u"--delay") {
            if (i + 1 >= arguments.size()) {
                option.usageError = QStringLiteral("--delay needs a number of seconds");
                return option;
            }
            value = arguments[i + 1];
            arguments.remove(i, 2);
        } else if (arguments[i].startsWith(u"--delay=")) {
            value = arguments[i].mid(8);
            arguments.remove(i);
        } else {
            continue;
        }
        bool ok = false;
        const int seconds = value.toInt(&ok);
        if (!ok || seconds < 0 || seconds > CaptureCountdown::longestDelay) {
            option.usageError =
                QStringLiteral("--delay needs whole seconds from 0 to %1, got '%2'").arg(CaptureCountdown::longestDelay).arg(value);
            return option;
        }
        option.seconds = seconds;
        --i;
    }
    return option;
}

bool waitOutDelay(int seconds)
{
    if (seconds <= 0)
        return true;
    CaptureCountdown countdown;
    QEventLoop loop;
    bool cancelled = false;
    QObject::connect(&countdown, &CaptureCountdown::elapsed, &loop, &QEventLoop::quit);
    QObject::connect(&countdown, &CaptureCountdown::cancelled, &loop, [&] {
        cancelled = true;
        loop.quit();
    });
    countdown.start(seconds);
    loop.exec();
    return !cancelled;
}

ScrollingOutcome captureScrollingRegion()
{
    ScrollingOutcome outcome;
    if (const QString reason = ScrollingCapture::unavailableReason(); !reason.isEmpty()) {
        outcome.failure = reason;
        return outcome;
    }
    RegionPicker picker;
    ScrollingCapture capture;
    QEventLoop loop;
    QObject::connect(&picker, &RegionPicker::cancelled, &loop, &QEventLoop::quit);
    QObject::connect(&picker, &RegionPicker::picked, &capture, &ScrollingCapture::start);
    QObject::connect(&capture, &ScrollingCapture::finished, &loop, [&](const QImage& image, const QString& note) {
        outcome.image = image;
        outcome.note = note;
        loop.quit();
    });
    picker.present();
    loop.exec();
    return outcome;
}

void showPinnedUntilClosed(const QImage& styled)
{
    ScreenPins pins;
    pins.setCopyHandler([](const QImage& image) { keepOnClipboardAfterExit(PngEncoder::encode(image)); });
    if (!pins.pin(styled))
        return;
    QEventLoop loop;
    QObject::connect(&pins, &ScreenPins::countChanged, &loop, [&](int count) {
        if (count == 0)
            loop.quit();
    });
    loop.exec();
}

} // namespace lustrelab
