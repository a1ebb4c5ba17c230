#include "preferences_store.h"

#include <QDir>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>
#include <array>

namespace lustrelab {

namespace {

struct SectionKey
{
    const char* key;
    bool collapsedByDefault;
};

// In the order of PreferencesStore::Section. The keys are what earlier
// versions wrote: renaming one would unfold every user's panel.
constexpr std::array<SectionKey, PreferencesStore::SectionCount> sectionKeys{{
    {"section.capture.collapsed", false},
    {"section.canvas.collapsed", false},
    {"section.device.collapsed", true},
    {"section.background.collapsed", false},
    {"section.corners.collapsed", true},
    {"section.shadow.collapsed", false},
    {"section.padding.collapsed", true},
    {"section.text.collapsed", true},
    {"section.shapes.collapsed", true},
    {"section.export.collapsed", false},
}};

const QString autoClipboardKey = QStringLiteral("autoClipboard");
const QString defaultScaleKey = QStringLiteral("defaultScale");
const QString afterCaptureKey = QStringLiteral("afterCapture");
const QString quickTemplateKey = QStringLiteral("quickCapture.template");
const QString quickFolderKey = QStringLiteral("quickCapture.folder");
const QString redactionStyleKey = QStringLiteral("text.redactionStyle");
const QString textLanguageKey = QStringLiteral("text.language");
const QString restoreTabsKey = QStringLiteral("session.restoreTabs");
const QString recentFilesKey = QStringLiteral("recentFiles");
const QString defaultLanguage = QStringLiteral("eng");

// Stored by name, so that a reordering never changes a user's choice.
const QString captureDelayKey = QStringLiteral("capture.delay");

constexpr std::array<std::pair<PreferencesStore::AfterCapture, const char*>, 4> afterCaptureNames{{
    {PreferencesStore::AfterCapture::openInNewTab, "newTab"},
    {PreferencesStore::AfterCapture::styleAndCopy, "copy"},
    {PreferencesStore::AfterCapture::styleCopyAndSave, "copyAndSave"},
    {PreferencesStore::AfterCapture::styleAndPin, "pin"},
}};

bool hidesText(ShapeType style)
{
    return style == ShapeType::redact || style == ShapeType::blur || style == ShapeType::pixelate;
}

// A language is the base name of a file in the recognition data folder: a
// value with a dot or a slash could point outside it.
bool namesLanguage(const QString& language)
{
    static const QRegularExpression name(QStringLiteral("^[A-Za-z0-9_]+$"));
    return name.match(language).hasMatch();
}

QSettings store()
{
    return QSettings(QStringLiteral("Lustrelab"), QStringLiteral("Lustrelab"));
}

} // namespace

bool PreferencesStore::sectionCollapsed(Section section) const
{
    const SectionKey& entry = sectionKeys.at(section);
    return store().value(QLatin1StringView(entry.key), entry.collapsedByDefault).toBool();
}

void PreferencesStore::setSectionCollapsed(Section section, bool collapsed)
{
    store().setValue(QLatin1StringView(sectionKeys.at(section).key), collapsed);
    emit changed(Key::sectionCollapsed);
}

bool PreferencesStore::autoPasteOnLaunch() const
{
    return store().value(autoClipboardKey, true).toBool();
}

void PreferencesStore::setAutoPasteOnLaunch(bool enabled)
{
    store().setValue(autoClipboardKey, enabled);
    emit changed(Key::autoPasteOnLaunch);
}

std::optional<double> PreferencesStore::defaultExportScale() const
{
    bool ok = false;
    const double scale = store().value(defaultScaleKey).toDouble(&ok);
    if (ok && (scale == 1 || scale == 2 || scale == 3))
        return scale;
    return std::nullopt;
}

void PreferencesStore::setDefaultExportScale(std::optional<double> scale)
{
    if (scale)
        store().setValue(defaultScaleKey, *scale);
    else
        store().remove(defaultScaleKey);
    emit changed(Key::defaultExportScale);
}

PreferencesStore::AfterCapture PreferencesStore::afterCapture() const
{
    const QString stored = store().value(afterCaptureKey).toString();
    for (const auto& [choice, name] : afterCaptureNames)
        if (stored == QLatin1StringView(name))
            return choice;
    return AfterCapture::openInNewTab; // unset, or a choice of a later version
}

void PreferencesStore::setAfterCapture(AfterCapture choice)
{
    for (const auto& [known, name] : afterCaptureNames)
        if (known == choice)
            store().setValue(afterCaptureKey, QLatin1StringView(name));
    emit changed(Key::afterCapture);
}

QString PreferencesStore::quickCaptureTemplate() const
{
    return store().value(quickTemplateKey).toString();
}

void PreferencesStore::setQuickCaptureTemplate(const QString& name)
{
    store().setValue(quickTemplateKey, name);
    emit changed(Key::quickCaptureTemplate);
}

QString PreferencesStore::quickCaptureFolder() const
{
    const QString stored = store().value(quickFolderKey).toString();
    if (!stored.isEmpty())
        return stored;
    return QDir(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation))
        .filePath(QStringLiteral("Lustrelab"));
}

void PreferencesStore::setQuickCaptureFolder(const QString& folder)
{
    store().setValue(quickFolderKey, folder);
    emit changed(Key::quickCaptureFolder);
}

ShapeType PreferencesStore::redactionStyle() const
{
    const std::optional<ShapeType> stored =
        fromRawValue<ShapeType>(store().value(redactionStyleKey).toString());
    return stored && hidesText(*stored) ? *stored : ShapeType::redact;
}

void PreferencesStore::setRedactionStyle(ShapeType style)
{
    store().setValue(redactionStyleKey, rawValue(style));
    emit changed(Key::redactionStyle);
}

QString PreferencesStore::textLanguage() const
{
    const QString stored = store().value(textLanguageKey).toString();
    return namesLanguage(stored) ? stored : defaultLanguage;
}

void PreferencesStore::setTextLanguage(const QString& language)
{
    store().setValue(textLanguageKey, language);
    emit changed(Key::textLanguage);
}

int PreferencesStore::captureDelay() const
{
    bool ok = false;
    const int stored = store().value(captureDelayKey).toInt(&ok);
    return ok && std::find(std::begin(captureDelayChoices), std::end(captureDelayChoices), stored) !=
                     std::end(captureDelayChoices)
               ? stored
               : 0;
}

void PreferencesStore::setCaptureDelay(int seconds)
{
    if (seconds == 0)
        store().remove(captureDelayKey);
    else
        store().setValue(captureDelayKey, seconds);
    emit changed(Key::captureDelay);
}

bool PreferencesStore::restoreTabsAtStart() const
{
    return store().value(restoreTabsKey, true).toBool();
}

void PreferencesStore::setRestoreTabsAtStart(bool enabled)
{
    store().setValue(restoreTabsKey, enabled);
    emit changed(Key::restoreTabsAtStart);
}

QStringList PreferencesStore::recentFiles() const
{
    return store().value(recentFilesKey).toStringList();
}

void PreferencesStore::setRecentFiles(const QStringList& paths)
{
    store().setValue(recentFilesKey, paths);
    emit changed(Key::recentFiles);
}

} // namespace lustrelab
