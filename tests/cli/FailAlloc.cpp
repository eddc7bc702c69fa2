// Preloaded into a program under test: allocation number N (counted from
// the program's start, N from KESTRAVA_FAIL_ALLOC_AT) fails, as it would
// when memory runs out there. Every other allocation succeeds.
#include <atomic>
#include <cstdlib>
#include <new>

namespace {

long FailAt()
{
  const char* s = std::getenv("KESTRAVA_FAIL_ALLOC_AT");
  return s ? std::atol(s) : 0;
}

std::atomic<long> gCount{0};

void* HookedMalloc(std::size_t n)
{
  static const long at = FailAt();
  if (at > 0 && ++gCount == at) throw std::bad_alloc();
  return std::malloc(n);
}

void HookedFree(void* p) { std::free(p); }

}  // namespace

#include "../ReplaceNew.h"
