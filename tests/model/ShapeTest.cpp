// Graphic shapes: geometry rules, handles, painting, stored form.
#include <gtest/gtest.h>

#include <memory>

#include "devices/Model.h"
#include "graphics/DC.h"
#include "graphics/Pen.h"
#include "model/Project.h"
#include "model/Scenes.h"
#include "model/Shapes.h"

namespace {

class Shapes : public ::testing::Test {
protected:
  void SetUp() override
  {
    auto m = std::make_unique<TZmModel>();
    m->ID = 501;
    m->EditRect = {0, 0, 320, 240};
    m->ColorBit = 16;
    m->ColorFormat = 1;
    TZmModels::Global().Add(std::move(m));
    root.reset(NewObject<TZmHMI>());
    root->ModelID = 501;
    scene = TZmSceneGroup::Create(root->SceneGroups)->AddScene();
  }
  void TearDown() override
  {
    root.reset();
    TZmModels::Global().Clear();
  }
  template <typename T>
  T* Make(int32_t l, int32_t t, int32_t r, int32_t b)
  {
    T* s = CreateComponent<T>(scene->ComponentGroup);
    s->SetBounds(l, t, r, b);
    return s;
  }
  std::unique_ptr<TZmHMI> root;
  TZmScene* scene = nullptr;
};

}  // namespace

TEST_F(Shapes, PointsStayEightByEight)
{
  auto* p = Make<TZmPoint>(97, 47, 104, 54);
  EXPECT_EQ(p->Rect, (TZmRectValue{97, 47, 104, 54}));
  p->MoveHandle(nullptr, 15, 500, 0);
  EXPECT_EQ(p->Rect.Left, 312);
  EXPECT_EQ(p->Rect.Right, 319);
  p->MoveHandle(nullptr, 2, 5, 5);  // only moves act on a point
  EXPECT_EQ(p->Rect.Left, 312);
  TZmHandlePoint h[kMaxHandles];
  uint16_t k[kMaxHandles];
  EXPECT_EQ(p->GetHandles(h, k, 0), 4);
  EXPECT_EQ(k[3], 14);
}

TEST_F(Shapes, LinesKeepTheirDirection)
{
  auto* l = Make<TZmLine>(50, 10, 10, 40);
  EXPECT_EQ(l->Rect, (TZmRectValue{10, 10, 50, 40}));
  EXPECT_EQ(l->Type, 1u);
  TZmDC dc(320, 240);
  TZmComponent::PrepareContext(dc, scene->Model());
  l->Pen->Color = 0xFFFF;
  l->Paint(dc, nullptr, 0, false);
  EXPECT_NE(dc.RawPixel(50, 10), 0);
  EXPECT_NE(dc.RawPixel(10, 40), 0);
  EXPECT_EQ(dc.RawPixel(10, 10), 0);
  TZmHandlePoint h[kMaxHandles];
  uint16_t k[kMaxHandles];
  ASSERT_EQ(l->GetHandles(h, k, 0), 2);
  EXPECT_EQ(h[0].X, 50);
  EXPECT_EQ(k[1], 11);
  l->MoveHandle(nullptr, 11, 60, -35);  // the end goes to (70, 5): direction flips
  EXPECT_EQ(l->Rect, (TZmRectValue{50, 5, 70, 10}));
  EXPECT_EQ(l->Type, 1u);
  l->MoveHandle(&dc, 10, 100, 100);  // a preview restores rectangle and direction
  EXPECT_EQ(l->Rect, (TZmRectValue{50, 5, 70, 10}));
  EXPECT_EQ(l->Type, 1u);
}

TEST_F(Shapes, IconsNamesAndRoundCorners)
{
  auto* e = Make<TZmEllipse>(0, 0, 20, 20);
  EXPECT_EQ(e->GetImageIndex(), 9);  // filled circle (the default brush is solid)
  EXPECT_EQ(e->GetTypeTextID(), 7403);
  e->Brush->StyleIndex = 0;
  EXPECT_EQ(e->GetTypeTextID(), 7402);
  e->SetBounds(0, 0, 30, 20);
  EXPECT_EQ(e->GetImageIndex(), 10);
  auto* r = Make<TZmRoundRect>(0, 0, 41, 21);
  TZmDC a(320, 240), b(320, 240);
  TZmComponent::PrepareContext(a, scene->Model());
  TZmComponent::PrepareContext(b, scene->Model());
  r->Paint(a, nullptr, 0, false);
  r->Pen->Select(b, nullptr, 0);
  r->Brush->Select(b, nullptr, 0);
  b.RoundRect(0, 0, 41, 21, 10, 5);
  EXPECT_TRUE(std::equal(a.Pixels().begin(), a.Pixels().end(), b.Pixels().begin()));
}

TEST_F(Shapes, PolylinesFollowTheirRectangle)
{
  auto* p = CreateComponent<TZmPolyline>(scene->ComponentGroup);
  p->SetPoints({{0, 0}, {10, 0}, {10, 10}});
  EXPECT_EQ(p->Rect, (TZmRectValue{0, 0, 10, 10}));
  p->SetBounds(0, 0, 21, 10);
  auto pts = p->DrawnPoints();
  ASSERT_EQ(pts.size(), 3u);
  EXPECT_EQ(pts[1].X, 20);
  EXPECT_EQ(pts[2].X, 20);
  EXPECT_EQ(pts[2].Y, 10);

  // Damaged point blocks from a file: a broken point and a short drawn list.
  std::unique_ptr<TZmPolyline> copy(NewObject<TZmPolyline>());
  copy->Assign(p);
  EXPECT_EQ(copy->Compare(p), 0);
  p->Points.Write(std::vector<uint8_t>{1, 2, 3});
  p->DrawPoints.SetSize(8);
  p->OrgRect = {5, 5, 4, 4};  // no width: would divide by zero
  std::unique_ptr<TZmPolyline> fixed(NewObject<TZmPolyline>());
  fixed->Assign(p);
  EXPECT_EQ(fixed->SourcePoints().size(), 3u);
  EXPECT_EQ(fixed->DrawnPoints().size(), 3u);
  TZmDC dc(320, 240);
  fixed->Paint(dc, nullptr, 0, false);

  // Stored points far outside the stored box (as a pasted block held them):
  // refitted, they stop at the end of the coordinate range.
  std::unique_ptr<TZmPolyline> far(NewObject<TZmPolyline>());
  far->SetPoints({{0, 0}, {INT32_MAX, INT32_MIN}, {5, 5}});
  far->OrgRect = {0, 0, 1, 1};
  far->SetBounds(-1000, -1000, 100000, 100000);
  auto out = far->DrawnPoints();
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[0].X, -1000);
  EXPECT_EQ(out[1].X, INT32_MAX);
  EXPECT_EQ(out[1].Y, INT32_MIN);
}

TEST_F(Shapes, ArcAngleHandles)
{
  auto* a = Make<TZmArc>(10, 10, 50, 70);
  EXPECT_TRUE(a->KeepSquare());
  EXPECT_EQ(a->Rect, (TZmRectValue{10, 10, 50, 50}));
  EXPECT_EQ(a->EndAngle, 360u);
  TZmHandlePoint h[kMaxHandles];
  uint16_t k[kMaxHandles];
  ASSERT_EQ(a->GetHandles(h, k, 0), 10);
  EXPECT_EQ(k[9], 9);
  EXPECT_EQ(h[8].X, 50);  // angle 0 points right
  EXPECT_EQ(h[8].Y, 30);
  a->MoveHandle(nullptr, 8, -20, -20);  // to the top of the circle
  EXPECT_EQ(a->StartAngle, 90u);
  EXPECT_EQ(a->Rect, (TZmRectValue{10, 10, 50, 50}));
  TZmDC dc(320, 240);
  a->MoveHandle(&dc, 9, 0, 20);
  EXPECT_EQ(a->EndAngle, 360u);  // preview only
  // Read from a file, an arc is not switched to keep-square.
  std::unique_ptr<TZmPie> pie(NewObject<TZmPie>());
  EXPECT_FALSE(pie->KeepSquare());
}

TEST_F(Shapes, OverlappingShapesHitTest)
{
  auto* rect = Make<TZmRect>(10, 10, 100, 100);
  auto* ell = Make<TZmEllipse>(50, 50, 150, 120);
  auto* line = Make<TZmLine>(0, 200, 300, 200);
  TZmDC dc(320, 240);
  TZmComponentRefs collector;
  collector.Scene = scene;
  scene->PaintScene(dc, &collector, 0);
  EXPECT_EQ(collector.FromIdentity(dc.RawPixel(20, 20)), rect);
  EXPECT_EQ(collector.FromIdentity(dc.RawPixel(90, 90)), ell);
  EXPECT_EQ(collector.FromIdentity(dc.RawPixel(150, 200)), line);
  EXPECT_EQ(collector.FromIdentity(dc.RawPixel(200, 20)), nullptr);
}
