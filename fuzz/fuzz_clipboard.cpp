// Feeds arbitrary bytes to the reader of the editor's clipboard block. What
// it accepts are screen objects of a scratch scene; copied again they read
// back to as many objects.
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "model/Clipboard.h"
#include "model/Component.h"
#include "model/Scenes.h"
#include "model/Startup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  static const bool started = (StartProgram({}), true);
  (void)started;
  std::unique_ptr<TZmScene> scratch(NewObject<TZmScene>());
  TZmComponentRefs read;
  read.Scene = scratch.get();
  TZmClipboardHeader header;
  std::string error;
  if (!ReadClipboardBlock(std::span(data, size), read, header, error)) {
    if (error.empty()) __builtin_trap();
    return 0;
  }
  std::vector<uint8_t> again = WriteClipboardBlock(read, header.Owner, header.ColorFormat);
  std::unique_ptr<TZmScene> other(NewObject<TZmScene>());
  TZmComponentRefs back;
  back.Scene = other.get();
  if (!ReadClipboardBlock(again, back, header, error) || back.Count() != read.Count()) __builtin_trap();
  // What the editor does with pasted objects next.
  for (TZmComponent* c : read.Items) {
    c->MoveHandle(nullptr, 15, 8, 8);
    c->ChangeColorFormat(header.ColorFormat & 15, 1);
    c->GetBounds();
  }
  return 0;
}
