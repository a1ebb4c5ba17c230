// The backgrounds made by the user or from the screenshot (custom gradients,
// pictures, matched colours) and auto-balance, probed against colours
// computed from their geometry; and the looks that existed before them,
// pinned to their exact bytes.
#include "model/color_hex.h"
#include "model/gradient_preset.h"
#include "render/canvas_layout.h"
#include "render/content_margins.h"
#include "render_probe.h"

#include <QCryptographicHash>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

using namespace lustrelab;

namespace {

// A 100 x 100 canvas that is all background but its 2 x 2 transparent middle.
QImage composeBackground(const BeautySettings& styling, double ratio = 1)
{
    BeautySettings settings = styling;
    settings.padding = 49;
    return compose(solidImage(int(2 * ratio), int(2 * ratio), Qt::transparent, ratio), settings);
}

BeautySettings withGradient(GradientKind kind, double angle, QPointF center, QList<GradientStop> stops)
{
    BeautySettings s = plainSettings();
    s.backgroundType = BackgroundType::customGradient;
    s.customGradient = {kind, angle, center.x(), center.y(), std::move(stops)};
    return s;
}

QColor mix(QColor a, QColor b, double t)
{
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t), float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t));
}

// Vertical bands of the given colours, left to right (or rows, top to bottom).
QImage bands(QSize size, const QList<QColor>& colors, Qt::Orientation orientation)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    const int n = int(colors.size());
    for (int i = 0; i < n; ++i) {
        if (orientation == Qt::Horizontal)
            painter.fillRect(QRect(size.width() * i / n, 0, size.width() / n, size.height()), colors[i]);
        else
            painter.fillRect(QRect(0, size.height() * i / n, size.width(), size.height() / n), colors[i]);
    }
    return image;
}

QByteArray pixelDigest(const QImage& image)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    const QImage pixels = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < pixels.height(); ++y)
        hash.addData(QByteArrayView(reinterpret_cast<const char*>(pixels.constScanLine(y)), pixels.width() * 4));
    return hash.result().toHex();
}

} // namespace

class TestBackgrounds : public QObject
{
    Q_OBJECT
    QTemporaryDir m_files;

    QString savedImage(const QImage& image, const char* name)
    {
        const QString path = m_files.filePath(QString::fromLatin1(name));
        image.save(path);
        return path;
    }

    BeautySettings pictureSettings(const QImage& picture, const char* name)
    {
        BeautySettings settings = plainSettings();
        settings.backgroundType = BackgroundType::image;
        settings.backgroundImagePath = savedImage(picture, name);
        return settings;
    }

  private slots:
    void gradientKinds_data()
    {
        QTest::addColumn<BeautySettings>("settings");
        QTest::addColumn<QPoint>("probe");
        QTest::addColumn<QColor>("expected");
        const QColor red(Qt::red), blue(Qt::blue);
        const QList<GradientStop> redToBlue{{CodableColor::fromPlatformColor(red), 0}, {CodableColor::fromPlatformColor(blue), 1}};
        // Linear at 0 degrees: from x = 0 to x = 100, t = (x + 0.5) / 100.
        const BeautySettings linear = withGradient(GradientKind::linear, 0, {0.5, 0.5}, redToBlue);
        QTest::newRow("linear start") << linear << QPoint(0, 50) << mix(red, blue, 0.005);
        QTest::newRow("linear middle") << linear << QPoint(25, 10) << mix(red, blue, 0.255);
        QTest::newRow("linear end") << linear << QPoint(99, 90) << mix(red, blue, 0.995);
        // Stops placed inward hold their colours outside them.
        const BeautySettings inward =
            withGradient(GradientKind::linear, 0, {0.5, 0.5}, {{CodableColor::fromPlatformColor(blue), 0.75}, {CodableColor::fromPlatformColor(red), 0.25}});
        QTest::newRow("before the first stop") << inward << QPoint(10, 50) << red;
        QTest::newRow("between inward stops") << inward << QPoint(62, 50) << mix(red, blue, 0.75);
        QTest::newRow("after the last stop") << inward << QPoint(90, 50) << blue;
        // Linear at 90 degrees runs upwards, from the bottom edge.
        const BeautySettings upwards = withGradient(GradientKind::linear, 90, {0.5, 0.5}, redToBlue);
        QTest::newRow("upwards, bottom") << upwards << QPoint(10, 99) << mix(red, blue, 0.005);
        QTest::newRow("upwards, top") << upwards << QPoint(10, 0) << mix(red, blue, 0.995);
        // At 135 degrees from the bottom-right to the top-left; the corners lie beyond both ends.
        const BeautySettings back = withGradient(GradientKind::linear, 135, {0.5, 0.5}, redToBlue);
        QTest::newRow("135, bottom-right") << back << QPoint(99, 99) << red;
        QTest::newRow("135, top-left") << back << QPoint(0, 0) << blue;
        // Radial from the middle: the last stop at the corners, 70.7 points away.
        const BeautySettings radial = withGradient(GradientKind::radial, 0, {0.5, 0.5}, redToBlue);
        QTest::newRow("radial near centre") << radial << QPoint(52, 50) << mix(red, blue, 2.0 / 70.7);
        QTest::newRow("radial halfway") << radial << QPoint(85, 50) << mix(red, blue, 35.5 / 70.71);
        QTest::newRow("radial corner") << radial << QPoint(0, 0) << mix(red, blue, 69.99 / 70.71);
        // A centre at the bottom-left corner (y counts from the bottom).
        const BeautySettings cornered = withGradient(GradientKind::radial, 0, {0, 0}, redToBlue);
        QTest::newRow("radial from a corner, there") << cornered << QPoint(0, 99) << mix(red, blue, 0.005);
        QTest::newRow("radial from a corner, across") << cornered << QPoint(99, 0) << mix(red, blue, 0.995);
        // Conic: counter-clockwise from the angle, once round.
        const BeautySettings conic = withGradient(GradientKind::conic, 0, {0.5, 0.5}, redToBlue);
        QTest::newRow("conic a quarter turn, up") << conic << QPoint(50, 10) << mix(red, blue, 0.25);
        QTest::newRow("conic half a turn, left") << conic << QPoint(10, 50) << mix(red, blue, 0.5);
        QTest::newRow("conic three quarters, down") << conic << QPoint(50, 90) << mix(red, blue, 0.75);
        const BeautySettings turned = withGradient(GradientKind::conic, 90, {0.5, 0.5}, redToBlue);
        QTest::newRow("conic from 90 degrees, left") << turned << QPoint(10, 50) << mix(red, blue, 0.25);
        // Stop opacity reaches the canvas.
        const BeautySettings seeThrough = withGradient(GradientKind::linear, 0, {0.5, 0.5},
                                                       {{{1, 0, 0, 0.5}, 0}, {{1, 0, 0, 0.5}, 1}});
        QTest::newRow("half-transparent stops") << seeThrough << QPoint(50, 10) << QColor(255, 0, 0, 128);
    }
    void gradientKinds()
    {
        QFETCH(BeautySettings, settings);
        QFETCH(QPoint, probe);
        QFETCH(QColor, expected);
        const QImage out = composeBackground(settings);
        QCOMPARE(out.size(), QSize(100, 100));
        VERIFY_NEAR(out.pixelColor(probe), expected, 3);
    }

    // A preset rebuilt as a custom gradient draws the same pixels: the two
    // share one drawing path, so custom gradients inherit its exactness.
    void presetAsCustomGradientIsIdentical()
    {
        const GradientPreset& preset = gradientPresets().at(3);
        BeautySettings asPreset;
        asPreset.gradientPresetId = preset.id;
        BeautySettings asCustom = asPreset;
        asCustom.backgroundType = BackgroundType::customGradient;
        asCustom.customGradient.angle = preset.angle;
        asCustom.customGradient.stops.clear();
        for (qsizetype i = 0; i < preset.colors.size(); ++i)
            asCustom.customGradient.stops.append(
                {CodableColor::fromPlatformColor(colorFromHex(preset.colors[i])), double(i) / (preset.colors.size() - 1)});
        const QImage source = solidImage(120, 80, Qt::darkCyan, 2);
        QCOMPARE(compose(source, asCustom), compose(source, asPreset));
    }

    void pictureCoversTheCanvas_data()
    {
        QTest::addColumn<QImage>("picture");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<double>("dim");
        QTest::addColumn<QColor>("expected"); // everywhere on the background
        const QList<QColor> rgb{Qt::red, Qt::green, Qt::blue};
        // The square canvas shows the middle third of a 3:1 picture, and the
        // middle third of a 1:3 one: the cover fit cuts the longer side.
        const QImage wide = bands({300, 100}, rgb, Qt::Horizontal);
        const QImage tall = bands({100, 300}, rgb, Qt::Vertical);
        QTest::newRow("wide picture") << wide << 1.0 << 0.0 << QColor(Qt::green);
        QTest::newRow("tall picture") << tall << 1.0 << 0.0 << QColor(Qt::green);
        QTest::newRow("small picture enlarged") << bands({30, 10}, rgb, Qt::Horizontal) << 1.0 << 0.0 << QColor(Qt::green);
        QTest::newRow("at ratio 2") << wide << 2.0 << 0.0 << QColor(Qt::green);
        QTest::newRow("dimmed by half") << wide << 1.0 << 0.5 << QColor(0, 128, 0);
        QTest::newRow("dimmed fully") << wide << 1.0 << 1.0 << QColor(Qt::black);
    }
    void pictureCoversTheCanvas()
    {
        QFETCH(QImage, picture);
        QFETCH(double, ratio);
        QFETCH(double, dim);
        QFETCH(QColor, expected);
        BeautySettings settings = pictureSettings(picture, "picture.png");
        settings.backgroundImageDim = dim;
        const QImage out = composeBackground(settings, ratio);
        QCOMPARE(out.size(), QSize(100, 100) * ratio);
        for (const QPoint probe : {QPoint(1, 1), QPoint(98, 1), QPoint(1, 98), QPoint(98, 98), QPoint(30, 50)})
            VERIFY_NEAR(out.pixelColor(probe * ratio), expected, 2);
    }

    // A blur mixes across the picture's edges inside it, never with black
    // beyond them; a file that cannot be read leaves white.
    void pictureBlurAndMissingFile()
    {
        BeautySettings settings =
            pictureSettings(bands({200, 200}, {Qt::red, Qt::blue}, Qt::Horizontal), "halves.png");
        settings.backgroundImageBlur = 8;
        const QImage out = composeBackground(settings);
        VERIFY_NEAR(out.pixelColor(0, 0), QColor(Qt::red), 4);
        VERIFY_NEAR(out.pixelColor(99, 99), QColor(Qt::blue), 4);
        VERIFY_NEAR(out.pixelColor(50, 10), mix(Qt::red, Qt::blue, 0.5), 24);

        settings.backgroundImagePath = m_files.filePath(QStringLiteral("gone.png"));
        VERIFY_NEAR(composeBackground(settings).pixelColor(10, 10), QColor(Qt::white), 0);
    }

    // A picture replaced on disk under the same name is read again by a
    // processor that composed the old one.
    void replacedPictureIsReadAgain()
    {
        BeautySettings settings = pictureSettings(solidImage(50, 50, Qt::red), "swapped.png");
        ImageProcessor processor;
        const QImage source = solidImage(2, 2, Qt::transparent);
        VERIFY_NEAR(processor.process(source, settings, {}, {}, {}).pixelColor(5, 5), QColor(Qt::red), 0);
        QTest::qWait(1100); // file times may be whole seconds
        savedImage(solidImage(60, 50, Qt::green), "swapped.png");
        settings.padding = 30; // any change that recomposes the base layer
        VERIFY_NEAR(processor.process(source, settings, {}, {}, {}).pixelColor(5, 5), QColor(Qt::green), 0);
    }

    // The matched background runs from the screenshot's main colour to its
    // second, bottom-left to top-right.
    void matchRunsBetweenTheScreenshotsColours()
    {
        const QColor orange(240, 140, 30), teal(20, 150, 140);
        QImage source = bands({40, 40}, {orange, orange, teal}, Qt::Horizontal);
        BeautySettings settings = plainSettings(30);
        settings.backgroundType = BackgroundType::match;
        const QImage out = compose(source, settings);
        VERIFY_NEAR(out.pixelColor(0, 99), orange, 2);
        VERIFY_NEAR(out.pixelColor(99, 0), teal, 2);
    }

    void contentInsideUniformMargins_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<QRect>("content");
        QImage framed = solidImage(200, 100, Qt::white);
        QPainter(&framed).fillRect(30, 20, 100, 50, Qt::red);
        QTest::newRow("white margins") << framed << QRect(30, 20, 100, 50);
        QImage noisy = framed.copy();
        for (int x = 0; x < 200; x += 3)
            noisy.setPixelColor(x, 5, QColor(250, 249, 251)); // compression noise, within tolerance
        QTest::newRow("noisy margins") << noisy << QRect(30, 20, 100, 50);
        QImage marked = framed.copy();
        marked.setPixelColor(190, 90, Qt::black); // a real detail in a margin stays
        QTest::newRow("detail in a margin") << marked << QRect(30, 20, 161, 71);
        QImage clear = solidImage(50, 40, Qt::transparent);
        QPainter(&clear).fillRect(10, 0, 20, 40, Qt::blue);
        QTest::newRow("transparent sides") << clear << QRect(10, 0, 20, 40);
        QTest::newRow("one colour throughout") << solidImage(30, 20, Qt::white) << QRect(0, 0, 30, 20);
        QImage line = solidImage(30, 20, Qt::white);
        QPainter(&line).fillRect(0, 10, 30, 1, Qt::black);
        QTest::newRow("a single row of content") << line << QRect(0, 10, 30, 1);
        QImage corner = solidImage(60, 40, Qt::white);
        QPainter(&corner).fillRect(0, 0, 20, 20, Qt::red);
        QTest::newRow("subject in a corner keeps every side") << corner << QRect(0, 0, 60, 40);
    }
    void contentInsideUniformMargins()
    {
        QFETCH(QImage, image);
        QTEST(contentRect(image), "content");
    }

    // Auto-balance composes only the content, padded by its share of the
    // content's size, whatever the padding fields say.
    void autoBalanceTrimsAndPads()
    {
        QImage framed = solidImage(400, 200, Qt::white);
        QPainter(&framed).fillRect(60, 40, 300, 100, Qt::red);
        framed.setDevicePixelRatio(2);
        BeautySettings settings = plainSettings(64);
        settings.autoBalance = true;
        settings.paddingUniform = false;
        const QImage out = compose(framed, settings);
        const double pad = balancedPadding({150, 50});
        QCOMPARE(pad, balancedPaddingFloor); // 6% of 150 points is below the floor
        QCOMPARE(out.size(), QSize(2 * (150 + 2 * 16), 2 * (50 + 2 * 16)));
        VERIFY_NEAR(out.pixelColor(32, 32), QColor(Qt::red), 0);
        VERIFY_NEAR(out.pixelColor(31, 31), QColor(Qt::blue), 0);
        VERIFY_NEAR(out.pixelColor(331, 131), QColor(Qt::red), 0);
        QCOMPARE(balancedPadding({1000, 600}), 60.0);
    }

    // The looks that existed before the later styling fields, pinned to the
    // exact pixels they composed to when those fields were added.
    void earlierLooksKeepTheirBytes_data()
    {
        QTest::addColumn<BeautySettings>("settings");
        QTest::addColumn<QByteArray>("digest");
        BeautySettings preset;
        preset.gradientPresetId = gradientPresets().at(5).id;
        BeautySettings solid;
        solid.backgroundType = BackgroundType::solid;
        solid.solidColor = {0.2, 0.4, 0.6, 1};
        solid.borderWidth = 3;
        BeautySettings checkerboard;
        checkerboard.backgroundType = BackgroundType::transparent;
        checkerboard.canvasPresetId = QStringLiteral("16:9");
        QTest::newRow("default") << BeautySettings{} << QByteArray("3e8e3b77a9d94dd1fc79746077b48da75fba9056");
        QTest::newRow("preset gradient") << preset << QByteArray("638fd2e5eff2e0607b56edbb8a3a5ebec1c571d3");
        QTest::newRow("solid with border") << solid << QByteArray("c492b87e074029e5703a2b7c51bf4deae4e9f0a2");
        QTest::newRow("checkerboard, widened") << checkerboard << QByteArray("38ebafaa8656653275b3e6d713fca0b46c0efc9b");
    }
    void earlierLooksKeepTheirBytes()
    {
        QFETCH(BeautySettings, settings);
        // A drawn screenshot with soft edges and see-through parts, at ratio 2.
        QImage source(240, 160, QImage::Format_ARGB32_Premultiplied);
        source.fill(Qt::transparent);
        {
            QPainter painter(&source);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setBrush(QColor(30, 120, 200));
            painter.drawEllipse(QRectF(10, 10, 220, 140));
            painter.fillRect(QRect(0, 0, 240, 30), QColor(40, 40, 46, 200));
        }
        source.setDevicePixelRatio(2);
        QTEST(pixelDigest(compose(source, settings)), "digest");
    }
};

QTEST_MAIN(TestBackgrounds)
#include "tst_backgrounds.moc"
