// Writes one template project per panel model into a language folder: what
// New starts from (the model's ports, a screen group named in that language
// and a first screen).
//
// usage: make_templates DATA_DIR LANGUAGE_ID OUT_DIR
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "base/Guard.h"
#include "base/Language.h"
#include "devices/Model.h"
#include "model/Project.h"
#include "model/Startup.h"
#include "model/Scenes.h"

static int Main(int argc, char** argv)
{
  if (argc != 4) {
    std::fprintf(stderr, "usage: make_templates DATA_DIR LANGUAGE_ID OUT_DIR\n");
    return 2;
  }
  const TZmStart& start = StartProgram({argv[0], argv[1], std::atoi(argv[2])});
  if (!start.Language || start.Language->CurrentID() != std::atoi(argv[2])) {
    std::fprintf(stderr, "make_templates: no language folder %s in %s\n", argv[2], argv[1]);
    return 1;
  }
  const TZmLanguageResources& language = *start.Language;
  TZmModels models;
  models.LoadModelFolder(std::string(argv[1]) + "/model", language.LanguageExtension());
  std::filesystem::create_directories(argv[3]);
  int written = 0;
  for (size_t i = 0; i < models.Count(); ++i) {
    const TZmModel* m = models.Item(i);
    if (!m->Valid) continue;
    std::unique_ptr<TZmHMI> root(NewObject<TZmHMI>());
    NewFromModel(*root, m);
    root->SceneGroups->Item(0)->AddScene();
    std::string error;
    if (!SaveProject(*root, std::string(argv[3]) + "/" + m->Name + ".ksv", error)) {
      std::fprintf(stderr, "make_templates: %s\n", error.c_str());
      return 1;
    }
    ++written;
  }
  if (!written) {
    std::fprintf(stderr, "make_templates: no complete panel model in %s/model\n", argv[1]);
    return 1;
  }
  return 0;
}

int main(int argc, char** argv) { return RunGuarded("make_templates", Main, argc, argv); }
