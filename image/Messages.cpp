#include "image/Messages.h"

void TZmMessages::Add(int32_t kind, int32_t subject, std::string text, TZmPersistent* object, int32_t line)
{
  TZmMessage m;
  m.Kind = kind;
  m.Subject = subject;
  m.Text = std::move(text);
  m.Object = object;
  m.Line = line;
  List.push_back(std::move(m));
}

void TZmMessages::Count(int32_t& errors, int32_t& warnings, int32_t& notes) const
{
  errors = warnings = notes = 0;
  for (const auto& m : List) {
    if (m.Kind == TZmMessage::Plain || m.Kind == TZmMessage::ObjectError) ++errors;
    else if (m.Kind == TZmMessage::Warning) ++warnings;
    else ++notes;
  }
}

bool TZmMessages::HasErrors() const
{
  int32_t e, w, n;
  Count(e, w, n);
  return e > 0;
}
