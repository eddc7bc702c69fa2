#include "app/Forms.h"

#include "app/About.h"
#include "app/MainWindow.h"
#include "app/SceneEditor.h"
#include "app/ToolPalette.h"

const std::vector<TZmFormFactory>& FormFactories()
{
  static const std::vector<TZmFormFactory> list = {
      {"FormMain", [] { return std::unique_ptr<QWidget>(new TFormMain()); }},
      {"FrameEditScene", [] { return std::unique_ptr<QWidget>(new TFrameEditScene()); }},
      {"FrameToolPalette", [] { return std::unique_ptr<QWidget>(new TFrameToolPalette()); }},
      {"FormAbout", [] { return std::unique_ptr<QWidget>(new TFormAbout()); }},
  };
  return list;
}
