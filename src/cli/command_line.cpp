#include "command_line.h"

#include "capture_command.h"
#include "compose_command.h"
#include "console.h"
#include "io/clipboard_handover.h"
#include "ocr_command.h"
#include "presets_command.h"
#include "stitch_command.h"
#include "thumbnail_command.h"

#include <QGuiApplication>
#include <QStringList>
#include <algorithm>
#include <array>
#include <cstring>

namespace lustrelab {

namespace {

// Every sub-command, in the order the help lists them: the one list both the
// dispatch and the help are made from, so none can be run but not listed.
struct SubCommand
{
    const char* name;
    const char* arguments; // after the name, as the help shows them
    const char* summary;
    int (*run)(const QStringList& arguments, char* programName);
};

constexpr std::array<SubCommand, 6> subCommands{{
    {"compose", "INPUT... [options]", "style screenshots headless (see compose --help)",
     [](const QStringList& a, char* program) { return runComposeCommand(a, program); }},
    {"capture", "[region|window|screen] ...", "capture, style and save in one step (see capture --help)",
     [](const QStringList& a, char* program) { return runCaptureCommand(a, program); }},
    {"stitch", "IMAGE IMAGE... -o OUT", "join overlapping screenshots into one (see stitch --help)",
     [](const QStringList& a, char* program) { return runStitchCommand(a, program); }},
    // The next three paint nothing: no GUI is needed.
    {"ocr", "[--language LANG] FILE...", "print the text an image shows (see ocr --help)",
     [](const QStringList& a, char*) { return runOcrCommand(a); }},
    {"thumbnail", "FILE.lustrelab OUT.png SIZE", "write a project's preview, for file managers",
     [](const QStringList& a, char*) { return runThumbnailCommand(a); }},
    {"presets", "[gradients|canvases|frames]", "list the built-in ids",
     [](const QStringList& a, char*) { return runPresetsCommand(a); }},
}};

QStringList argumentsAfter(int first, int argc, char** argv)
{
    QStringList arguments;
    for (int i = first; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

QString programHelp()
{
    QList<std::pair<QString, QLatin1String>> lines{
        {QStringLiteral("lustrelab [IMAGE...]"), QLatin1String("open the window, each image in a tab")}};
    for (const SubCommand& command : subCommands)
        lines.append({QStringLiteral("lustrelab %1 %2")
                          .arg(QLatin1String(command.name), QLatin1String(command.arguments)),
                      QLatin1String(command.summary)});
    lines.append({QStringLiteral("lustrelab --version"), QLatin1String("print the version")});
    qsizetype width = 0;
    for (const auto& [usage, summary] : lines)
        width = std::max(width, usage.size());
    QString help;
    for (const auto& [usage, summary] : lines)
        help += (help.isEmpty() ? QStringLiteral("usage: ") : QStringLiteral("       ")) +
                usage.leftJustified(width + 3) + summary + QLatin1Char('\n');
    return help +
           QStringLiteral("\nWhile a window runs, a later 'lustrelab IMAGE...' opens the images as new\n"
                          "tabs of that window and returns at once.");
}

} // namespace

int runCommandLine(int argc, char** argv)
{
    if (argc < 2)
        return -1;
    const char* command = argv[1];
    if (argc == 2 && (std::strcmp(command, "--help") == 0 || std::strcmp(command, "-h") == 0)) {
        printLine(stdout, programHelp());
        return 0;
    }
    if (argc == 2 && std::strcmp(command, "--version") == 0) {
        printLine(stdout, QStringLiteral("lustrelab " LUSTRELAB_VERSION));
        return 0;
    }
    for (const SubCommand& sub : subCommands)
        if (std::strcmp(command, sub.name) == 0)
            return sub.run(argumentsAfter(2, argc, argv), argv[0]);
    const bool text = argc == 4 && std::strcmp(argv[2], "--text") == 0;
    if (std::strcmp(command, "hold-clipboard") == 0 && (argc == 3 || text)) {
        // Started by a copy that is to outlive its process; not for users.
        int appArgc = 1;
        char* appArgv[] = {argv[0], nullptr};
        QGuiApplication app(appArgc, appArgv);
        return runClipboardHolder(QString::fromLocal8Bit(argv[argc - 1]), text);
    }
    return -1;
}

} // namespace lustrelab
