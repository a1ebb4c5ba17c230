#pragma once

#include "model/shape_overlay.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>

namespace lustrelab {

// The per-user preferences, in QSettings under organisation and application
// "Lustrelab": the one place that opens that store, and the one list of its
// keys and defaults. Nothing is cached: each call reads or writes the store,
// so every reader sees the latest value. The application makes one and hands
// it to everything that reads or sets a preference, so that a view showing
// one hears of a change made elsewhere (changed()).
class PreferencesStore : public QObject
{
    Q_OBJECT

  public:
    explicit PreferencesStore(QObject* parent = nullptr) : QObject(parent) {}

    // What changed() names.
    enum class Key {
        sectionCollapsed,
        autoPasteOnLaunch,
        defaultExportScale,
        afterCapture,
        quickCaptureTemplate,
        quickCaptureFolder,
        redactionStyle,
        textLanguage,
        captureDelay,
        restoreTabsAtStart,
        recentFiles
    };
    Q_ENUM(Key)

    // The folding sections of the side panels.
    enum Section {
        Capture,
        Canvas,
        Device,
        Background,
        Corners,
        Shadow,
        Padding,
        Text,
        Shapes,
        Export,
        SectionCount
    };

    bool sectionCollapsed(Section section) const;
    void setSectionCollapsed(Section section, bool collapsed);

    // Whether an image on the clipboard fills the first tab at launch; default true.
    bool autoPasteOnLaunch() const;
    void setAutoPasteOnLaunch(bool enabled);

    // The export scale the user chose for the window's exports, copies and
    // quick captures: 1, 2 or 3. Unset (no value stored, the default) means
    // each screenshot's own pixel ratio (see exportScaleFor). A value stored
    // by an earlier version is a choice and reads as such; anything else
    // (edited by hand, or from a later version) reads as unset.
    std::optional<double> defaultExportScale() const;
    // std::nullopt removes the choice.
    void setDefaultExportScale(std::optional<double> scale);

    // What the window does with a capture: a new tab (the default), or
    // style it and copy it (and save it) without coming forward.
    enum class AfterCapture { openInNewTab, styleAndCopy, styleCopyAndSave, styleAndPin };
    AfterCapture afterCapture() const;
    void setAfterCapture(AfterCapture choice);

    // The template a quick capture is styled with; empty: the styling of the
    // current tab.
    QString quickCaptureTemplate() const;
    void setQuickCaptureTemplate(const QString& name);

    // Where "style, copy and save" saves; default Pictures/Lustrelab.
    QString quickCaptureFolder() const;
    void setQuickCaptureFolder(const QString& folder);

    // The shape Redact Sensitive covers what it finds with: Redact (a solid
    // box, the default), Blur (the grey mosaic) or Pixelate. Other shapes
    // would leave the secret readable, so they read as the default too.
    ShapeType redactionStyle() const;
    void setRedactionStyle(ShapeType style);

    // The language Copy Text and Redact Sensitive read in, as the name of its
    // recognition data ("eng", "deu", "chi_sim"); default "eng". A language
    // whose data has since gone is kept (reading then says what is missing);
    // a stored value that cannot name any is "eng".
    QString textLanguage() const;
    void setTextLanguage(const QString& language);
    // The window's capture delay in seconds: 0 (none, the default), 3, 5 or
    // 10. Any other stored value reads as 0: a capture must never wait for
    // a minute because of a hand-edited file.
    int captureDelay() const;
    void setCaptureDelay(int seconds);
    static constexpr int captureDelayChoices[] = {0, 3, 5, 10};

    // Whether the tabs open when the window last went without a clean quit
    // (a crash, a kill, a logout) come back at the next start; default true.
    bool restoreTabsAtStart() const;
    void setRestoreTabsAtStart(bool enabled);

    // The project and image files opened or saved last, newest first.
    QStringList recentFiles() const;
    void setRecentFiles(const QStringList& paths);

  signals:
    // After every write through this object, whether or not the value differs.
    void changed(PreferencesStore::Key key);
};

} // namespace lustrelab
