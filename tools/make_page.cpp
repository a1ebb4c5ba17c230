// Renders a Markdown file as a documentation web page would show it on a
// 2x display, and saves that as a PNG screenshot: a header bar, a sidebar of
// links to the headings, and the text in two columns, anti-aliased, with
// rules, links and code blocks. Real text makes a screenshot that compresses
// and decodes like a captured page, unlike a drawn sample of flat boxes, so
// the benchmark measures the cost that users see. The same file and size give
// the same picture.
//
//   make_page INPUT.md OUTPUT.png [WIDTHxHEIGHT]      (default 2880x1800)

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextDocument>
#include <cstdio>

namespace {

constexpr double kRatio = 2; // a HiDPI screen: every point is two pixels
constexpr double kHeader = 56;
constexpr double kSidebar = 300;
constexpr double kGutter = 40;

QFont pageFont(double pixelSize, QFont::Weight weight = QFont::Normal)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(int(pixelSize));
    font.setWeight(weight);
    return font;
}

QTextDocument* makeDocument(const QString& markdown, double width, QObject* parent)
{
    auto* document = new QTextDocument(parent);
    document->setDefaultFont(pageFont(15));
    document->setDefaultStyleSheet(QStringLiteral("a { color: #1a5fb4; } code { color: #813d9c; }"));
    document->setMarkdown(markdown);
    // Markdown has no rule below headings; pages draw one, as many sites do.
    document->setHtml(document->toHtml().replace(QStringLiteral("</h2>"), QStringLiteral("</h2><hr/>")));
    document->setTextWidth(width);
    document->setDocumentMargin(0);
    return document;
}

void drawChrome(QPainter& p, double width, double height, const QTextDocument& document)
{
    p.fillRect(QRectF(0, 0, width, height), Qt::white);
    p.fillRect(QRectF(0, 0, width, kHeader), QColor(0x24, 0x29, 0x2f));
    p.setPen(Qt::white);
    p.setFont(pageFont(18, QFont::DemiBold));
    p.drawText(QRectF(24, 0, 400, kHeader), Qt::AlignVCenter, QStringLiteral("Lustrelab documentation"));
    p.setPen(QColor(0xc9, 0xd1, 0xd9));
    p.setFont(pageFont(14));
    p.drawText(QRectF(width - 360, 0, 336, kHeader), Qt::AlignVCenter | Qt::AlignRight,
               QStringLiteral("Guide    Command line    Source"));

    p.fillRect(QRectF(0, kHeader, kSidebar, height - kHeader), QColor(0xf6, 0xf8, 0xfa));
    p.setPen(QColor(0xd0, 0xd7, 0xde));
    p.drawLine(QPointF(kSidebar, kHeader), QPointF(kSidebar, height));
    double y = kHeader + 24;
    p.setFont(pageFont(14));
    for (QTextBlock block = document.begin(); block.isValid() && y < height - 24; block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level < 1 || level > 3)
            continue;
        p.setPen(level == 1 ? QColor(0x24, 0x29, 0x2f) : QColor(0x1a, 0x5f, 0xb4));
        p.drawText(QPointF(20 + 14 * (level - 1), y), block.text());
        y += 26;
    }
}

// Draws the document in columns of the given size, from the top of the first.
void drawColumns(QPainter& p, QTextDocument& document, QRectF first, int columns)
{
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, QColor(0x1f, 0x23, 0x28));
    for (int c = 0; c < columns; ++c) {
        const QRectF column = first.translated(c * (first.width() + kGutter), 0);
        p.save();
        p.translate(column.topLeft() - QPointF(0, c * first.height()));
        context.clip = QRectF(0, c * first.height(), column.width(), column.height());
        p.setClipRect(context.clip);
        document.documentLayout()->draw(&p, context);
        p.restore();
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QSize size(2880, 1800);
    if (args.size() == 3) {
        const QRegularExpressionMatch m = QRegularExpression(R"(^(\d+)x(\d+)$)").match(args[2]);
        if (m.hasMatch())
            size = {m.captured(1).toInt(), m.captured(2).toInt()};
    }
    QFile input(args.value(0));
    if (args.size() < 2 || args.size() > 3 || size.isEmpty() || !input.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "usage: make_page INPUT.md OUTPUT.png [WIDTHxHEIGHT]\n");
        return 2;
    }

    const double width = size.width() / kRatio, height = size.height() / kRatio;
    const QRectF firstColumn(kSidebar + kGutter, kHeader + 32, (width - kSidebar - 3 * kGutter) / 2,
                             height - kHeader - 56);
    QTextDocument* document = makeDocument(QString::fromUtf8(input.readAll()), firstColumn.width(), &app);

    QImage image(size, QImage::Format_RGB32);
    image.setDevicePixelRatio(kRatio);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    drawChrome(painter, width, height, *document);
    drawColumns(painter, *document, firstColumn, 2);
    painter.end();

    image.setDevicePixelRatio(1);
    if (!image.save(args[1], "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(args[1]));
        return 1;
    }
    return 0;
}
