#include <gtest/gtest.h>

#include "model/Registry.h"

int main(int argc, char** argv)
{
  ::testing::InitGoogleTest(&argc, argv);
  RegisterModelClasses();
  return RUN_ALL_TESTS();
}
