// The property-bag record format: byte layouts, the read rules and lists.
#include <gtest/gtest.h>

#include <memory>

#include "base/Persistent.h"

namespace {

// One field of every stored kind.
class TTestAll : public TZmPersistent {
public:
  const char* ClassName() const override { return "TTestAll"; }
  void Serialize(TZmSerialization& s) override
  {
    s.SerializeInt8("I8", i8);
    s.SerializeInt32("I32", i32);
    s.SerializeUInt8("U8", u8);
    s.SerializeUInt16("U16", u16);
    s.SerializeUInt32("U32", u32);
    s.SerializeColor("Color", color);
    s.SerializeRect("Rect", rect);
    s.SerializeString("Text", text);
    s.SerializeFont("Font", font);
    s.SerializeMemory("Memory", memory);
    s.SerializeStream("Stream", stream);
  }
  int8_t i8 = 0;
  int32_t i32 = 0;
  uint8_t u8 = 0;
  uint16_t u16 = 0;
  uint32_t u32 = 0, color = 0;
  TZmRectValue rect;
  std::string text;
  TZmFontValue font;
  TZmStream memory, stream;
};

class TTestOne : public TZmPersistent {
public:
  const char* ClassName() const override { return "TX"; }
  void Serialize(TZmSerialization& s) override { s.SerializeUInt32(name.c_str(), id); }
  std::string name = "ID";
  uint32_t id = 0;
};

class TTestSigned : public TZmPersistent {
public:
  const char* ClassName() const override { return "TX"; }
  void Serialize(TZmSerialization& s) override { s.SerializeInt32("ID", id); }
  int32_t id = 0;
};

class TTestOther : public TZmPersistent {
public:
  const char* ClassName() const override { return "TOther"; }
  void Serialize(TZmSerialization& s) override
  {
    s.SerializeUInt32("ID", id);
    s.SerializeString("Text", text);
  }
  uint32_t id = 0;
  std::string text;
};

// An owner of a nested object and of both kinds of lists.
class TTestChild : public TZmPersistent {
public:
  const char* ClassName() const override { return "TTestChild"; }
  void Serialize(TZmSerialization& s) override { s.SerializeInt32("N", n); }
  int32_t n = 0;
};

class TTestChildB : public TTestChild {
public:
  const char* ClassName() const override { return "TTestChildB"; }
};

class TTestOwner : public TZmPersistent {
public:
  const char* ClassName() const override { return "TTestOwner"; }
  ~TTestOwner() override
  {
    delete sub;
    for (auto* c : typed) delete c;
    for (auto* c : poly) delete c;
  }
  void Initialize() override { sub = NewObject<TTestChild>(); }
  void Serialize(TZmSerialization& s) override
  {
    s.SerializeObject("Sub", sub);
    TZmStream a, b;
    if (s.Writing()) {
      WriteObjectList(a, ClassName(), typed);
      WriteObjectList(b, listOwner.empty() ? ClassName() : listOwner.c_str(), poly);
      s.SerializeStream("Typed", a);
      s.SerializeStream("Poly", b);
      return;
    }
    s.SerializeStream("Typed", a);
    s.SerializeStream("Poly", b);
    auto clear = [](std::vector<TTestChild*>& v) {
      for (auto* c : v) delete c;
      v.clear();
    };
    ReadTypedList(a, ClassName(), [&] { clear(typed); },
                  [&]() -> TZmPersistent* { return typed.emplace_back(NewObject<TTestChild>()); });
    skipped = ReadPolymorphicList(b, ClassName(), [&] { clear(poly); }, [&](TZmPersistent* p) {
      auto* c = dynamic_cast<TTestChild*>(p);
      if (c) poly.push_back(c);
      return c != nullptr;
    });
  }
  TTestChild* sub = nullptr;
  std::vector<TTestChild*> typed, poly;
  std::string listOwner;
  int skipped = 0;
};

std::vector<uint8_t> Text(std::u16string_view s)
{
  std::vector<uint8_t> v = {uint8_t(s.size()), uint8_t(s.size() >> 8), uint8_t(s.size() >> 16), uint8_t(s.size() >> 24)};
  for (char16_t c : s) {
    v.push_back(uint8_t(c));
    v.push_back(uint8_t(c >> 8));
  }
  return v;
}

std::vector<uint8_t> Record(TZmPersistent& p)
{
  TZmStream s;
  SerializeObjectTo(&p, TZmSerialization::Write, s);
  return s.Buffer();
}

void ReadInto(TZmPersistent& p, const std::vector<uint8_t>& bytes)
{
  TZmStream s(bytes);
  SerializeObjectTo(&p, TZmSerialization::Read, s);
}

// The blob stored under `name` in a flat record.
std::vector<uint8_t> BlobOf(const std::vector<uint8_t>& rec, std::u16string_view name)
{
  TZmStream s(rec);
  ReadText(s);
  uint32_t end, count;
  s.ReadU32(end);
  s.ReadU32(count);
  for (uint32_t i = 0; i < count; ++i) {
    std::string n = ReadText(s);
    uint32_t len;
    s.ReadU32(len);
    std::vector<uint8_t> blob(s.Data() + s.Position(), s.Data() + s.Position() + len);
    s.Seek(s.Position() + len);
    if (n == Utf16ToUtf8(name)) return blob;
  }
  return {};
}

}  // namespace

TEST(Record, SmallestRecordByteForByte)
{
  TTestOne one;
  one.id = 5;
  std::vector<uint8_t> expected = Text(u"TX");
  for (uint8_t b : {33, 0, 0, 0, 1, 0, 0, 0}) expected.push_back(b);  // End = 33, Count = 1
  auto name = Text(u"ID");
  expected.insert(expected.end(), name.begin(), name.end());
  for (uint8_t b : {5, 0, 0, 0, 7, 5, 0, 0, 0}) expected.push_back(b);  // length 5, tag 7, value
  EXPECT_EQ(Record(one), expected);
}

TEST(Record, EveryTagByteForByte)
{
  TTestAll t;
  t.i8 = -2;
  t.i32 = -3;
  t.u8 = 200;
  t.u16 = 0xBEEF;
  t.u32 = 0x01020304;
  t.color = 0xF800;
  t.rect = {1, -2, 3, 4};
  t.text = "Hi";
  t.font = {"Ab", 9, 134, 5};
  t.memory.Write(std::vector<uint8_t>{9, 8});
  t.stream.Write(std::vector<uint8_t>{7});
  auto rec = Record(t);
  struct Case {
    std::u16string_view name;
    std::vector<uint8_t> blob;
  } cases[] = {
      {u"I8", {1, 0xFE}},
      {u"I32", {3, 0xFD, 0xFF, 0xFF, 0xFF}},
      {u"U8", {5, 200}},
      {u"U16", {6, 0xEF, 0xBE}},
      {u"U32", {7, 4, 3, 2, 1}},
      {u"Color", {13, 0, 0xF8, 0, 0}},
      {u"Rect", {14, 1, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF, 3, 0, 0, 0, 4, 0, 0, 0}},
      {u"Text", {15, 2, 0, 0, 0, 'H', 0, 'i', 0}},
      {u"Font", {16, 3, 0, 0, 0, 'A', 0, 'b', 0, 0, 0, 9, 0, 0, 0, 134, 5}},
      {u"Memory", {17, 2, 0, 0, 0, 9, 8}},
      {u"Stream", {19, 1, 0, 0, 0, 7}},
  };
  for (const auto& c : cases) EXPECT_EQ(BlobOf(rec, c.name), c.blob) << Utf16ToUtf8(c.name);

  TTestAll back;
  ReadInto(back, rec);
  EXPECT_EQ(back.Compare(&t), 0);
  EXPECT_EQ(back.font, t.font);
  EXPECT_EQ(back.rect, t.rect);
}

TEST(Record, PropertiesAreSortedAndEmptyOnesOmitted)
{
  TTestAll t;  // empty text, memory and stream are not written
  auto rec = Record(t);
  TZmStream s(rec);
  ReadText(s);
  uint32_t end, count;
  s.ReadU32(end);
  s.ReadU32(count);
  EXPECT_EQ(end, rec.size());
  std::vector<std::string> names;
  for (uint32_t i = 0; i < count; ++i) {
    names.push_back(ReadText(s));
    uint32_t len;
    s.ReadU32(len);
    s.Seek(s.Position() + len);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Color", "Font", "I32", "I8", "Rect", "U16", "U32", "U8"}));
}

TEST(Record, NestedAndListEndOffsetsAreRelativeToTheirHolder)
{
  TTestOwner o;
  o.Initialize();
  o.sub->n = 4;
  for (int i = 0; i < 2; ++i) o.typed.push_back(NewObject<TTestChild>());
  auto rec = Record(o);
  // Nested: the blob is tag 18 then the record, whose End counts from the blob start.
  auto sub = BlobOf(rec, u"Sub");
  ASSERT_GE(sub.size(), 13u);
  EXPECT_EQ(sub[0], 18);
  EXPECT_EQ(GetU32(sub.data() + 1 + 4 + 2 * 10), sub.size());  // after "TTestChild"
  // Lists: tag 19, length, then owner name, count and records whose End counts from the list start.
  auto typed = BlobOf(rec, u"Typed");
  std::vector<uint8_t> list(typed.begin() + 5, typed.end());
  size_t header = 4 + 2 * 10 + 4;  // "TTestOwner", count
  size_t first = 4 + 2 * 10;       // "TTestChild"
  EXPECT_EQ(GetU32(list.data() + header - 4), 2u);
  uint32_t end1 = GetU32(list.data() + header + first);
  uint32_t end2 = GetU32(list.data() + end1 + first);
  EXPECT_EQ(end2, list.size());
  EXPECT_EQ(end2 - end1, end1 - header);
}

TEST(Record, ReadRules)
{
  // A 4-byte value stored with tag 7 but read with tag 3 reads as 0.
  TTestOne one;
  one.id = 77;
  TTestSigned asSigned;
  asSigned.id = 5;
  ReadInto(asSigned, Record(one));
  EXPECT_EQ(asSigned.id, 0);

  // Class names match without regard to case; a missing property reads 0, not a default.
  TTestOne upper;
  upper.id = 9;
  auto rec = Record(upper);
  rec[4] = 't';  // "tX"
  TTestOne back;
  back.id = 1;
  ReadInto(back, rec);
  EXPECT_EQ(back.id, 9u);
  back.name = "Other";
  ReadInto(back, rec);
  EXPECT_EQ(back.id, 0u);

  // A record of another class is skipped: fixed-width fields 0, strings empty, position after it.
  TTestOther other;
  other.id = 3;
  other.text = "x";
  auto otherRec = Record(other);
  otherRec.push_back(0xAA);
  TTestOne skip;
  skip.id = 4;
  TZmStream s(otherRec);
  SerializeObjectTo(&skip, TZmSerialization::Read, s);
  EXPECT_EQ(skip.id, 0u);
  EXPECT_EQ(s.Position(), otherRec.size() - 1);
}

TEST(Record, LastDuplicateWinsAndNamesDifferingInCaseAreOne)
{
  // Hand-made record with "ID" twice: the last entry wins.
  TZmStream s;
  WriteText(s, "TX");
  s.WriteU32(0);
  s.WriteU32(2);
  for (uint32_t v : {1u, 2u}) {
    WriteText(s, v == 1 ? "ID" : "id");
    s.WriteU32(5);
    s.WriteU8(7);
    s.WriteU32(v);
  }
  s.PatchU32(8, static_cast<uint32_t>(s.Size()));
  TTestOne one;
  ReadInto(one, s.Buffer());
  EXPECT_EQ(one.id, 2u);

  class TTwice : public TZmPersistent {
  public:
    const char* ClassName() const override { return "TX"; }
    void Serialize(TZmSerialization& ser) override
    {
      uint32_t a = 1, b = 2;
      ser.SerializeUInt32("Value", a);
      ser.SerializeUInt32("VALUE", b);
    }
  } twice;
  auto rec = Record(twice);
  EXPECT_EQ(GetU32(rec.data() + 12), 1u);  // one property
  EXPECT_EQ(BlobOf(rec, u"VALUE"), (std::vector<uint8_t>{7, 2, 0, 0, 0}));
}

TEST(Record, AssignAndCompare)
{
  TTestAll a;
  a.u32 = 5;
  a.text = "abc";
  TTestAll b;
  b.Assign(&a);
  EXPECT_EQ(b.Compare(&a), 0);
  EXPECT_EQ(b.text, "abc");
  b.u32 = 6;
  EXPECT_NE(b.Compare(&a), 0);

  // Between classes: the destination ends with fixed-width fields 0 and strings empty.
  TTestOther other;
  other.id = 7;
  other.text = "keep?";
  other.Assign(&a);
  EXPECT_EQ(other.id, 0u);
  EXPECT_EQ(other.text, "");
}

TEST(Record, TypedAndPolymorphicLists)
{
  RegisterClassOf<TTestChild>();
  RegisterClassOf<TTestChildB>();
  TTestOwner o;
  o.Initialize();
  for (int i = 0; i < 3; ++i) {
    o.typed.push_back(NewObject<TTestChild>());
    o.typed.back()->n = i + 1;
    o.poly.push_back(i == 1 ? NewObject<TTestChildB>() : NewObject<TTestChild>());
    o.poly.back()->n = 10 + i;
  }
  auto rec = Record(o);
  TTestOwner back;
  back.Initialize();
  ReadInto(back, rec);
  ASSERT_EQ(back.typed.size(), 3u);
  ASSERT_EQ(back.poly.size(), 3u);
  EXPECT_EQ(back.typed[2]->n, 3);
  EXPECT_STREQ(back.poly[1]->ClassName(), "TTestChildB");
  EXPECT_EQ(back.Compare(&o), 0);

  // A list whose owner name differs only in case is not read: the list stays as it was.
  TTestOwner wrongCase;
  wrongCase.Initialize();
  wrongCase.listOwner = "TTESTOWNER";
  wrongCase.poly.push_back(NewObject<TTestChild>());
  TTestOwner keep;
  keep.Initialize();
  keep.poly.push_back(NewObject<TTestChild>());
  keep.poly.push_back(NewObject<TTestChild>());
  ReadInto(keep, Record(wrongCase));
  EXPECT_EQ(keep.poly.size(), 2u);
}

TEST(Record, UnregisteredClassStopsAPolymorphicList)
{
  RegisterClassOf<TTestChild>();
  class TTestUnknown : public TTestChild {
  public:
    const char* ClassName() const override { return "TTestNotRegistered"; }
  };
  TTestOwner o;
  o.Initialize();
  o.poly = {NewObject<TTestChild>(), NewObject<TTestChild>(), NewObject<TTestUnknown>(), NewObject<TTestChild>()};
  TTestOwner back;
  back.Initialize();
  ReadInto(back, Record(o));
  EXPECT_EQ(back.poly.size(), 2u);
  EXPECT_EQ(back.skipped, 2);
}

TEST(Record, LyingLengthsFailWithoutReadingPastTheData)
{
  TTestAll t;
  t.text = "Hello";
  t.font.Name = "Font";
  t.memory.Write(std::vector<uint8_t>(10, 1));
  auto good = Record(t);
  // Cut anywhere: the read fails with the stream error, never reading past the end.
  for (size_t cut = 0; cut < good.size(); ++cut) {
    std::vector<uint8_t> part(good.begin(), good.begin() + cut);
    TTestAll back;
    EXPECT_THROW(ReadInto(back, part), EZmStreamError) << cut;
  }
  // Every 32-bit length field set to a huge value.
  for (size_t at = 0; at + 4 <= good.size(); ++at) {
    auto bad = good;
    PutU32(bad.data() + at, 0x7FFFFFF0);
    TTestAll back;
    try {
      ReadInto(back, bad);
    } catch (const EZmStreamError&) {
    }
  }
  // End pointing backwards or past the holding stream.
  for (uint32_t end : {0u, 4u, uint32_t(good.size() + 1)}) {
    auto bad = good;
    PutU32(bad.data() + 4 + 2 * 7, end);  // after "TTestAll"
    TTestAll back;
    EXPECT_THROW(ReadInto(back, bad), EZmStreamError) << end;
  }
}
