#pragma once

// Shared by the input/output tests: a private home, test images and fake
// capture tools.

#include "test_fixtures.h"

#include <QImage>
#include <QtTest>

namespace lustrelab::iotest {

using test::asArgb;
using test::encoded;
using test::IsolatedHome;
using test::patternImage;

// Shell scripts standing in for capture tools, alone on PATH while the object
// lives. A recording tool logs its arguments, one call a line written at once
// (captures overlap), and unless it cancels copies a 24 x 16 patternImage to
// its last argument (or to the value of "--file=").
class FakeTools
{
  public:
    FakeTools() : m_savedPath(qgetenv("PATH")) { qputenv("PATH", m_dir.path().toUtf8()); }
    ~FakeTools() { qputenv("PATH", m_savedPath); }

    QString filePath(const QString& name) const { return m_dir.filePath(name); }

    void addScript(const QString& name, const QByteArray& text)
    {
        QFile file(m_dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }

    void addRecordingTool(const QString& name, bool cancels = false)
    {
        const QByteArray sample = filePath(QStringLiteral("sample.png")).toUtf8();
        patternImage(24, 16).save(QString::fromUtf8(sample));
        addScript(name, "#!/bin/sh\nline=$(printf '%s\\t' \"$@\")\necho \"$line\" >> '" + log().toUtf8() +
                            "'\nfor out; do :; done\n" +
                            (cancels ? "exit 1\n" : "/bin/cp '" + sample + "' \"${out#--file=}\"\n"));
    }

    QList<QStringList> invocations() const
    {
        QFile file(log());
        QList<QStringList> calls;
        const QString text =
            QString::fromUtf8(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
        for (const QString& line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            calls.append(line.split(QLatin1Char('\t'), Qt::SkipEmptyParts));
        return calls;
    }

  private:
    QString log() const { return m_dir.filePath(QStringLiteral("log")); }
    QTemporaryDir m_dir;
    QByteArray m_savedPath;
};

} // namespace lustrelab::iotest
