#pragma once

#include "preferences_store.h"

#include <QObject>
#include <QStringList>
#include <QThreadPool>

namespace lustrelab {

// The files the user opened or saved last, for File > Open Recent: at most
// ten, newest first, kept in the preferences. Each one added also goes to
// the desktop's recently-used list, so that file choosers offer it; that
// list is shared with every program and may be large, so it is written on a
// worker thread.
class RecentFiles : public QObject
{
    Q_OBJECT

  public:
    static constexpr qsizetype maxFiles = 10;

    // `desktopList` is the recently-used list to add to; empty: the standard one.
    explicit RecentFiles(PreferencesStore& preferences, QString desktopList = {}, QObject* parent = nullptr);
    ~RecentFiles() override;

    // Newest first; files that have gone since are left out.
    QStringList files() const;
    // Puts `path` (made absolute) first; `mimeType` is what the desktop list records.
    void add(const QString& path, const QString& mimeType);
    void clear();

  signals:
    void changed();
    // After the desktop list was written (or could not be: `error`).
    void desktopListWritten(const QString& error);

  private:
    QString m_desktopList;
    PreferencesStore& m_preferences;
    QThreadPool m_worker; // one thread: the list's writes never overlap
};

} // namespace lustrelab
