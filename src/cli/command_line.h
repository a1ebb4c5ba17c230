#pragma once

namespace lustrelab {

// Runs a headless sub-command ("compose", "presets"). Returns the process exit
// status, or -1 when argv names no sub-command (the caller then opens the window).
int runCommandLine(int argc, char** argv);

} // namespace lustrelab
