#include "base/Guard.h"

#include <cstdio>
#include <exception>
#include <new>

int RunGuarded(const char* program, int (*body)(int, char**), int argc, char** argv)
{
  // The messages are written without allocating: after an allocation
  // failure there may be no memory to build one.
  try {
    return body(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "%s: not enough memory to finish\n", program);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: internal error: %s\n", program, e.what());
  } catch (...) {
    std::fprintf(stderr, "%s: internal error\n", program);
  }
  return 1;
}
