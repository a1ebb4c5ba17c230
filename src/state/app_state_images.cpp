// AppState's operations on the tabs' images: loading a screenshot and
// composing it, at full resolution or, while a gesture is in progress, at
// the resolution the canvas shows it.
#include "app_state.h"
#include "model/id_lookup.h"

#include <QFileInfo>

namespace lustrelab {

namespace {

std::optional<QImage> presentImage(const std::optional<QImage>& image)
{
    if (!image || image->isNull())
        return std::nullopt;
    return image;
}

} // namespace

void AppState::setSourceImage(const std::optional<QImage>& image)
{
    if (ScreenshotTab* tab = mutableCurrentTab()) {
        const QImage screenshot = presentImage(image).value_or(QImage());
        tab->document.screenshot = screenshot;
        tab->document.devicePixelRatio = screenshot.isNull() ? 1.0 : screenshot.devicePixelRatio();
        emit tabsChanged();
    }
}

void AppState::nameCurrentTab(const QString& fileName)
{
    // The start tab's "New Tab" says nothing once it shows a screenshot, and
    // neither does an earlier image's name once another took its place.
    if (ScreenshotTab* tab = mutableCurrentTab()) {
        const QString name = fileName.isEmpty() ? defaultTabName() : fileName;
        if (name != tab->name) {
            tab->name = name;
            emit tabsChanged();
        }
    }
}

void AppState::setProcessedImage(const std::optional<QImage>& image)
{
    if (ScreenshotTab* tab = mutableCurrentTab()) {
        tab->processedImage = presentImage(image);
        tab->processedChange.reset();
        tab->previewImage.reset();
        tab->previewChange.reset();
        emit tabsChanged();
    }
}

void AppState::loadImage(const QImage& image, bool newTab, const QString& fileName)
{
    if (image.isNull())
        return;
    const ScreenshotTab* current = currentTab();
    // Without a current tab there is nothing to fill, so the image gets a tab
    // of its own rather than being dropped.
    if (!newTab && current && !current->hasImage()) {
        setSourceImage(image);
        nameCurrentTab(fileName);
    } else {
        appendTab(fileName, image);
        emit currentTabIdChanged();
    }
    mutableCurrentTab()->document.annotations = {};
    emit tabsChanged();
    clearSelection();
    forgetHistory();
    processImage();
}

void AppState::openDocument(const Document& document, const QString& name, const QString& filePath)
{
    if (document.screenshot.isNull())
        return;
    const BeautySettings before = settings();
    const ScreenshotTab* current = currentTab();
    // The start tab, still empty, gives way rather than staying beside it.
    const std::optional<QUuid> replaced =
        current && !current->hasImage() ? std::optional(current->id) : std::nullopt;
    ScreenshotTab& tab = appendTab(name);
    tab.document = document;
    tab.document.screenshot.setDevicePixelRatio(document.devicePixelRatio);
    tab.filePath = filePath;
    if (!filePath.isEmpty())
        tab.savedDocument = tab.document;
    if (replaced)
        removeById(m_tabs, *replaced);
    emit tabsChanged();
    emit currentTabIdChanged();
    if (settings() != before)
        emit settingsChanged();
    clearSelection();
    forgetHistory();
    processImage();
}

void AppState::markSaved(const QUuid& tabId, const QString& filePath, const Document& saved)
{
    ScreenshotTab* tab = recordWithId(m_tabs, tabId);
    if (!tab)
        return;
    tab->filePath = filePath;
    tab->savedDocument = saved;
    tab->name = QFileInfo(filePath).fileName();
    emit tabsChanged();
}

void AppState::restoreTabs(const QList<ScreenshotTab>& tabs, qsizetype current)
{
    QList<ScreenshotTab> restored;
    std::optional<QUuid> currentId;
    for (qsizetype i = 0; i < tabs.size(); ++i) {
        if (!tabs[i].hasImage())
            continue;
        restored.append(tabs[i]);
        restored.last().processedImage.reset();
        restored.last().previewImage.reset();
        restored.last().previewChange.reset();
        if (i == current || !currentId)
            currentId = restored.last().id;
    }
    if (restored.isEmpty())
        return;
    const BeautySettings before = settings();
    if (m_tabs.size() == 1 && !m_tabs.first().hasImage())
        m_tabs.clear();
    for (const ScreenshotTab& tab : restored)
        if (!recordWithId(m_tabs, tab.id)) // ids stay unique
            m_tabs.append(tab);
    m_currentTabId = currentId;
    clearSelection();
    forgetHistory();
    emit tabsChanged();
    emit currentTabIdChanged();
    if (settings() != before)
        emit settingsChanged();
    for (const ScreenshotTab& tab : restored)
        m_compositions.request({tab.id, tab.document, QSize()});
}

void AppState::processImage()
{
    requestComposition(m_liveComposition);
}

void AppState::requestComposition(bool forTheCanvas)
{
    const ScreenshotTab* tab = currentTab();
    if (!tab || !tab->hasImage()) {
        // A composition still on its way would otherwise bring back the image
        // that was just taken away.
        if (tab)
            m_compositions.discard(tab->id);
        setProcessedImage(std::nullopt);
        return;
    }
    m_compositions.request({tab->id, tab->document, forTheCanvas ? m_canvasPixels : QSize()});
}

void AppState::setCanvasPixels(QSize devicePixels)
{
    m_canvasPixels = devicePixels;
}

void AppState::setLiveComposition(bool held)
{
    if (held == m_liveComposition)
        return;
    m_liveComposition = held;
    m_livePause.stop();
    // Letting go: what is shown may be a reduced composition, or one may be
    // on its way; the full one replaces it.
    const ScreenshotTab* tab = currentTab();
    if (!held && tab && (tab->previewImage || m_compositions.isBusy()))
        processImage();
}

// A composition belongs to the tab whose screenshot it was asked for. Should
// the user switch or close tabs meanwhile, it must not land in another tab:
// that tab would show, and export, somebody else's screenshot until its next
// edit.
void AppState::storeComposition(const QUuid& tabId, const QImage& image,
                                const std::optional<ImageChange>& change, bool reduced)
{
    if (ScreenshotTab* tab = recordWithId(m_tabs, tabId)) {
        // A reduced composition is only shown: copies, exports and text
        // recognition keep reading the full one until it comes.
        if (reduced) {
            // Previews come from a processor of their own: a change links
            // one to the preview before it, never to the full composition.
            const bool follows =
                change && tab->previewImage && tab->previewImage->cacheKey() == change->since;
            tab->previewChange = follows ? change : std::nullopt;
            tab->previewImage = presentImage(image);
            m_livePause.start();
            emit tabsChanged();
            return;
        }
        tab->previewImage.reset();
        tab->previewChange.reset();
        // The change is relative to the processor's previous result, which is
        // this tab's image only if nothing else was stored in between.
        const bool follows =
            change && tab->processedImage && tab->processedImage->cacheKey() == change->since;
        tab->processedChange = follows ? change : std::nullopt;
        tab->processedImage = presentImage(image);
        emit tabsChanged();
    }
}

} // namespace lustrelab
