#include <gtest/gtest.h>

#include <cstdlib>

#include "model/Startup.h"

int main(int argc, char** argv)
{
  // Tests never need a real display; an explicit setting from outside wins.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  ::testing::InitGoogleTest(&argc, argv);
  // The start-up every program goes through, and nothing more: what a test
  // needs beyond it, it sets up itself, so no test leans on a step that the
  // programs do not take.
  TZmStartOptions options;
  options.Program = argv[0];
  StartProgram(options);
  return RUN_ALL_TESTS();
}
