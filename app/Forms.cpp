#include "app/Forms.h"

#include "app/MainWindow.h"

const std::vector<TZmFormFactory>& FormFactories()
{
  static const std::vector<TZmFormFactory> list = {
      {"FormMain", [] { return std::unique_ptr<QWidget>(new TFormMain()); }},
  };
  return list;
}
