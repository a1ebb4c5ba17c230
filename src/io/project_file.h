#pragma once

#include "model/document.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QString>
#include <optional>

namespace lustrelab {

// A project (.lustrelab) keeps a document editable after the window is gone.
// It is a ZIP archive:
//   mimetype       stored, first: "application/x-lustrelab-project", so that
//                  the file's first bytes tell what it is (as ODF does)
//   document.json  {"format": 1,
//                   "screenshot": {"file": "screenshot.png", "devicePixelRatio": 2},
//                   "settings": {...styling, as templates store it...},
//                   "annotations": {...as an --annotations file...},
//                   "backgroundImage": "background.jpg"}  (only with a picture background)
//   screenshot.png the unstyled screenshot, lossless, every pixel
//   background.*   the picture the styling uses, byte for byte, so the project
//                  opens on another machine
//   preview.png    the styled image, at most 512 px on its longer side, for
//                  file managers
// Every function here is free of shared state and may run on any thread.

inline constexpr int projectFormat = 1; // the newest "format" this version reads
inline constexpr char projectMimeType[] = "application/x-lustrelab-project";
inline constexpr char projectSuffix[] = "lustrelab";
inline constexpr int projectPreviewSide = 512;

struct ProjectContents
{
    Document document;
    // The styling's picture as it was saved, and its name in the archive
    // ("background.jpg"); both empty when the project carries none. The
    // settings still name the file it came from, which may not exist here:
    // placeBackgroundImage() puts the picture where composition finds it.
    QByteArray backgroundImage;
    QString backgroundImageName;
};

// The whole archive. `styled` is the document composed, from which the
// preview is made (a null image gives a project without preview). Nothing on
// failure, with the reason in `error`.
std::optional<QByteArray> projectBytes(const Document& document, const QImage& styled,
                                       QString* error = nullptr);

// Writes projectBytes() to `path` atomically: on any failure (a full disk
// included) an existing file there is left as it was.
bool saveProject(const QString& path, const Document& document, const QImage& styled,
                 QString* error = nullptr);

// Reads a project. Every failure gives nothing and one reason naming what is
// wrong: not a ZIP archive, not a project, a key of document.json, a format
// made by a newer version, a missing or undecodable screenshot, an entry that
// declares more bytes or pixels than an image may have (refused before
// anything is inflated). Entries the format does not name are never read.
std::optional<ProjectContents> readProject(QByteArrayView bytes, QString* error = nullptr);
std::optional<ProjectContents> readProjectFile(const QString& path, QString* error = nullptr);

// Only the preview, for thumbnails: the screenshot is not inflated.
QImage readProjectPreview(QByteArrayView bytes, QString* error = nullptr);
QImage readProjectPreviewFile(const QString& path, QString* error = nullptr);

// Whether `bytes` (the start of a file is enough) begin like a project.
bool looksLikeProject(QByteArrayView bytes);
// A file named *.lustrelab, or one that begins like a project whatever its name.
bool isProjectFile(const QString& path);

// Writes the carried picture into `folder` under a name made from its
// content (never from the archive), unless an identical file is already
// there, and points the settings at it. A project without a picture is left
// alone. False, with the reason, when the file cannot be written.
bool placeBackgroundImage(ProjectContents& contents, const QString& folder, QString* error = nullptr);

} // namespace lustrelab
