#pragma once
// Fills the class registry with the screen-object classes that project files
// create by name. Safe to call more than once.
#include <string_view>

#include "base/Persistent.h"

void RegisterModelClasses();

// The factory of a screen-object class by its stored name; the registry is
// filled on first use, so no reader of objects (file, clipboard, undo step,
// template) depends on a program having registered them first.
TZmClassFactory ScreenObjectClass(std::string_view name);
