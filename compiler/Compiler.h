#pragma once
// The compile driver: the context of image/ bound to a project, with what
// only the layers above the model can answer: the register collections,
// the expression compiler and the glyph tables of the fonts.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "image/Context.h"

class TZmHMI;
class TZmRegCollects;
class TZmResFonts;

class TZmCompileDriver : public TZmCompiler {
public:
  TZmCompileDriver();
  ~TZmCompileDriver() override;
  void Reset() override;

  bool Report(TZmPersistent* owner, int32_t line, bool perScene, int32_t count, const std::string& text,
              int32_t acceptedKinds, int32_t dataType, bool required) override;
  void RegisterExpression(TZmPersistent* owner, int32_t line, const std::string& text, int32_t dataType,
                          bool required) override;
  std::vector<uint32_t> ExpressionProgram(const std::string& text, uint32_t dataType) override;
  bool RegisterReference(const std::string& text, int32_t dataType, int32_t count, uint32_t& reference) override;
  void WriteTarget(const std::string& text, int32_t dataType) override;
  int32_t LinkRegisters(int32_t start) override;
  bool HasScene(int32_t id) override;
  void ResourceAdded(uint32_t kind, TZmPersistentROM* object) override;
  bool WriteResource(uint32_t kind, TZmPersistentROM* object) override;

  TZmHMI* Project = nullptr;
  std::unique_ptr<TZmRegCollects> Registers;       // global: lays out the register memory
  std::unique_ptr<TZmRegCollects> SceneRegisters;  // what each scene polls
  std::unique_ptr<TZmResFonts> Fonts;              // glyph tables of the fonts used

private:
  bool ResolveOperand(const std::string& name, uint32_t& ref);
};

// What a compile produced beyond the image and its messages.
struct TZmCompileFigures {
  uint32_t ImageSize = 0;
  int32_t RomUsage = 0;       // percent of the model's image memory, 0 when too large
  int32_t RegisterBytes = 0;  // register memory above the first 512 bytes
  int32_t RegisterUsage = 0;  // percent of the register memory above 512 bytes, 0 when too large
};
// Compiles the project into compiler.Output(); the compiler is reset first.
// The seed fills the 32 header bytes the panel ignores.
TZmCompileFigures CompileProject(TZmHMI& root, TZmCompileDriver& compiler, uint32_t randomSeed);
// The same, seeded from the project's stored form: compiling one project
// always gives the same bytes, so images can be compared and cached.
TZmCompileFigures CompileProject(TZmHMI& root, TZmCompileDriver& compiler);
// The seed of a project: a CRC-32 of its record (never 0).
uint32_t ProjectSeed(TZmHMI& root);
