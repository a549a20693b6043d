// `kopsou search`: the searcher without a window, for scripts and benchmarks.
#pragma once

// Runs the command with the arguments that follow "search"; returns the exit
// status: 0 when a file was found, 1 when none, 2 on an error.
int RunSearchCommand(int argc, char** argv);

// The usage text of the whole program.
const char* UsageText();
