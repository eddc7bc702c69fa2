// kestrava-cli: the scripting face of the tool.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>

#include "base/Guard.h"
#include "base/File.h"
#include "base/Language.h"
#include "cli/Commands.h"
#include "link/Serial.h"
#include "model/DataRoot.h"
#include "model/Startup.h"

namespace {

int Fail(const std::string& message)
{
  std::cerr << "kestrava-cli: " << message << "\n";
  return 1;
}

}  // namespace

static int Main(int argc, char** argv)
{
  CLI::App app{"Kestrava command-line tool: inspect, convert and build operator-panel projects."};
  app.require_subcommand(1);
  app.set_version_flag("--version", std::string("kestrava-cli ") + KESTRAVA_VERSION);
  std::string dataRoot;
  app.add_option("--data", dataRoot, "Data folder (default: beside the program, or $KESTRAVA_DATA)");

  std::string infoFile;
  auto* info = app.add_subcommand("info", "Print a project's summary");
  info->add_option("FILE", infoFile, "Project file (.ksv)")->required();

  std::string dumpFile, dumpOut;
  auto* dump = app.add_subcommand("dump", "Print a project file's record tree as JSON");
  dump->add_option("FILE", dumpFile, "Project file (.ksv)")->required();
  dump->add_option("-o,--output", dumpOut, "Write the JSON here instead of standard output");

  std::string packFile, packOut;
  auto* pack = app.add_subcommand("pack", "Build a project file from the JSON that dump prints");
  pack->add_option("FILE", packFile, "JSON file")->required();
  pack->add_option("-o,--output", packOut, "Project file to write")->required();

  auto* models = app.add_subcommand("models", "List the panel models with sizes, colour format, keys and ports");

  std::string newModel, newOut;
  auto* create = app.add_subcommand("new", "Create a new project for a panel model");
  create->add_option("--model", newModel, "Panel model name")->required();
  create->add_option("-o,--output", newOut, "Project file to write")->required();

  auto* ports = app.add_subcommand("ports", "List the serial ports of this machine");

  auto* protocols = app.add_subcommand("protocols", "List protocols and controllers with their register rules");

  std::string addressText, addressProtocol, addressController, addressType;
  int32_t addressCount = 1;
  auto* address = app.add_subcommand("address", "Check an address text against a controller");
  address->add_option("CHECK", addressText, "Address text, e.g. HR100, 2:C17 or LW3")->required();
  address->add_option("--protocol", addressProtocol, "Protocol name or UID (its first controller is used)");
  address->add_option("--controller", addressController, "Controller name or UID (default: the internal controller)");
  address->add_option("--type", addressType, "Data type (default INT16U)");
  address->add_option("--count", addressCount, "Number of values (default 1)")->check(CLI::Range(1, 65536));

  std::string compileFile, compileOut;
  auto* compile = app.add_subcommand("compile", "Compile a project into a panel image");
  compile->add_option("FILE", compileFile, "Project file (.ksv)")->required();
  compile->add_option("-o,--output", compileOut, "Image file to write")->required();
  uint32_t compileSeed = 0;
  auto* seedOption = compile->add_option(
      "--seed", compileSeed, "Seed of the 32 header bytes the panel ignores (default: from the project, so the same project gives the same image)");

  std::string renderFile, renderOut;
  int32_t renderScene = 1;
  bool renderBackground = false;
  auto* render = app.add_subcommand("render", "Paint a screen of a project to a PNG file");
  render->add_option("FILE", renderFile, "Project file (.ksv)")->required();
  render->add_option("--scene", renderScene, "Screen ID (default 1)");
  render->add_option("-o,--output", renderOut, "PNG file to write (with --all: the folder)")->required();
  bool renderAll = false;
  render->add_flag("--all", renderAll, "Every screen, as screen-<ID>.png in the output folder");
  render->add_flag("--background", renderBackground, "The compiled background: static content only, no editor marks");

  std::string exprText, exprProtocol, exprController, exprType;
  auto* expr = app.add_subcommand("expr", "Show the postfix program of an expression and the registers it reads");
  expr->add_option("TEXT", exprText, "Expression, e.g. \"HR100 + HR101 * 2\"")->required();
  expr->add_option("--protocol", exprProtocol, "Protocol name or UID (its first controller is used)");
  expr->add_option("--controller", exprController, "Controller name or UID (default: the internal controller)");
  expr->add_option("--type", exprType, "Data type of the value (default INT16U)");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e);
  }

  const TZmStart& start = StartProgram({argv[0], dataRoot, TZmLanguageResources::kEnglish});
  const std::string& root = start.DataRoot;
  LoadDataRoot(root, start.Language ? start.Language->LanguageExtension() : std::string());

  std::string error;
  if (*info) {
    if (!ProjectInfo(infoFile, std::cout, error)) return Fail(error);
    return 0;
  }
  if (*dump) {
    std::vector<uint8_t> bytes;
    std::string json;
    if (!ReadWholeFile(dumpFile, bytes, error)) return Fail(error);
    if (!DumpProject(bytes, json, error)) return Fail(dumpFile + ": " + error);
    if (dumpOut.empty()) {
      std::cout << json;
      return 0;
    }
    if (!WriteFileAtomic(dumpOut, std::span(reinterpret_cast<const uint8_t*>(json.data()), json.size()), error))
      return Fail(error);
    return 0;
  }
  if (*pack) {
    std::vector<uint8_t> bytes, file;
    if (!ReadWholeFile(packFile, bytes, error)) return Fail(error);
    if (!PackProject(std::string(bytes.begin(), bytes.end()), file, error)) return Fail(packFile + ": " + error);
    if (!WriteFileAtomic(packOut, file, error)) return Fail(error);
    return 0;
  }
  if (*models) {
    ListModels(std::cout);
    return 0;
  }
  if (*create) {
    if (!NewProject(newModel, (start.Language ? start.Language->LanguageFolder() : std::string()), newOut, std::cout, error)) return Fail(error);
    return 0;
  }
  if (*compile) {
    if (!CompileToFile(compileFile, compileOut, std::cout, error, seedOption->count() ? &compileSeed : nullptr))
      return Fail(error);
    return 0;
  }
  if (*render) {
    if (renderAll) {
      if (!RenderAllScenes(renderFile, renderOut, renderBackground, std::cout, error)) return Fail(error);
      return 0;
    }
    if (!RenderScene(renderFile, renderScene, renderOut, renderBackground, error)) return Fail(error);
    return 0;
  }
  if (*expr) {
    if (!ShowExpression(exprText, exprProtocol, exprController, exprType, std::cout, error)) return Fail(error);
    return 0;
  }
  if (*ports) {
    for (const std::string& entry : ListPorts({})) std::cout << entry << "\n";
    return 0;
  }
  if (*protocols) {
    ListProtocols(std::cout);
    return 0;
  }
  if (*address) {
    if (!CheckAddress(addressText, addressProtocol, addressController, addressType, addressCount, std::cout, error))
      return Fail(error);
    return 0;
  }
  return 0;
}

int main(int argc, char** argv) { return RunGuarded("kestrava-cli", Main, argc, argv); }
