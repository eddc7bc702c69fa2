#include "app/shell/Forms.h"

#include "app/dialogs/About.h"
#include "app/shell/MainWindow.h"
#include "app/editor/SceneEditor.h"
#include "app/editor/ToolPalette.h"

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
