#pragma once
// The last line of defence of every program's main: an exception that
// reaches it (an allocation failure, or a fault we did not foresee) ends the
// program with a one-line message and a failure status instead of an abort.

// Runs body(argc, argv) and returns its status; on an exception prints
// "program: ..." on stderr and returns 1.
int RunGuarded(const char* program, int (*body)(int, char**), int argc, char** argv);
