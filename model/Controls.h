#pragma once
// Framed controls: a label, a scale, a table and a picture. Labels and
// pictures get records the panel draws from; scales and tables reach the
// panel only as pixels of the scene's background. Record offsets, as the
// runtime reads them:
//   label    +32 text list                                        (36 bytes)
//   picture  +32 option, +36 extern flag, +40 transparent value,
//            +44 x offset, +48 y offset, +52 bitmap (0: none)     (56 bytes)
#include <cstdint>
#include <string>

#include "model/Control.h"

class TZmMultiTexts;
class TZmScaleInf;
class TZmPen;
class TZmBitmap;

class TZmLabel : public TZmControl {
public:
  const char* ClassName() const override { return "TZmLabel"; }
  uint32_t ClassTypeCode() const override { return 9; }
  void Initialize() override;
  void Serialize(TZmSerialization& s) override;
  void WriteROM(TZmCompiler& compiler) override;
  void ChangeColorFormat(int32_t from, int32_t to) override;
  void Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t mode, bool registerIt) override;
  int32_t GetImageIndex() override { return AllTextsEmpty() ? 24 : 23; }
  int32_t GetTypeTextID() override { return AllTextsEmpty() ? 7411 : 7009; }
  void Scale(double fx, double fy) override;
  ~TZmLabel() override;
  bool AllTextsEmpty() const;

  TZmMultiTexts* MultiTexts = nullptr;
};

// Major and minor ticks with number labels (settings in the ScaleInf).
// Type: 0 vertical, labels right; 1 horizontal, labels below; 2 vertical,
// labels left; 3 horizontal, labels above.
class TZmScale : public TZmControl {
public:
  const char* ClassName() const override { return "TZmScale"; }
  uint32_t ClassTypeCode() const override { return 10; }
  void Initialize() override;
  void Serialize(TZmSerialization& s) override;
  void WriteROM(TZmCompiler&) override {}
  void ChangeColorFormat(int32_t from, int32_t to) override;
  void Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t mode, bool registerIt) override;
  int32_t GetImageIndex() override { return 25; }
  int32_t GetTypeTextID() override { return 7010; }
  ~TZmScale() override;

  // Counts from files bounded so drawing stays short: majors 2..kMaxMajor
  // (fewer than 2 draws nothing), minors 0..kMaxMinor between two majors,
  // so at most 10000 intervals.
  static constexpr int32_t kMaxMajor = 101;
  static constexpr int32_t kMaxMinor = 99;
  // Intervals between ticks (0: nothing is drawn), after bounding the counts.
  int64_t TickIntervals() const;
  // Label value at tick i of n intervals, Max down to Min, in 64 bits.
  int64_t LabelValue(int64_t i, int64_t n) const;
  // The label text of a value: digits, FloatWidth fraction digits after the
  // project's decimal separator, then the Text's own text (a unit).
  std::string LabelText(int64_t value) const;

  TZmScaleInf* ScaleInf = nullptr;
};

// A grid of XCount columns and YCount rows; Type bit 0 adds a diagonal in
// the first cell.
class TZmTable : public TZmControl {
public:
  const char* ClassName() const override { return "TZmTable"; }
  uint32_t ClassTypeCode() const override { return 11; }
  void Initialize() override;
  void Serialize(TZmSerialization& s) override;
  void WriteROM(TZmCompiler&) override {}
  void ChangeColorFormat(int32_t from, int32_t to) override;
  void Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t mode, bool registerIt) override;
  int32_t GetImageIndex() override { return 26; }
  int32_t GetTypeTextID() override { return 7011; }
  ~TZmTable() override;

  // Cells drawn across a span of `span` pixels: the stored count kept
  // within 1..span and at most kMaxCells. More cells than pixels would only
  // paint every column again, so the picture is the same; a count of 0
  // never divides.
  static constexpr int64_t kMaxCells = 1024;
  static int64_t CellsAcross(uint32_t count, int64_t span);

  uint32_t XCount = 5;
  uint32_t YCount = 5;
  TZmPen* Pen = nullptr;
};

// A bitmap in a frame. Its flag word is the component's ExternFlag: both
// are stored under one name, so there is one field.
class TZmPicture : public TZmControl {
public:
  const char* ClassName() const override { return "TZmPicture"; }
  uint32_t ClassTypeCode() const override { return 12; }
  void Initialize() override;
  void Serialize(TZmSerialization& s) override;
  void WriteROM(TZmCompiler& compiler) override;
  void ChangeColorFormat(int32_t from, int32_t to) override;
  void Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t mode, bool registerIt) override;
  int32_t GetImageIndex() override { return 27; }
  int32_t GetTypeTextID() override { return 7012; }
  ~TZmPicture() override;

  uint32_t Option = 0;
  uint32_t TransparentColor = 0;
  int32_t ImageLeft = 0;
  int32_t ImageTop = 0;
  TZmBitmap* Image = nullptr;
};
