#pragma once

#include "model/beauty_settings.h"

#include <QDateTime>
#include <QString>
#include <functional>

namespace lustrelab {

// Where a capture saved into `folder` goes: "Screenshot YYYY-MM-DD
// HH-MM-SS.png" for `now` (the suffix of `format`), with " (2)", " (3)", ...
// before the suffix while `taken` says the name is taken, so a capture
// never replaces an earlier one.
QString captureFilePath(const QString& folder, const QDateTime& now, ExportFormat format,
                        const std::function<bool(const QString&)>& taken);

// Asking whether a name exists and writing it later lets two captures in the
// same second pick the same name, and the later one replaces the earlier.
// Creating the file empty, exclusively, makes the name this process's at
// once; the image is then written over it (through a temporary file, as
// every file is).
class FileNameClaim
{
  public:
    // For captureFilePath: true when `path` is someone else's. The first
    // name it answers false for is created, empty (claimed()), with its
    // folder when missing, unless it could not be (failure()).
    bool taken(const QString& path);

    QString claimed() const { return m_claimed; }
    QString failure() const { return m_failure; }

  private:
    QString m_claimed;
    QString m_failure;
};

// The next free capture name in `folder` (created when missing), created
// empty for the caller to write over. Returns the path, or empty with
// `failure` set.
QString claimCaptureFilePath(const QString& folder, const QDateTime& now, ExportFormat format,
                             QString* failure);

} // namespace lustrelab
