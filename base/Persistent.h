#pragma once
// Persistent objects and their self-describing property-bag records.
//
// A record is: class name (text), End (absolute offset after the record in
// the holding stream), property count, then named blobs, each starting with
// a one-byte type tag. One Serialize per class serves both directions.

#include <cstdint>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "base/Stream.h"
#include "base/Utf.h"

class TZmCompiler;
class TZmSerialization;

// Raised inside the persistence layer when stored bytes are truncated or lie
// about their lengths. Public entry points (project loading, clipboard) catch
// it and turn it into a failed result.
class EZmStreamError : public std::runtime_error {
public:
  explicit EZmStreamError(const std::string& what) : std::runtime_error(what) {}
};

inline constexpr const char* kStreamReadError = "Stream read error";

enum TZmTag : uint8_t {
  tagInt8 = 1,
  tagInt32 = 3,
  tagUInt8 = 5,
  tagUInt16 = 6,
  tagUInt32 = 7,
  tagColor = 13,
  tagRect = 14,
  tagString = 15,
  tagFont = 16,
  tagMemory = 17,
  tagObject = 18,
  tagStream = 19,
};

struct TZmRectValue {
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool operator==(const TZmRectValue&) const = default;
};

// The stored form of a font (tag 16). Style bits: 1 bold, 2 italic,
// 4 underline, 8 strike-out.
struct TZmFontValue {
  std::string Name;
  int32_t Size = 0;
  uint8_t Charset = 0;
  uint8_t Style = 0;
  bool operator==(const TZmFontValue&) const = default;
};

class TZmPersistent {
public:
  TZmPersistent() = default;
  TZmPersistent(const TZmPersistent&) = delete;
  TZmPersistent& operator=(const TZmPersistent&) = delete;
  virtual ~TZmPersistent() = default;

  virtual void AssignTo(TZmPersistent* dest);
  virtual void Assign(TZmPersistent* source);
  virtual void Serialize(TZmSerialization& s) = 0;
  // Creates owned sub-objects and sets defaults. Objects made from a class
  // name while a file is read get only this, never a constructor with owner.
  virtual void Initialize() {}
  virtual std::string GetDisplayName() { return ClassName(); }
  // 0 when both stored forms are equal; otherwise the byte difference, or the
  // difference of the record sizes when they differ in size.
  virtual int Compare(TZmPersistent* other);
  // The stored class name; part of the file format.
  virtual const char* ClassName() const = 0;
};

class TZmPersistentROM : public TZmPersistent {
public:
  // Appends the object's compiled record to the image being built.
  virtual void WriteROM(TZmCompiler& compiler) = 0;
};

// Creates an object the way every constructor of ours does: storage, then
// Initialize of the most derived class.
template <typename T>
T* NewObject()
{
  T* p = new T();
  p->Initialize();
  return p;
}

class TZmSerialization {
public:
  enum : int32_t { Read = 0, Write = 1 };

  // Read mode reads the record header and every blob at once and may throw
  // EZmStreamError; Write mode collects blobs until Flush.
  TZmSerialization(TZmPersistent* object, TZmStream* stream, int32_t mode);
  // Write mode: appends the record to the stream.
  void Flush();

  bool Reading() const { return Mode == Read; }
  bool Writing() const { return Mode == Write; }

  void SerializeInt8(const char* name, int8_t& v);
  void SerializeInt32(const char* name, int32_t& v);
  void SerializeUInt8(const char* name, uint8_t& v);
  void SerializeUInt16(const char* name, uint16_t& v);
  void SerializeUInt32(const char* name, uint32_t& v);
  void SerializeColor(const char* name, uint32_t& v);
  void SerializeRect(const char* name, TZmRectValue& v);
  void SerializeValue(const char* name, void* buffer, size_t width, uint8_t tag);
  void SerializeString(const char* name, std::string& v);
  void SerializeFont(const char* name, TZmFontValue& v);
  void SerializeMemory(const char* name, TZmStream& v);
  void SerializeObject(const char* name, TZmPersistent* sub);
  void SerializeStream(const char* name, TZmStream& v);

  // Blob access for owners that build lists: for reading (created empty if
  // absent, positioned at 0) and for writing (created if absent, emptied).
  TZmStream& BlobForRead(const std::string& name);
  TZmStream& BlobForWrite(const std::string& name);

  // Every blob of the record, in stored order of names. Lets a placeholder
  // class carry properties it does not understand through unchanged.
  using Bag = std::map<std::string, TZmStream, std::function<bool(const std::string&, const std::string&)>>;
  Bag& Properties() { return Blobs; }

  int32_t Mode;
  TZmPersistent* Object;
  TZmStream* Stream;

private:
  Bag Blobs;
};

// The one entry point used by the project file, lists, clipboard, Assign,
// Compare and the compiler. Throws EZmStreamError on corrupt input in Read mode.
void SerializeObjectTo(TZmPersistent* object, int32_t mode, TZmStream& stream);

// Text as stored in records: 32-bit UTF-16 unit count, then the units.
void WriteText(TZmStream& s, std::string_view utf8);
// Throws EZmStreamError when the count exceeds the bytes left.
std::string ReadText(TZmStream& s);

// Class registry: class name -> factory of an initialised object.
using TZmClassFactory = TZmPersistent* (*)();
void RegisterClass(const char* name, TZmClassFactory factory);
TZmClassFactory GetClass(std::string_view name);

template <typename T>
void RegisterClassOf()
{
  const T probe;  // only for the name: a bare object, no Initialize
  RegisterClass(probe.ClassName(), []() -> TZmPersistent* { return NewObject<T>(); });
}

// Warnings raised while records are read (objects of unknown classes kept as
// they were, and similar). A load installs a collector for its duration;
// without one, warnings are dropped.
class TZmLoadWarnings {
public:
  TZmLoadWarnings();
  ~TZmLoadWarnings();
  TZmLoadWarnings(const TZmLoadWarnings&) = delete;
  TZmLoadWarnings& operator=(const TZmLoadWarnings&) = delete;
  std::vector<std::string> List;

private:
  TZmLoadWarnings* Previous;
};
void AddLoadWarning(std::string text);

// Object lists (tag-19 streams): owner class name, signed 32-bit count, records.
void WriteObjectList(TZmStream& out, std::string_view ownerClass, const std::vector<TZmPersistent*>& items);

template <typename T>
void WriteObjectList(TZmStream& out, std::string_view ownerClass, const std::vector<T*>& items)
{
  std::vector<TZmPersistent*> v(items.begin(), items.end());
  WriteObjectList(out, ownerClass, v);
}

// Reads the list header. False (list to be left unchanged) when the stored
// owner name is not exactly `ownerClass`.
bool ReadObjectListHeader(TZmStream& in, std::string_view ownerClass, int32_t& count);

// Reads a typed list: on a matching header calls clear(), then for each child
// create() (which appends it to the owner) and reads its record into it.
void ReadTypedList(TZmStream& in, std::string_view ownerClass, const std::function<void()>& clear,
                   const std::function<TZmPersistent*()>& create);

// Reads a polymorphic list: each child is created by its stored class name.
// accept() takes ownership of a child it keeps and returns true; rejected
// children are destroyed after their record is consumed. Reading stops at the
// first class name that is not registered; returns the number of children
// that were skipped that way (0 when the list was read to its end).
int ReadPolymorphicList(TZmStream& in, std::string_view ownerClass, const std::function<void()>& clear,
                        const std::function<bool(TZmPersistent*)>& accept);
