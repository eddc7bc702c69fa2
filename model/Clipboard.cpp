#include "model/Clipboard.h"

#include <new>

#include "base/Persistent.h"
#include "base/Stream.h"
#include "model/Component.h"

std::vector<uint8_t> WriteClipboardBlock(const TZmComponentRefs& objects, uint32_t owner, int32_t colorFormat)
{
  TZmStream list;
  objects.WriteObjectList(list);
  TZmStream block;
  block.WriteU32(static_cast<uint32_t>(list.Size() + 8));
  block.WriteU32(owner);
  block.WriteU32(static_cast<uint32_t>(colorFormat));
  block.Write(list.Bytes());
  return std::move(block.Buffer());
}

bool ReadClipboardBlock(std::span<const uint8_t> bytes, TZmComponentRefs& into, TZmClipboardHeader& header,
                        std::string& error)
{
  TZmByteReader block(bytes);
  uint32_t n = 0, owner = 0, format = 0;
  if (!block.ReadU32(n) || n < 8 || n > block.Remaining() || !block.ReadU32(owner) || !block.ReadU32(format)) {
    error = "the clipboard data is incomplete";
    return false;
  }
  header.Owner = owner;
  header.ColorFormat = static_cast<int32_t>(format);
  TZmStream list(std::vector<uint8_t>(bytes.begin() + 12, bytes.begin() + 4 + n));
  int32_t announced = -1;
  try {
    TZmStream peek(list.Buffer());
    if (ReadText(peek) == "TZmComponentRefs") peek.ReadI32(announced);
  } catch (const EZmStreamError&) {
    announced = -1;
  }
  try {
    if (announced < 0 || !into.ReadObjectList(list)) {
      error = "the clipboard holds no screen objects";
      return false;
    }
  } catch (const EZmStreamError& e) {
    error = e.what();
    return false;
  } catch (const std::bad_alloc&) {
    error = "not enough memory to read the clipboard";
    return false;
  }
  // The list stops at a class it does not know: then not everything arrived.
  if (static_cast<int32_t>(into.Count()) != announced) {
    error = "the clipboard holds objects of a kind this version does not know";
    return false;
  }
  return true;
}
