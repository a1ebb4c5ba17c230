#pragma once

#include "io/desktop_notifier.h"
#include "model/beauty_settings.h"

#include <QImage>
#include <QObject>
#include <QThreadPool>

namespace lustrelab {

class ClipboardService;
class PreferencesStore;
class TemplateManager;

// The capture modes that skip the window ("After capture" in the
// preferences): the capture is styled with the chosen template or the
// current styling, copied (or pinned to the screen), saved if asked, and a desktop notification says
// where it went, all without bringing the window forward. Styling and
// saving run on a worker. A capture is never lost: when it cannot be styled
// or saved, the notification says why and the capture waits in a new tab.
class QuickCapture : public QObject
{
    Q_OBJECT

  public:
    QuickCapture(TemplateManager& templates, ClipboardService& clipboard, const PreferencesStore& preferences,
                 QObject* parent = nullptr);
    ~QuickCapture() override;

    // Takes the capture when the preferences ask for a quick mode; false
    // when it is to open in a new tab, which is the caller's to do.
    bool take(const QImage& capture, const BeautySettings& currentStyling);

  signals:
    // A capture for a new tab: picked from the notification, or one that
    // could not be styled or saved. `bringForward`: the user asked for it,
    // with the notification server's `activationToken` (may be empty).
    void openRequested(const QImage& capture, bool bringForward, const QString& activationToken = {});
    // "Style and pin": the styled capture, to be shown pinned to the screen.
    void pinRequested(const QImage& styled);
    // The notification of a capture that is waiting in a tab was picked.
    void windowRequested(const QString& activationToken = {});
    // Once the notification is sent: for tests and anyone waiting for the result.
    void finished(const QString& summary, const QString& body);

  private:
    struct Outcome
    {
        QImage styled; // at export scale, for the clipboard
        QString savedPath;
        QString failure;
        bool unsaved = false; // styled, but saving failed
        bool pinned = false;  // to be pinned to the screen rather than copied
    };
    void deliver(const QImage& capture, const Outcome& outcome);
    void report(const DesktopNotifier::Notification& notification, DesktopNotifier::Action action);

    TemplateManager& m_templates;
    ClipboardService& m_clipboard;
    const PreferencesStore& m_preferences;
    DesktopNotifier m_notifier;
    QThreadPool m_pool; // last: waited for before anything above goes
};

} // namespace lustrelab
