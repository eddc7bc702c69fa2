// Preloaded into a program under test: allocation number N (counted from
// the program's start, N from KESTRAVA_FAIL_ALLOC_AT) throws std::bad_alloc,
// as it would when memory runs out there. Every other allocation succeeds.
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

}  // namespace

void* operator new(std::size_t n)
{
  static const long at = FailAt();
  if (at > 0 && ++gCount == at) throw std::bad_alloc();
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
