#include "base/Texts.h"

static TZmTextLookup& Lookup()
{
  static TZmTextLookup l;
  return l;
}

void SetTextLookup(TZmTextLookup lookup) { Lookup() = std::move(lookup); }

std::string GetText(int number) { return Lookup() ? Lookup()(number) : std::string(); }
