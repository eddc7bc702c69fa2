#include <gtest/gtest.h>

#include <cstdlib>

#include "model/Registry.h"

int main(int argc, char** argv)
{
  // Tests never need a real display; an explicit setting from outside wins.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  ::testing::InitGoogleTest(&argc, argv);
  RegisterModelClasses();
  return RUN_ALL_TESTS();
}
