// Compiling a project into a panel image.
#include <memory>

#include "base/File.h"
#include "base/Format.h"
#include "base/Texts.h"
#include "cli/Commands.h"
#include "compiler/Compiler.h"
#include "image/Messages.h"
#include "model/Project.h"

bool CompileToFile(const std::string& path, const std::string& out, std::ostream& report, std::string& error,
                   const uint32_t* seed)
{
  std::unique_ptr<TZmHMI> root(NewObject<TZmHMI>());
  std::vector<std::string> warnings;
  if (!LoadProject(*root, path, error, &warnings)) return false;
  for (const auto& w : warnings) report << "Warning: " << w << "\n";
  if (!root->Model()) {
    error = "the project's panel model (ID " + std::to_string(root->ModelID) + ") is not installed";
    return false;
  }
  TZmCompileDriver compiler;
  TZmCompileFigures f = seed ? CompileProject(*root, compiler, *seed) : CompileProject(*root, compiler);
  int32_t errors, warns, notes;
  compiler.Messages->Count(errors, warns, notes);
  report << SafeFormat(GetText(2625), {errors, warns, notes}) << "\n";
  if (!errors) report << SafeFormat(GetText(2626), {f.ImageSize, f.RomUsage, f.RegisterBytes, f.RegisterUsage}) << "\n";
  static const char* kinds[] = {"error", "note", "warning", "error"};
  for (const TZmMessage& m : compiler.Messages->List) report << kinds[m.Kind & 3] << ": " << m.Text << "\n";
  if (errors) {
    error = "the project has errors; no image written";
    return false;
  }
  return WriteFileAtomic(out, compiler.Output().Bytes(), error);
}
