// Hints to the processor that memory is about to be used, so that it is fetched meanwhile.
// They change nothing, and cost nothing where the compiler knows no such hint.
#pragma once

namespace quarn {

inline void PrefetchForRead(const void* p) {
#if defined(__GNUC__) || defined(__clang__)
  __builtin_prefetch(p);
#else
  (void)p;
#endif
}

inline void PrefetchForWrite(const void* p) {
#if defined(__GNUC__) || defined(__clang__)
  __builtin_prefetch(p, 1);
#else
  (void)p;
#endif
}

}  // namespace quarn
