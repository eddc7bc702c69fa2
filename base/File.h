#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Reads a whole file; false with a message on failure. Refuses files larger
// than maxBytes so a wrong path cannot exhaust memory.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& out, std::string& error,
                   size_t maxBytes = size_t(1) << 30);

// Writes the bytes to a temporary file beside `path`, flushes it to disk and
// renames it over `path`. On any failure the temporary file is removed, the
// old file is left as it was, and false is returned with a message.
bool WriteFileAtomic(const std::string& path, std::span<const uint8_t> bytes, std::string& error);

bool FileExists(const std::string& path);

// An entry of a folder listing.
struct TZmFolderEntry {
  std::string Name;  // the file name, without the folder
  bool Directory = false;
  bool RegularFile = false;
};
// The entries of `folder` sorted by name ignoring case (ties by bytes), so
// the same folder gives the same order on every machine. Empty when the
// folder cannot be listed.
std::vector<TZmFolderEntry> ListFolder(const std::string& folder);

// The full paths of the regular files in `folder` whose name ends in
// `extension` (any case), sorted by name ignoring case, so the same folder
// gives the same order on every machine. Empty when the folder is missing.
std::vector<std::string> ListFiles(const std::string& folder, const std::string& extension);
