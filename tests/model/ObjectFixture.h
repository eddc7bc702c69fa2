#pragma once
// What the screen-object tests share: a 1-bit 128 x 64 panel (model 503),
// optionally with previous/next/F1 keys, one controller station whose "D"
// words can be registered, one scene (ID 1) in a group, a compiler, and a
// reader that follows compiled records the way the panel runtime does.
#include <gtest/gtest.h>

#include <bit>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/Texts.h"
#include "compiler/Compiler.h"
#include "image/Messages.h"
#include "compiler/RegCollect.h"
#include "devices/Devices.h"
#include "devices/Model.h"
#include "devices/Protocols.h"
#include "devices/RegRule.h"
#include "model/Component.h"
#include "model/Project.h"
#include "model/Scenes.h"

inline constexpr int32_t kKeyPrevious = 0x20, kKeyNext = 0x1000, kKeyF1 = 0x1;

class ObjectFixture : public ::testing::Test {
protected:
  // Numbered texts the objects ask for; anything else is empty.
  std::map<int, std::string> Texts;
  // Gives the model the previous/next keys (functions 1280/1536) and F1.
  bool WithKeys = false;

  void SetUp() override
  {
    db.ClearAll();
    SetTextLookup([this](int n) -> std::string {
      auto it = Texts.find(n);
      return it == Texts.end() ? std::string() : it->second;
    });
    auto m = std::make_unique<TZmModel>();
    m->ID = 503;
    m->EditRect = {0, 0, 128, 64};
    m->ColorBit = 1;
    m->ColorFormat = 8;
    m->Palette = {0xFFFFFF, 0x000000};
    m->BlackIndex = 1;
    m->WhiteIndex = 0;
    m->GrayIndex = 0;
    if (WithKeys)
      for (auto [code, function] : {std::pair{kKeyPrevious, 1280}, {kKeyNext, 1536}, {kKeyF1, 0}}) {
        TZmModelKey k;
        k.Code = code;
        k.Left = 200 + code % 50;
        k.Top = 10;
        k.Width = 20;
        k.Height = 12;
        k.Function = function;
        m->Keys.emplace_back("K", k);
      }
    TZmModels::Global().Add(std::move(m));
    db.BuildInternalController();
    auto p = std::make_unique<TZmProtocol>();
    p->UID = 10;
    bool created;
    TZmController* c = db.ControllerFor(20, created);
    TZmRegRule::Create(&c->RegRules, "4\"D\"d0-9999");
    p->ControllerRefs.push_back(c);
    db.Protocols.push_back(std::move(p));
    root.reset(NewObject<TZmHMI>());
    root->ModelID = 503;
    TZmDevice* d = TZmDevice::Create(root->Devices);
    d->Type = 15;
    d->ProtocolRefUID = 10;
    TZmStation::Create(d)->SetController(c);
    group = TZmSceneGroup::Create(root->SceneGroups);
    scene = TZmScene::Create(group);
    scene->ID = 1;
    compiler.Project = root.get();
    compiler.CurrentScene = scene;
  }
  void TearDown() override
  {
    root.reset();
    TZmModels::Global().Clear();
    SetTextLookup(nullptr);
    db.ClearAll();
  }
  template <typename T>
  T* Make(int32_t l = 10, int32_t t = 10, int32_t r = 49, int32_t b = 29)
  {
    T* o = CreateComponent<T>(scene->ComponentGroup);
    o->SetBounds(l, t, r, b);
    return o;
  }
  // The record as written, before the resource area resolves its references.
  std::vector<uint32_t> RawRecord(TZmComponent* o)
  {
    compiler.Reset();
    compiler.CurrentScene = scene;
    o->WriteROM(compiler);
    std::vector<uint32_t> w;
    for (size_t i = 0; i + 4 <= compiler.Output().Size(); i += 4) w.push_back(GetU32(compiler.Output().Data() + i));
    return w;
  }
  // Lays out the register memory and writes the resource area.
  void Finish()
  {
    compiler.Registers->Layout(512);
    compiler.Resources.WriteAll(compiler);
  }
  bool Registered(const char* address) { return compiler.Registers->Resolve(address).Found; }
  size_t MessagesOfKind(int32_t kind) const
  {
    size_t n = 0;
    for (const auto& m : compiler.Messages->List) n += m.Kind == kind;
    return n;
  }

  TZmControllerDB& db = TZmControllerDB::Global();
  std::unique_ptr<TZmHMI> root;
  TZmSceneGroup* group = nullptr;
  TZmScene* scene = nullptr;
  TZmCompileDriver compiler;
};

// Reads the image the way the panel runtime does: 32-bit words at offsets
// that records name, every access bounds-checked.
struct RuntimeView {
  const TZmStream& Image;
  uint32_t U32(uint32_t at) const
  {
    if (size_t(at) + 4 > Image.Size()) {
      ADD_FAILURE() << "read outside the image at " << at;
      return 0;
    }
    return GetU32(Image.Data() + at);
  }
  float F32(uint32_t at) const { return std::bit_cast<float>(U32(at)); }
  // StateIndex of the display code: the state table's entry `i`.
  uint32_t State(uint32_t table, uint32_t i) const { return U32(table + 4 + 4 * i); }
};

// A word of a raw record: either a literal value or a reference of a kind.
struct Word {
  uint32_t Value;
  bool Reference = false;
};
inline Word Ref(uint32_t kind) { return {kind, true}; }
inline Word Lit(uint32_t v) { return {v, false}; }

// The words after the 28-byte header against what is expected there.
inline void ExpectWords(const std::vector<uint32_t>& raw, const std::vector<Word>& expected, const char* what)
{
  ASSERT_EQ(raw.size(), 7 + expected.size()) << what;
  for (size_t i = 0; i < expected.size(); ++i) {
    uint32_t w = raw[7 + i];
    if (expected[i].Reference)
      EXPECT_EQ(w & 0xFF000000u, expected[i].Value) << what << " +" << 28 + 4 * i;
    else
      EXPECT_EQ(w, expected[i].Value) << what << " +" << 28 + 4 * i;
  }
}
