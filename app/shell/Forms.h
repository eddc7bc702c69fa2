#pragma once
// Every form and page the editor can create, by its path name, so that the
// language files can be checked against the real widget trees.
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

struct TZmFormFactory {
  const char* Name;
  std::function<std::unique_ptr<QWidget>()> Create;
};

const std::vector<TZmFormFactory>& FormFactories();
