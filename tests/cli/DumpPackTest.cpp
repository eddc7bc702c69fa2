// dump/pack of project files on the generic record level.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <memory>

#include "base/Record.h"
#include "cli/Commands.h"
#include "model/Project.h"
#include "model/Scenes.h"

namespace {

std::vector<uint8_t> Blob(std::initializer_list<uint8_t> b) { return b; }

// A project file whose records hold what no class of ours writes: an
// unknown class, unknown properties, blobs that fit no typed form, a stream
// that is no list, and a text with an unpaired surrogate.
std::vector<uint8_t> OddProject()
{
  TZmRawRecord unknown;
  unknown.ClassName = "TZmSomethingNew";
  unknown.Properties.push_back({"Wide", Blob({7, 1, 2, 3, 4, 5})});  // tag 7 with one byte too many
  unknown.Properties.push_back({"Tag9", Blob({9, 1})});
  unknown.Properties.push_back({"Bytes", Blob({19, 3, 0, 0, 0, 0xAA, 0xBB, 0xCC})});  // not a list
  unknown.Properties.push_back({"Empty", {}});

  TZmRawRecord root;
  root.ClassName = "TZmHMI";
  TZmStream title;
  title.WriteU8(15);
  WriteText(title, "x");
  title.Buffer().back() = 0xD8;  // "x" -> U+D878, an unpaired surrogate
  root.Properties.push_back({"Title", title.Buffer()});
  TZmStream nested;
  nested.WriteU8(18);
  WriteRawRecord(nested, unknown);
  root.Properties.push_back({"Future", nested.Buffer()});
  root.Properties.push_back({"Font", Blob({16, 1, 0, 0, 0, 0, 0, 9, 0, 0, 0, 0, 1})});
  root.Properties.push_back({"ModelID", Blob({7, 0xE9, 3, 0, 0})});

  TZmStream file;
  file.Write("ksv0", 4);
  WriteRawRecord(file, TZmRawRecord{"TZmFileInf", {}});
  TZmStream body;
  WriteRawRecord(body, root);
  body.Write(Blob({1, 2, 3}));  // trailing bytes after the root record
  file.Write(Deflate(body.Bytes()));
  return file.Buffer();
}

}  // namespace

TEST(DumpPack, RoundTripIsByteExactEvenForUnknownContent)
{
  std::unique_ptr<TZmHMI> root(NewObject<TZmHMI>());
  root->Title = "Demo";
  TZmSceneGroup* g = TZmSceneGroup::Create(root->SceneGroups);
  TZmScene::Create(g)->ID = 4;
  std::vector<std::vector<uint8_t>> files = {SaveProjectToBytes(*root), OddProject()};
  for (const auto& f : files) {
    std::string json, err;
    ASSERT_TRUE(DumpProject(f, json, err)) << err;
    std::vector<uint8_t> back;
    ASSERT_TRUE(PackProject(json, back, err)) << err;
    EXPECT_EQ(back, f);
  }
}

TEST(DumpPack, ShowsTypedValuesAndRawFallbacks)
{
  std::string json, err;
  ASSERT_TRUE(DumpProject(OddProject(), json, err)) << err;
  auto top = nlohmann::ordered_json::parse(json);
  const auto& props = top["project"]["properties"];
  auto find = [&](const nlohmann::ordered_json& list, const char* name) -> const nlohmann::ordered_json& {
    for (const auto& p : list)
      if (p["name"] == name) return p;
    static const nlohmann::ordered_json none;
    return none;
  };
  EXPECT_EQ(find(props, "ModelID")["value"], 1001);
  EXPECT_EQ(find(props, "Font")["value"]["size"], 9);
  // JSON has no text for an unpaired surrogate: such a text stays hex.
  EXPECT_EQ(find(props, "Title")["raw"], "0f0100000078d8");
  const auto& future = find(props, "Future")["value"];
  EXPECT_EQ(future["class"], "TZmSomethingNew");
  const auto& inner = future["properties"];
  EXPECT_EQ(find(inner, "Wide")["raw"], "070102030405");
  EXPECT_EQ(find(inner, "Tag9")["raw"], "0901");
  EXPECT_EQ(find(inner, "Bytes")["value"], "aabbcc");
  EXPECT_EQ(find(inner, "Empty")["raw"], "");
  EXPECT_EQ(top["trailing"], "010203");
}

TEST(DumpPack, EditedJsonPacksAndLoads)
{
  std::unique_ptr<TZmHMI> root(NewObject<TZmHMI>());
  root->Title = "Before";
  std::string json, err;
  ASSERT_TRUE(DumpProject(SaveProjectToBytes(*root), json, err));
  auto at = json.find("\"Before\"");
  ASSERT_NE(at, std::string::npos);
  json.replace(at, 8, "\"Grüße \\u00e9\"");
  std::vector<uint8_t> file;
  ASSERT_TRUE(PackProject(json, file, err)) << err;
  std::unique_ptr<TZmHMI> back(NewObject<TZmHMI>());
  ASSERT_TRUE(LoadProjectFromBytes(*back, file, err)) << err;
  EXPECT_EQ(back->Title, "Grüße é");
}

TEST(DumpPack, BadInputGivesAClearError)
{
  const std::string badJson[] = {
      "", "{", "[]", "{\"magic\":\"ksv0\"}", "{\"magic\":\"ksv\",\"fileInformation\":{\"hex\":\"\"},\"project\":{\"hex\":\"\"}}",
      "{\"magic\":\"ksv0\",\"fileInformation\":{\"hex\":\"zz\"},\"project\":{\"hex\":\"\"}}",
      "{\"magic\":\"ksv0\",\"fileInformation\":{\"class\":\"A\",\"properties\":[]},\"project\":{\"class\":\"B\",\"properties\":"
      "[{\"name\":\"X\",\"tag\":5,\"value\":300}]}}",
      "{\"magic\":\"ksv0\",\"fileInformation\":{\"class\":\"A\",\"properties\":[]},\"project\":{\"class\":\"B\",\"properties\":"
      "[{\"name\":\"X\",\"tag\":42,\"value\":1}]}}",
      std::string(5000, '['),
      "{\"magic\":\"ksv0\",\"fileInformation\":{\"class\":\"A\xFF\",\"properties\":[]},\"project\":{\"hex\":\"\"}}",
      "{\"magic\":\"ksv0\",\"fileInformation\":{\"class\":\"\xED\xA0\x80\",\"properties\":[]},\"project\":{\"hex\":\"\"}}",
      "{\"magic\":\"ksv1\",\"fileInformation\":{\"class\":\"A\",\"properties\":[]},\"project\":{\"hex\":\"\"}}",
  };
  for (const std::string& j : badJson) {
    std::vector<uint8_t> file;
    std::string err;
    EXPECT_FALSE(PackProject(j, file, err)) << j;
    EXPECT_FALSE(err.empty());
  }
  std::string json, err;
  EXPECT_FALSE(DumpProject(std::vector<uint8_t>{'k', 's', 'v'}, json, err));
  auto odd = OddProject();
  odd.resize(odd.size() - 3);
  EXPECT_FALSE(DumpProject(odd, json, err));
}
