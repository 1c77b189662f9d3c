// Finding bytes in a text, sixteen bytes at a time.
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

// Sets positions[0..n) to the first n (at most `most`) places of
// `separator` in [begin, end) and returns n, or returns -1 when a `stop`
// byte comes before the last of them (with fewer than `most`, anywhere
// before `end`). Like FindEither it may read up to kScanPadding - 1 bytes
// past `end`.
inline int FindSeparators(const char* begin, const char* end, char separator, char stop, int most,
                          const char** positions) {
  int found = 0;
#if defined(__SSE2__)
  const __m128i separators = _mm_set1_epi8(separator);
  const __m128i stops = _mm_set1_epi8(stop);
  for (const char* block = begin; block < end && found < most; block += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block));
    const unsigned inside = end - block >= 16 ? 0xFFFFu : (1u << (end - block)) - 1;
    unsigned separator_bits =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, separators))) & inside;
    const unsigned stop_bits =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, stops))) & inside;
    while (separator_bits != 0 && found < most) {
      const unsigned bit = static_cast<unsigned>(__builtin_ctz(separator_bits));
      if ((stop_bits & ((1u << bit) - 1)) != 0) return -1;
      positions[found++] = block + bit;
      separator_bits &= separator_bits - 1;
    }
    if (found < most && stop_bits != 0) return -1;
  }
#else
  for (const char* at = begin; at < end && found < most; ++at) {
    if (*at == stop) return -1;
    if (*at == separator) positions[found++] = at;
  }
#endif
  return found;
}

}  // namespace korav

#endif  // KORAV_COMMON_BYTE_SCAN_H_
