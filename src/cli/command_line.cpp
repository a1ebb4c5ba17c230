#include "command_line.h"

namespace lustrelab {

int runCommandLine(int, char**)
{
    return -1;
}

} // namespace lustrelab
