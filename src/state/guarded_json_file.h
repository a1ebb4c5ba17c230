#pragma once

#include "model/model_json.h"

#include <QString>
#include <optional>

namespace lustrelab {

// One JSON file of the user's (templates, gradient presets) that is never
// lost: a file that exists but cannot be read is moved aside, never
// overwritten, before the next write; every write goes through a temporary
// file, so a crash or a full disk leaves the previous file as it was.
// Problems are one line on standard output, naming `what` the file holds
// ("Failed to load templates: ...").
class GuardedJsonFile
{
  public:
    GuardedJsonFile(QString path, QString what);

    QString path() const { return m_path; }

    // The parsed file; nothing when it is missing, or unreadable (reported).
    std::optional<Json> read();
    // For content that parsed but is not what the caller can use.
    void markUnreadable(const QString& reason);
    // Returns whether the file now holds `json`.
    bool write(const Json& json);

  private:
    bool setAsideUnreadableFile();
    void reportSaveFailure(const QString& reason) const;

    QString m_path;
    QString m_what;
    QString m_unreadableCopyPath; // set while the file on disk could not be read
};

} // namespace lustrelab
