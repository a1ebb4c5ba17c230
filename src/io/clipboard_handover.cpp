#include "clipboard_handover.h"

#include <QAbstractNativeEventFilter>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTimer>
#include <csignal>
#include <functional>
#include <string_view>
#include <xcb/xcb.h>

namespace lustrelab {

namespace {

const QString pngType = QStringLiteral("image/png");
const QString textType = QStringLiteral("text/plain;charset=utf-8");
constexpr int handoverTimeoutMs = 5000;

bool onPlatform(QStringView name)
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) &&
           QGuiApplication::platformName() == name;
}

QString wlCopyProgram()
{
    return QStandardPaths::findExecutable(QStringLiteral("wl-copy"));
}

xcb_connection_t* x11Connection()
{
    auto* app = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return app ? app->connection() : nullptr;
}

// The window that owns the X11 selection `name`, asked of the server;
// XCB_NONE when nobody does (or there is no X11 connection).
xcb_window_t selectionOwner(xcb_connection_t* connection, std::string_view name)
{
    if (!connection)
        return XCB_NONE;
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(name.size()), name.data()), nullptr);
    if (!atom)
        return XCB_NONE;
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
    const xcb_window_t window = owner ? owner->owner : XCB_NONE;
    free(owner);
    free(atom);
    return window;
}

// Qt gives a running X11 clipboard manager the clipboard's data as the
// application ends, so where one runs nothing else needs to be started.
bool x11ClipboardManagerRuns()
{
    return selectionOwner(x11Connection(), "CLIPBOARD_MANAGER") != XCB_NONE;
}

// Whether a window of this process owns the X11 CLIPBOARD, asked of the
// server. QClipboard::ownsClipboard cannot be trusted: when the next owner
// first clears the selection and then takes it (QClipboard::clear followed by
// setMimeData, as the window's copies do), Qt reads the clear as its own
// release and goes on believing it owns the clipboard for ever. Every window
// this connection creates has an id from its own range.
bool ownsX11Clipboard()
{
    xcb_connection_t* connection = x11Connection();
    const xcb_window_t owner = selectionOwner(connection, "CLIPBOARD");
    if (owner == XCB_NONE)
        return false;
    const xcb_setup_t* setup = xcb_get_setup(connection);
    return (owner & ~setup->resource_id_mask) == setup->resource_id_base;
}

// Calls `lost` on each SelectionClear: the server saying that a selection
// this process owned has passed to another owner, or to none.
class SelectionLossFilter : public QAbstractNativeEventFilter
{
  public:
    explicit SelectionLossFilter(std::function<void()> lost) : m_lost(std::move(lost)) {}
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override
    {
        constexpr uint8_t sentByAnotherClient = 0x80;
        if (type == "xcb_generic_event_t" && (static_cast<xcb_generic_event_t*>(message)->response_type &
                                              ~sentByAnotherClient) == XCB_SELECTION_CLEAR)
            m_lost();
        return false;
    }

  private:
    std::function<void()> m_lost;
};

// What the holder offers. Text goes through setText, which Qt offers as
// UTF8_STRING, STRING, TEXT and text/plain; the explicit UTF-8 type is for
// programs that ask by it.
QMimeData* pngMimeData(const QByteArray& data, const QString& type = pngType)
{
    auto* mime = new QMimeData;
    if (type == textType)
        mime->setText(QString::fromUtf8(data));
    mime->setData(type, data);
    return mime;
}

QString copyWithWlCopy(const QByteArray& png, const QString& type = pngType)
{
    // wl-copy forks and keeps serving in the background; its output would keep
    // a caller's pipe open for as long as it serves.
    QProcess copy;
    copy.setStandardOutputFile(QProcess::nullDevice());
    copy.setStandardErrorFile(QProcess::nullDevice());
    copy.start(wlCopyProgram(), {QStringLiteral("--type"), type});
    if (!copy.waitForStarted(handoverTimeoutMs))
        return QStringLiteral("cannot start wl-copy");
    copy.write(png);
    copy.closeWriteChannel();
    if (!copy.waitForFinished(handoverTimeoutMs) || copy.exitStatus() != QProcess::NormalExit ||
        copy.exitCode() != 0)
        return QStringLiteral("wl-copy did not take the image");
    return {};
}

// Offers the PNG here, starts the holder and waits until it has taken the
// selection over: once this returns, the image no longer depends on us.
QString startHolder(const QByteArray& png, QClipboard& clipboard, const QString& type = pngType)
{
    QTemporaryFile file(QDir::temp().filePath(QStringLiteral("lustrelab-clipboard-XXXXXX.png")));
    file.setAutoRemove(false); // the holder removes it once read
    if (!file.open() || file.write(png) != png.size() || !file.flush())
        return QStringLiteral("cannot write a temporary file for the clipboard");
    file.close();

    QEventLoop taken;
    QTimer::singleShot(handoverTimeoutMs, &taken, &QEventLoop::quit);
    QObject::connect(&clipboard, &QClipboard::dataChanged, &taken, [&] {
        if (!ownsX11Clipboard())
            taken.quit();
    });
    clipboard.setMimeData(pngMimeData(png, type), QClipboard::Clipboard);

    QProcess holder;
    holder.setProgram(QCoreApplication::applicationFilePath());
    holder.setArguments(type == textType ? QStringList{QStringLiteral("hold-clipboard"),
                                                       QStringLiteral("--text"), file.fileName()}
                                         : QStringList{QStringLiteral("hold-clipboard"), file.fileName()});
    holder.setStandardInputFile(QProcess::nullDevice());
    holder.setStandardOutputFile(QProcess::nullDevice());
    holder.setStandardErrorFile(QProcess::nullDevice());
    qint64 pid = 0;
    if (!holder.startDetached(&pid)) {
        QFile::remove(file.fileName());
        return QStringLiteral("cannot start the clipboard holder");
    }
    if (ownsX11Clipboard())
        taken.exec();
    if (ownsX11Clipboard()) {
        ::kill(pid_t(pid), SIGTERM);
        QFile::remove(file.fileName());
        return QStringLiteral("the clipboard holder did not take the image");
    }
    return {};
}

} // namespace

QString clipboardHandoverProblem()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
            return QStringLiteral(
                "no desktop session to copy to (neither DISPLAY nor WAYLAND_DISPLAY is set)");
        return {};
    }
    const QString platform = QGuiApplication::platformName();
    if (platform == u"wayland")
        return wlCopyProgram().isEmpty()
                   ? QStringLiteral(
                         "on Wayland a copy outlives lustrelab through wl-copy: install wl-clipboard")
                   : QString();
    if (platform == u"xcb")
        return {};
    return QStringLiteral("no desktop clipboard on the '%1' platform").arg(platform);
}

namespace {

QString keepAfterExit(const QByteArray& data, const QString& type)
{
    if (QString problem = clipboardHandoverProblem(); !problem.isEmpty())
        return problem;
    if (onPlatform(u"wayland"))
        return copyWithWlCopy(data, type);
    QClipboard& clipboard = *QGuiApplication::clipboard();
    if (x11ClipboardManagerRuns()) {
        clipboard.setMimeData(pngMimeData(data, type), QClipboard::Clipboard);
        return {};
    }
    return startHolder(data, clipboard, type);
}

} // namespace

QString keepOnClipboardAfterExit(const QByteArray& png)
{
    return keepAfterExit(png, pngType);
}

QString keepTextOnClipboardAfterExit(const QString& text)
{
    return keepAfterExit(text.toUtf8(), textType);
}

void handOverOwnedClipboardImage()
{
    if (!onPlatform(u"xcb") && !onPlatform(u"wayland"))
        return;
    QClipboard& clipboard = *QGuiApplication::clipboard();
    const QMimeData* mime = clipboard.mimeData(QClipboard::Clipboard);
    // Handing over a clipboard someone else has taken meanwhile would put
    // this window's old image back over their copy.
    const bool owns = onPlatform(u"xcb") ? ownsX11Clipboard() : clipboard.ownsClipboard();
    if (!owns || !mime || !(mime->hasFormat(pngType) || mime->hasText()))
        return;
    if (onPlatform(u"xcb") && x11ClipboardManagerRuns())
        return;
    const bool image = mime->hasFormat(pngType);
    if (const QString failure = image ? keepOnClipboardAfterExit(mime->data(pngType))
                                      : keepTextOnClipboardAfterExit(mime->text());
        !failure.isEmpty())
        qWarning("The copied %s leaves with the window: %s", image ? "image" : "text",
                 qUtf8Printable(failure));
}

int runClipboardHolder(const QString& path, bool text)
{
    QFile file(path);
    const QByteArray png = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    file.remove();
    if (!text && !png.startsWith("\x89PNG\r\n\x1a\n"))
        return 1;

    QClipboard& clipboard = *QGuiApplication::clipboard();
    clipboard.setMimeData(pngMimeData(png, text ? textType : pngType), QClipboard::Clipboard);
    if (!ownsX11Clipboard())
        return 1;
    // The holder leaves once it owns nothing, whoever took the clipboard and
    // however. The server tells the owner it lost the selection; Qt's own
    // signal is not enough: it stays silent when the taker's clock is behind
    // ours, as it is after a clear and a new copy from another Qt program.
    // The slow poll is a last resort should an event go missing.
    const auto leaveWhenReplaced = [] {
        if (!ownsX11Clipboard())
            QCoreApplication::quit();
    };
    SelectionLossFilter lost([leaveWhenReplaced] { QTimer::singleShot(0, qApp, leaveWhenReplaced); });
    qApp->installNativeEventFilter(&lost);
    QObject::connect(&clipboard, &QClipboard::changed, qApp, leaveWhenReplaced);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, qApp, leaveWhenReplaced);
    poll.start(std::chrono::seconds(30));
    QGuiApplication::exec();
    qApp->removeNativeEventFilter(&lost);
    return 0;
}

} // namespace lustrelab
