#pragma once

#include "io/application_presence.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>

namespace lustrelab {

// Takes every visible top-level window of the application off the screen
// while a capture runs (the main window, the preferences, any dialog), then
// shows the same windows again and brings the main window to the front, so a
// screenshot never contains Lustrelab itself. Overlapping captures hide once
// and come back after the last. A main window that was hidden or minimised
// when the capture began is left so.
class WindowPresence : public QObject, public ApplicationPresence
{
    Q_OBJECT

  public:
    explicit WindowPresence(QWidget& mainWindow);

    void hideApplication() override;
    void showApplication() override;

  private:
    QWidget& m_mainWindow;
    int m_captures = 0;
    QList<QPointer<QWidget>> m_hidden;
};

} // namespace lustrelab
