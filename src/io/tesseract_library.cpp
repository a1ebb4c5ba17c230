#include "tesseract_library.h"

#include <dlfcn.h>

namespace lustrelab {

namespace {

struct Opened
{
    TesseractLibrary library;
    QString error; // empty once every function was found
};

template <typename Function> bool find(void* handle, Function& function, const char* name, QString& error)
{
    function = reinterpret_cast<Function>(dlsym(handle, name));
    if (!function && error.isEmpty())
        error = QStringLiteral("the text recognition library lacks %1").arg(QLatin1String(name));
    return function != nullptr;
}

Opened open()
{
    Opened opened;
    // Kept open for the life of the process: engines may run on any thread.
    void* handle = dlopen(LUSTRELAB_TESSERACT_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        opened.error =
            QStringLiteral("the text recognition library (%1) is not installed: %2")
                .arg(QLatin1String(LUSTRELAB_TESSERACT_LIBRARY), QString::fromLocal8Bit(dlerror()));
        return opened;
    }
    TesseractLibrary& l = opened.library;
    QString& e = opened.error;
    find(handle, l.create, "TessBaseAPICreate", e);
    find(handle, l.destroy, "TessBaseAPIDelete", e);
    find(handle, l.setVariable, "TessBaseAPISetVariable", e);
    find(handle, l.init, "TessBaseAPIInit2", e);
    find(handle, l.setPageSegMode, "TessBaseAPISetPageSegMode", e);
    find(handle, l.setImage, "TessBaseAPISetImage", e);
    find(handle, l.recognize, "TessBaseAPIRecognize", e);
    find(handle, l.iterator, "TessBaseAPIGetIterator", e);
    find(handle, l.end, "TessBaseAPIEnd", e);
    find(handle, l.text, "TessResultIteratorGetUTF8Text", e);
    find(handle, l.confidence, "TessResultIteratorConfidence", e);
    find(handle, l.deleteText, "TessDeleteText", e);
    find(handle, l.pageIterator, "TessResultIteratorGetPageIteratorConst", e);
    find(handle, l.boundingBox, "TessPageIteratorBoundingBox", e);
    find(handle, l.isAtFinalElement, "TessPageIteratorIsAtFinalElement", e);
    find(handle, l.next, "TessResultIteratorNext", e);
    find(handle, l.deleteIterator, "TessResultIteratorDelete", e);
    return opened;
}

} // namespace

const TesseractLibrary* tesseractLibrary(QString* error)
{
    static const Opened opened = open();
    if (!opened.error.isEmpty()) {
        if (error)
            *error = opened.error;
        return nullptr;
    }
    return &opened.library;
}

} // namespace lustrelab
