#pragma once

#include "model/document.h"

#include <QImage>
#include <QString>
#include <optional>

namespace lustrelab {

// Reads and writes project files for the window and the session: the window
// works against this, the project file format lives behind it. Every call
// may run on any thread; implementations hold no state that calls share.
class ProjectStorage
{
  public:
    virtual ~ProjectStorage() = default;

    // Writes `document` to `path` atomically: on any failure a file already
    // there stays as it was. `styled` is the document composed (for the
    // preview), null when there is none. An empty result: written; else why not.
    virtual QString write(const QString& path, const Document& document, const QImage& styled) const = 0;

    // The document a project holds, ready to open (a background picture it
    // carries is put where composition finds it), or nothing and why.
    struct Read
    {
        std::optional<Document> document;
        QString error;
    };
    virtual Read read(const QString& path) const = 0;

    // Whether `path` names a project rather than an image.
    virtual bool isProject(const QString& path) const = 0;
};

} // namespace lustrelab
