#pragma once
// Replaces every ordinary (not over-aligned) form of operator new and
// delete of the program that includes this, in exactly one of its files,
// after defining
//   void* HookedMalloc(size_t n);  // memory or nullptr; may throw bad_alloc
//   void HookedFree(void* p);      // p may be null
// All forms go through the two, so that no memory is taken by one
// allocator and given back to another (the sanitizers check that).
#include <cstddef>
#include <new>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t n)
{
  if (void* p = HookedMalloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return operator new(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept
{
  try {
    return HookedMalloc(n ? n : 1);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t n, const std::nothrow_t& t) noexcept { return operator new(n, t); }
void operator delete(void* p) noexcept { HookedFree(p); }
void operator delete[](void* p) noexcept { HookedFree(p); }
void operator delete(void* p, std::size_t) noexcept { HookedFree(p); }
void operator delete[](void* p, std::size_t) noexcept { HookedFree(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { HookedFree(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { HookedFree(p); }

#pragma GCC diagnostic pop
