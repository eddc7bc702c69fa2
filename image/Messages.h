#pragma once
// Compiler messages: problems collected while compiling, each tied to the
// object and information line it concerns.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TZmPersistent;

class TZmMessage {
public:
  enum : int32_t { Plain = 0, Information = 1, Warning = 2, ObjectError = 3 };
  enum : int32_t { ScreenObject = 0, Alarm = 1 };
  int32_t Kind = Plain;
  int32_t Subject = ScreenObject;
  int32_t Line = 0;
  TZmPersistent* Object = nullptr;
  std::string Text;
};

class TZmMessages {
public:
  void AddPlain(std::string text) { Add(TZmMessage::Plain, TZmMessage::ScreenObject, std::move(text), nullptr, 0); }
  void Add(int32_t kind, int32_t subject, std::string text, TZmPersistent* object, int32_t line);
  void Count(int32_t& errors, int32_t& warnings, int32_t& notes) const;
  bool HasErrors() const;
  void Clear() { List.clear(); }
  size_t Size() const { return List.size(); }
  const TZmMessage& Item(size_t i) const { return List[i]; }

  std::vector<TZmMessage> List;
};
