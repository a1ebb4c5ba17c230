#pragma once

#include <QString>
#include <tesseract/capi.h>

namespace lustrelab {

// The text recognition engine's C interface, opened on first use rather than
// linked. Linked, it and the forty-odd libraries it pulls in were loaded by
// every start of the window, about 30 ms before main, for a feature used now
// and then.
struct TesseractLibrary
{
    decltype(&TessBaseAPICreate) create = nullptr;
    decltype(&TessBaseAPIDelete) destroy = nullptr;
    decltype(&TessBaseAPISetVariable) setVariable = nullptr;
    decltype(&TessBaseAPIInit2) init = nullptr;
    decltype(&TessBaseAPISetPageSegMode) setPageSegMode = nullptr;
    decltype(&TessBaseAPISetImage) setImage = nullptr;
    decltype(&TessBaseAPIRecognize) recognize = nullptr;
    decltype(&TessBaseAPIGetIterator) iterator = nullptr;
    decltype(&TessBaseAPIEnd) end = nullptr;
    decltype(&TessResultIteratorGetUTF8Text) text = nullptr;
    decltype(&TessResultIteratorConfidence) confidence = nullptr;
    decltype(&TessDeleteText) deleteText = nullptr;
    decltype(&TessResultIteratorGetPageIteratorConst) pageIterator = nullptr;
    decltype(&TessPageIteratorBoundingBox) boundingBox = nullptr;
    decltype(&TessPageIteratorIsAtFinalElement) isAtFinalElement = nullptr;
    decltype(&TessResultIteratorNext) next = nullptr;
    decltype(&TessResultIteratorDelete) deleteIterator = nullptr;
};

// The engine, opened once for the process (any thread may ask first); null,
// with the reason in *error, when it is not installed or lacks a function.
const TesseractLibrary* tesseractLibrary(QString* error);

} // namespace lustrelab
