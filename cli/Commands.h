#pragma once
// The jobs of kestrava-cli, callable without the argument parser.
#include <cstdint>
#include <ostream>
#include <span>
#include <string>
#include <vector>

// Prints the project summary. False with a message when the file does not load.
bool ProjectInfo(const std::string& path, std::ostream& out, std::string& error);

// The record tree of a project file as JSON, and back. Pack(Dump(f)) gives
// f byte for byte for every file this program writes; bytes after the root
// record and after the compressed body are kept as hex. (A body compressed
// otherwise comes back as the same body, compressed as we compress.)
// Records nested deeper than kMaxDumpDepth are shown as hex, and pack
// refuses deeper ones.
inline constexpr int kMaxDumpDepth = 100;
bool DumpProject(std::span<const uint8_t> file, std::string& json, std::string& error);
bool PackProject(const std::string& json, std::vector<uint8_t>& file, std::string& error);

// Protocols and controllers with their register rules.
void ListProtocols(std::ostream& out);
// Checks an address text against a controller (by name or UID), the first
// controller of a protocol, or the internal controller when neither is given.
bool CheckAddress(const std::string& text, const std::string& protocol, const std::string& controller,
                  const std::string& typeName, int32_t count, std::ostream& out, std::string& error);

void ListModels(std::ostream& out);
// A new project for a model: the language folder's template for it when
// there is one, otherwise an empty project with the model's ports.
bool NewProject(const std::string& modelName, const std::string& languageFolder, const std::string& path,
                std::ostream& out, std::string& error);

// The postfix program of an expression and the registers it reads.
bool ShowExpression(const std::string& text, const std::string& protocol, const std::string& controller,
                    const std::string& typeName, std::ostream& out, std::string& error);

// Paints a scene of a project to a PNG file; with `background` the
// compiler's clean pass without editor marks.
bool RenderScene(const std::string& path, int32_t sceneId, const std::string& out, bool background, std::string& error);

// Compiles a project and writes the panel image; the compile messages and
// figures go to `report`. Fails (nothing written) when the project has errors.
// The header's noise bytes come from `seed`, or without one from the project.
bool CompileToFile(const std::string& path, const std::string& out, std::ostream& report, std::string& error,
                   const uint32_t* seed = nullptr);
// Every screen of a project as FOLDER/screen-<ID>.png.
bool RenderAllScenes(const std::string& path, const std::string& folder, bool background, std::ostream& report,
                     std::string& error);
