#pragma once

#include "model/recognized_text.h"

#include <QImage>
#include <QStringList>
#include <optional>

namespace lustrelab {

// Reads the text of an image with Tesseract. Slow (a second or more for a
// large screenshot): call it on a worker, never on the window's thread. Each
// call sets up its own engine, so calls on several threads are independent.
class TextRecognizer
{
  public:
    // The languages whose data is installed ("eng", "deu", ...), sorted;
    // English is always offered first when present.
    static QStringList installedLanguages();

    // The text of `image` in `language`; nothing, and a one-line reason,
    // when the language data is missing or the engine cannot start.
    static std::optional<RecognizedText> recognize(const QImage& image, const QString& language,
                                                   QString* error);

  private:
    static QString dataFolder();
};

} // namespace lustrelab
