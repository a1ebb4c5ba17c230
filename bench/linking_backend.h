#pragma once

// A capture tool that is done at once: it links a prepared PNG into place,
// since a real tool writes its file in a process of its own, and notes when
// it "exited".

#include "io/capture_backend.h"

#include <QElapsedTimer>
#include <QFile>

namespace lustrelab::bench {

class LinkingBackend : public CaptureBackend
{
  public:
    explicit LinkingBackend(QString png) : m_png(std::move(png)) {}
    QString name() const override { return QStringLiteral("link"); }
    void capture(CaptureMode, const QString& path, Done done) override
    {
        QFile::link(m_png, path);
        exited.start();
        done({});
    }
    QElapsedTimer exited;

  private:
    QString m_png;
};

} // namespace lustrelab::bench
