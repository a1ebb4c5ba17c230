#include "readable_text.h"

#include "model/color_contrast.h"

#include <QEvent>
#include <QWidget>

namespace lustrelab {

namespace {

constexpr double aaContrast = 4.5;
// A little above the limit, so that rounding to 8-bit channels stays inside.
constexpr double targetContrast = aaContrast + 0.1;
// How far the blend starts from the background: clearly lighter than text.
constexpr double firstTextShare = 0.6;

double luminance(const QColor& color)
{
    return relativeLuminance(color.redF(), color.greenF(), color.blueF());
}

QColor blend(const QColor& text, const QColor& background, double textShare)
{
    const auto mix = [&](double t, double b) { return t * textShare + b * (1 - textShare); };
    return QColor::fromRgbF(float(mix(text.redF(), background.redF())),
                            float(mix(text.greenF(), background.greenF())),
                            float(mix(text.blueF(), background.blueF())));
}

class SecondaryTextKeeper : public QObject
{
  public:
    explicit SecondaryTextKeeper(QWidget& window) : QObject(&window), m_window(window) { apply(); }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &m_window && event->type() == QEvent::PaletteChange)
            apply();
        return false;
    }

  private:
    void apply()
    {
        QPalette palette = m_window.palette();
        const QColor readable = readableSecondaryColor(palette);
        if (palette.color(QPalette::Active, QPalette::PlaceholderText) == readable &&
            palette.color(QPalette::Inactive, QPalette::PlaceholderText) == readable)
            return; // also ends the change event that setting it causes
        palette.setColor(QPalette::Active, QPalette::PlaceholderText, readable);
        palette.setColor(QPalette::Inactive, QPalette::PlaceholderText, readable);
        m_window.setPalette(palette);
    }

    QWidget& m_window;
};

} // namespace

double contrastRatio(const QColor& a, const QColor& b)
{
    return lustrelab::contrastRatio(luminance(a), luminance(b));
}

QColor composited(const QColor& color, const QColor& over)
{
    return blend(color, over, color.alphaF());
}

QColor readableSecondaryColor(const QPalette& palette)
{
    const QColor window = palette.color(QPalette::Active, QPalette::Window);
    const QColor base = palette.color(QPalette::Active, QPalette::Base);
    const QColor text = composited(palette.color(QPalette::Active, QPalette::WindowText), window);
    for (double share = firstTextShare; share < 1; share += 0.05) {
        const QColor candidate = blend(text, window, share);
        if (contrastRatio(candidate, window) >= targetContrast &&
            contrastRatio(candidate, base) >= targetContrast)
            return candidate;
    }
    return text; // the theme's own text is as far as it goes
}

void keepSecondaryTextReadable(QWidget& window)
{
    window.installEventFilter(new SecondaryTextKeeper(window));
}

} // namespace lustrelab
