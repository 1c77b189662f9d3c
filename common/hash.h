// The hash of every table that finds codes, keys or tuples again: XXH3,
// which reads every byte of its input, so keys that differ anywhere spread
// over the whole table. Its functions are compiled inline into their
// callers, as short keys hash in a few nanoseconds that a call would double.
#ifndef KORAV_COMMON_HASH_H_
#define KORAV_COMMON_HASH_H_

#include <cstdint>
#include <string_view>

#define XXH_INLINE_ALL
#include <xxhash.h>

namespace korav {

// A 64-bit hash of `bytes`; another `seed` gives an independent hash. The
// usual seed 0 takes XXH3's own entry for it, which the compiler folds into
// the caller.
inline uint64_t HashBytes(std::string_view bytes, uint64_t seed = 0) {
  return seed == 0 ? XXH3_64bits(bytes.data(), bytes.size())
                   : XXH3_64bits_withSeed(bytes.data(), bytes.size(), seed);
}

// A 64-bit hash of one word, as HashBytes of its eight bytes.
inline uint64_t HashWord(uint64_t word) { return XXH3_64bits(&word, sizeof word); }

}  // namespace korav

#endif  // KORAV_COMMON_HASH_H_
