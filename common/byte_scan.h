// Finding the next of two bytes in a text, sixteen bytes at a time.
//
// The readers of large files look for line ends and field separators in
// every byte; comparing a whole block per step instead of one byte makes
// that a small part of reading a line.
#ifndef KORAV_COMMON_BYTE_SCAN_H_
#define KORAV_COMMON_BYTE_SCAN_H_

#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace korav {

// The bytes a caller of FindEither must own after `end`.
inline constexpr size_t kScanPadding = 16;

// The first byte of [from, end) that is `a` or `b`, or `end` when there is
// none. It may read up to kScanPadding - 1 bytes past `end`, which must
// belong to the same buffer; their values do not matter.
inline const char* FindEither(const char* from, const char* end, char a, char b) {
#if defined(__SSE2__)
  const __m128i first = _mm_set1_epi8(a);
  const __m128i second = _mm_set1_epi8(b);
  for (; from < end; from += 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
    const int mask = _mm_movemask_epi8(
        _mm_or_si128(_mm_cmpeq_epi8(block, first), _mm_cmpeq_epi8(block, second)));
    if (mask != 0) {
      const char* found = from + __builtin_ctz(static_cast<unsigned>(mask));
      return found < end ? found : end;
    }
  }
  return end;
#else
  while (from < end && *from != a && *from != b) ++from;
  return from < end ? from : end;
#endif
}

}  // namespace korav

#endif  // KORAV_COMMON_BYTE_SCAN_H_
