#include "command_line.h"

#include "capture_command.h"
#include "compose_command.h"
#include "io/clipboard_handover.h"
#include "ocr_command.h"
#include "presets_command.h"
#include "stitch_command.h"
#include "thumbnail_command.h"

#include <QGuiApplication>
#include <QStringList>
#include <cstring>

namespace lustrelab {

namespace {

QStringList argumentsAfter(int first, int argc, char** argv)
{
    QStringList arguments;
    for (int i = first; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

} // namespace

int runCommandLine(int argc, char** argv)
{
    if (argc < 2)
        return -1;
    const char* command = argv[1];

    if (std::strcmp(command, "presets") == 0)
        return runPresetsCommand(argumentsAfter(2, argc, argv)); // plain data, no GUI needed

    if (std::strcmp(command, "thumbnail") == 0)
        return runThumbnailCommand(argumentsAfter(2, argc, argv)); // reads and scales a PNG: no GUI needed
    if (std::strcmp(command, "compose") == 0)
        return runComposeCommand(argumentsAfter(2, argc, argv), argv[0]);
    if (std::strcmp(command, "ocr") == 0)
        return runOcrCommand(argumentsAfter(2, argc, argv)); // paints nothing: no GUI needed
    if (std::strcmp(command, "stitch") == 0)
        return runStitchCommand(argumentsAfter(2, argc, argv), argv[0]);
    if (std::strcmp(command, "capture") == 0)
        return runCaptureCommand(argumentsAfter(2, argc, argv), argv[0]);
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
