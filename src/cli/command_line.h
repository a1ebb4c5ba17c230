#pragma once

namespace lustrelab {

// Runs a headless sub-command ("compose", "presets", ...), or answers --help
// and --version for the whole program. Returns the process exit status, or -1
// when argv names none of them (the caller then opens the window).
int runCommandLine(int argc, char** argv);

} // namespace lustrelab
