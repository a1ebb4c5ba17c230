#include "cli/command_line.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    const int status = lustrelab::runCommandLine(argc, argv);
    if (status >= 0)
        return status;
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::puts(
            "usage: lustrelab compose INPUT... [options]   style screenshots headless (see compose --help)\n"
            "       lustrelab presets [gradients|canvases|frames]   list the built-in ids");
        return 0;
    }
    std::puts("Lustrelab 0.1.0: the window is not built yet; try `lustrelab compose --help`.");
    return 0;
}
