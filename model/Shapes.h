#pragma once
// Shapes: the static drawing primitives of a scene. They have no record of
// their own; the compiler paints them into the scene's background.
#include <cstdint>

#include "model/Component.h"

class TZmPen;
class TZmBrush;

class TZmGraphic : public TZmComponent {
public:
  const char* ClassName() const override { return "TZmGraphic"; }
  void Initialize() override;
  void Serialize(TZmSerialization& s) override;
  void WriteROM(TZmCompiler&) override {}
  void ChangeColorFormat(int32_t from, int32_t to) override;
  ~TZmGraphic() override;
  bool Filled() const;

  TZmPen* Pen = nullptr;
  TZmBrush* Brush = nullptr;

protected:
  // Pen and brush into the context; identity colours with a collector.
  void SelectStyles(TZmDC& dc, TZmComponentRefs* collector, bool registerIt);
};

class TZmPoint : public TZmGraphic {
public:
  const char* ClassName() const override { return "TZmPoint"; }
  uint32_t ClassTypeCode() const override { return 0; }
  void SetBounds(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
  void Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t mode, bool registerIt) override;
  int32_t GetHandles(TZmHandlePoint points[kMaxHandles], uint16_t kinds[kMaxHandles], int32_t margin) override;
  void MoveHandle(TZmDC* dc, int32_t handle, int32_t dx, int32_t dy) override;
  int32_t GetImageIndex() override { return 6; }
  int32_t GetTypeTextID() override { return 7000; }
};

class TZmLine : public TZmGraphic {
public:
  const char* ClassName() const override { return "TZmLine"; }
  uint32_t ClassTypeCode() const override { return 1; }
  void SetBounds(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
  void Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t mode, bool registerIt) override;
  int32_t GetHandles(TZmHandlePoint points[kMaxHandles], uint16_t kinds[kMaxHandles], int32_t margin) override;
  void MoveHandle(TZmDC* dc, int32_t handle, int32_t dx, int32_t dy) override;
  int32_t GetImageIndex() override { return 7; }
  int32_t GetTypeTextID() override { return 7001; }
  // Start and end points as drawn.
  void Ends(TZmHandlePoint& start, TZmHandlePoint& end) const;
};

class TZmEllipse : public TZmGraphic {
public:
  const char* ClassName() const override { return "TZmEllipse"; }
  uint32_t ClassTypeCode() const override { return 2; }
  void Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t mode, bool registerIt) override;
  int32_t GetImageIndex() override;
  int32_t GetTypeTextID() override;
  bool IsCircle() const { return Rect.Right - Rect.Left == Rect.Bottom - Rect.Top; }
};

class TZmRect : public TZmGraphic {
public:
  const char* ClassName() const override { return "TZmRect"; }
  uint32_t ClassTypeCode() const override { return 3; }
  void Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t mode, bool registerIt) override;
  int32_t GetImageIndex() override { return Filled() ? 13 : 12; }
  int32_t GetTypeTextID() override { return Filled() ? 7405 : 7003; }
};

class TZmRoundRect : public TZmGraphic {
public:
  const char* ClassName() const override { return "TZmRoundRect"; }
  uint32_t ClassTypeCode() const override { return 4; }
  void Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t mode, bool registerIt) override;
  int32_t GetImageIndex() override { return Filled() ? 15 : 14; }
  int32_t GetTypeTextID() override { return Filled() ? 7406 : 7004; }
};

class TZmArc : public TZmGraphic {
public:
  const char* ClassName() const override { return "TZmArc"; }
  uint32_t ClassTypeCode() const override { return 5; }
  void Construct() override;
  void Serialize(TZmSerialization& s) override;
  void Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t mode, bool registerIt) override;
  int32_t GetHandles(TZmHandlePoint points[kMaxHandles], uint16_t kinds[kMaxHandles], int32_t margin) override;
  void MoveHandle(TZmDC* dc, int32_t handle, int32_t dx, int32_t dy) override;
  int32_t GetImageIndex() override { return 16; }
  int32_t GetTypeTextID() override { return 7005; }
  TZmHandlePoint AnglePoint(uint32_t angle) const;

  uint32_t StartAngle = 0;
  uint32_t EndAngle = 0;
};

class TZmPie : public TZmArc {
public:
  const char* ClassName() const override { return "TZmPie"; }
  uint32_t ClassTypeCode() const override { return 6; }
  void Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t mode, bool registerIt) override;
  int32_t GetImageIndex() override { return Filled() ? 18 : 17; }
  int32_t GetTypeTextID() override { return Filled() ? 7407 : 7006; }
};

class TZmChord : public TZmArc {
public:
  const char* ClassName() const override { return "TZmChord"; }
  uint32_t ClassTypeCode() const override { return 7; }
  void Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t mode, bool registerIt) override;
  int32_t GetImageIndex() override { return Filled() ? 20 : 19; }
  int32_t GetTypeTextID() override { return Filled() ? 7408 : 7007; }
};

class TZmPolyline : public TZmGraphic {
public:
  const char* ClassName() const override { return "TZmPolyline"; }
  uint32_t ClassTypeCode() const override { return 8; }
  void Serialize(TZmSerialization& s) override;
  void SetBounds(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
  void Paint(TZmDC& dc, TZmComponentRefs* collector, int32_t mode, bool registerIt) override;
  int32_t GetImageIndex() override { return Filled() ? 22 : 21; }
  int32_t GetTypeTextID() override { return Filled() ? 7409 : 7008; }
  void SetPoints(const std::vector<TZmDCPoint>& points);
  std::vector<TZmDCPoint> SourcePoints() const;
  std::vector<TZmDCPoint> DrawnPoints() const;

  TZmRectValue OrgRect;
  TZmStream Points;
  TZmStream DrawPoints;

private:
  void Refit();
};
