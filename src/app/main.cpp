#include "cli/command_line.h"

#include <cstdio>

int main(int argc, char** argv)
{
    const int status = lustrelab::runCommandLine(argc, argv);
    if (status >= 0)
        return status;
    std::puts("Lustrelab 0.1.0: the window is not built yet; try `lustrelab compose --help`.");
    return 0;
}
