#pragma once
// Every program's first step, the same for the editor, the command-line
// tool, the generators, the fuzz targets and the test programs: the classes
// that project files create by name are registered, the data root is found
// and a language gives the core its numbered texts (station formats, the
// internal controller, group and node names). What a program loads beyond
// that (the model and protocol folders) follows from here.
#include <cstdint>
#include <string>

class TZmLanguageResources;

struct TZmStartOptions {
  std::string Program;     // argv[0]: the data folder lies beside the program
  std::string DataOption;  // --data, when given; else $KESTRAVA_DATA, else beside the program
  int32_t LanguageId = 1033;  // English is taken when this one is not installed
};

struct TZmStart {
  std::string DataRoot;
  // Process-wide; null when the data root holds no language at all.
  TZmLanguageResources* Language = nullptr;
};

// Safe to call again: a later call finds the root and selects the language anew.
const TZmStart& StartProgram(const TZmStartOptions& options);
// What the last StartProgram found (empty before the first call).
const TZmStart& ProgramStart();
