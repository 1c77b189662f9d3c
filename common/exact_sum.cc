#include "common/exact_sum.h"

#include <locale.h>
#include <stdlib.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "common/numbers.h"

namespace korav {
namespace {

__extension__ typedef unsigned __int128 UInt128;

constexpr int kMicroDigits = 6;
constexpr int kMostMicroDigits = 38;

constexpr UInt128 PowerOfTen(int n) {
  UInt128 power = 1;
  for (int i = 0; i < n; ++i) power *= 10;
  return power;
}
// Amounts below 10^32 are held in millionths, below 10^38; ExactSum checks
// every addition of them for overflow.
constexpr UInt128 kMicrosLimit = PowerOfTen(kMostMicroDigits);
// Whole numbers up to 2^53 are doubles exactly.
constexpr Int128 kExactIntegers = Int128{1} << 53;
// An exponent beyond this leaves no amount of 38 digits or fewer in range.
constexpr int64_t kExponentCap = 100000;

// A decimal text taken apart: the amount is digits x 10^exponent, negated
// when `negative`. `digits` holds no trailing zeros, so that it is exact in
// millionths exactly when exponent >= -6; `fits` is false when the text had
// more significant digits than 128 bits hold.
struct Decimal {
  bool negative = false;
  bool fits = true;
  UInt128 digits = 0;
  int64_t exponent = 0;
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// digits x 10^zeros + digit, false when it reaches kMicrosLimit.
bool AppendDigit(UInt128& digits, int64_t zeros, int digit) {
  for (int64_t i = 0; i <= zeros; ++i) {
    if (digits > (kMicrosLimit - 1) / 10) return false;
    digits *= 10;
  }
  digits += static_cast<unsigned>(digit);
  return digits < kMicrosLimit;
}

// Reads `text` in ParseDouble's form: leading blanks, a sign, digits with
// an optional point, an optional exponent; false for any other text.
bool ScanDecimal(std::string_view text, Decimal& decimal) {
  size_t i = 0;
  const size_t size = text.size();
  while (i < size && text[i] == ' ') ++i;
  if (i < size && (text[i] == '+' || text[i] == '-')) decimal.negative = text[i++] == '-';
  bool any_digit = false;
  bool point = false;
  int64_t fraction_digits = 0;
  int64_t pending_zeros = 0;  // zeros after the last nonzero digit
  for (; i < size; ++i) {
    const char c = text[i];
    if (c == '.' && !point) {
      point = true;
      continue;
    }
    if (!IsDigit(c)) break;
    any_digit = true;
    if (point) ++fraction_digits;
    if (c == '0') {
      if (decimal.digits != 0) ++pending_zeros;
      continue;
    }
    if (decimal.fits) decimal.fits = AppendDigit(decimal.digits, pending_zeros, c - '0');
    pending_zeros = 0;
  }
  if (!any_digit) return false;
  int64_t exponent = 0;
  if (i < size && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    bool negative = false;
    if (i < size && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == size || !IsDigit(text[i])) return false;
    for (; i < size && IsDigit(text[i]); ++i) {
      if (exponent < kExponentCap) exponent = exponent * 10 + (text[i] - '0');
    }
    if (negative) exponent = -exponent;
  }
  if (i != size) return false;
  decimal.exponent = pending_zeros - fraction_digits + exponent;
  return true;
}

// The millionths of `decimal`, false when it has more than six decimals or
// is 10^32 or more in size.
bool MicrosOf(const Decimal& decimal, Int128& micros) {
  if (decimal.digits == 0) {
    micros = 0;
    return true;
  }
  const int64_t scale = decimal.exponent + kMicroDigits;
  if (!decimal.fits || scale < 0 || scale > kMostMicroDigits) return false;
  UInt128 magnitude = decimal.digits;
  for (int64_t i = 0; i < scale; ++i) {
    if (magnitude > (kMicrosLimit - 1) / 10) return false;
    magnitude *= 10;
  }
  micros = decimal.negative ? -static_cast<Int128>(magnitude) : static_cast<Int128>(magnitude);
  return true;
}

locale_t CLocale() {
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", nullptr);
  return locale;
}

// The common case in 64 bits: at most 18 digits and six decimals, no
// exponent, under 2^53 millionths, whose value one division gives. False
// for any other text, which ScanDecimal then reads.
bool ParseShortAmount(std::string_view text, Amount& amount) {
  const char* next = text.data();
  const char* const end = next + text.size();
  while (next != end && *next == ' ') ++next;
  bool negative = false;
  if (next != end && (*next == '-' || *next == '+')) negative = *next++ == '-';
  uint64_t digits = 0;
  int count = 0;
  int decimals = -1;  // -1 until the point
  for (; next != end; ++next) {
    const char c = *next;
    if (IsDigit(c)) {
      if (++count > 18) return false;
      digits = digits * 10 + static_cast<unsigned>(c - '0');
      if (decimals >= 0) ++decimals;
    } else if (c == '.' && decimals < 0) {
      decimals = 0;
    } else {
      return false;
    }
  }
  if (count == 0 || decimals > kMicroDigits) return false;
  static constexpr std::array<uint64_t, kMicroDigits + 1> kScale{1000000, 100000, 10000, 1000,
                                                                 100,     10,     1};
  uint64_t micros = 0;
  if (__builtin_mul_overflow(digits, kScale[static_cast<size_t>(decimals < 0 ? 0 : decimals)],
                             &micros) ||
      micros >= (uint64_t{1} << 53)) {
    return false;
  }
  const double magnitude = static_cast<double>(micros) / 1e6;
  amount = Amount{negative ? -magnitude : magnitude,
                  negative ? -static_cast<Int128>(micros) : static_cast<Int128>(micros), true};
  return true;
}

// How many of the word's bytes, first byte lowest, are digits before the
// first that is not; 8 when all are. A byte's test is exact while every
// byte before it is a digit, which is all that the count needs.
int LeadingDigits(uint64_t word) {
  constexpr uint64_t kHighNibbles = 0xF0F0F0F0F0F0F0F0ull;
  constexpr uint64_t kDigitNibbles = 0x3030303030303030ull;
  const uint64_t other = ((word & kHighNibbles) ^ kDigitNibbles) |
                         (((word + 0x0606060606060606ull) & kHighNibbles) ^ kDigitNibbles);
  return other == 0 ? 8 : std::countr_zero(other) / 8;
}

// The number that the first `count` (1..8) bytes of the word, all digits,
// write: the digits are moved to the top of the word, behind zero bytes,
// and combined in pairs, fours and eights.
uint64_t DigitsValue(uint64_t word, int count) {
  uint64_t value = word << (8 * (8 - count));
  value = ((value & 0x0F0F0F0F0F0F0F0Full) * 2561) >> 8;
  value = ((value & 0x00FF00FF00FF00FFull) * 6553601) >> 16;
  return ((value & 0x0000FFFF0000FFFFull) * 42949672960001ull) >> 32;
}

uint64_t WordAt(const char* bytes) {
  static_assert(std::endian::native == std::endian::little);
  uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

// ParseShortAmount for a sign, 1 to 7 digits and up to 6 decimals, read a
// word at a time; false for any other text.
bool ParseWordAmount(std::string_view text, Amount& amount) {
  const char* next = text.data();
  size_t size = text.size();
  const bool negative = size != 0 && *next == '-';
  if (size != 0 && (*next == '-' || *next == '+')) {
    ++next;
    --size;
  }
  if (size == 0) return false;
  // Digits that go on past the text belong to what follows it.
  const uint64_t whole_word = WordAt(next);
  const size_t whole = std::min(static_cast<size_t>(LeadingDigits(whole_word)), size);
  if (whole == 0 || whole == 8) return false;
  uint64_t micros = DigitsValue(whole_word, static_cast<int>(whole)) * 1000000;
  if (whole != size) {
    const size_t decimals = size - whole - 1;
    if (next[whole] != '.' || decimals > kMicroDigits) return false;
    if (decimals != 0) {
      const uint64_t fraction_word = WordAt(next + whole + 1);
      if (static_cast<size_t>(LeadingDigits(fraction_word)) < decimals) return false;
      static constexpr std::array<uint64_t, kMicroDigits + 1> kScale{1000000, 100000, 10000, 1000,
                                                                     100,     10,     1};
      micros += DigitsValue(fraction_word, static_cast<int>(decimals)) * kScale[decimals];
    }
  }
  const double magnitude = static_cast<double>(micros) / 1e6;
  amount = Amount{negative ? -magnitude : magnitude,
                  negative ? -static_cast<Int128>(micros) : static_cast<Int128>(micros), true};
  return true;
}

}  // namespace

bool ParsePaddedAmount(std::string_view text, Amount& amount) {
  return ParseWordAmount(text, amount) || ParseAmount(text, amount);
}

bool ParseAmount(std::string_view text, Amount& amount) {
  if (ParseShortAmount(text, amount)) return true;
  Decimal decimal;
  Int128 micros = 0;
  const bool exact = ScanDecimal(text, decimal) && MicrosOf(decimal, micros);
  // Millionths that are a double exactly give the correctly rounded value
  // by one division, as ParseDouble's reading of the text is.
  if (exact && micros > -kExactIntegers && micros < kExactIntegers) {
    const double magnitude =
        static_cast<double>(static_cast<int64_t>(micros < 0 ? -micros : micros)) / 1e6;
    amount = Amount{decimal.negative ? -magnitude : magnitude, micros, true};
    return true;
  }
  double value = 0;
  if (!ParseDouble(text, value)) return false;
  amount = Amount{value, exact ? micros : 0, exact};
  return true;
}

std::string ExactSum::MicrosText(Int128 micros) {
  UInt128 magnitude = micros < 0 ? -static_cast<UInt128>(micros) : static_cast<UInt128>(micros);
  // 39 digits, a point, a sign.
  char text[48];
  char* const end = text + sizeof text;
  char* start = end;
  for (int i = 0; i < kMicroDigits; ++i) {
    *--start = static_cast<char>('0' + static_cast<int>(magnitude % 10));
    magnitude /= 10;
  }
  *--start = '.';
  do {
    *--start = static_cast<char>('0' + static_cast<int>(magnitude % 10));
    magnitude /= 10;
  } while (magnitude != 0);
  if (micros < 0) *--start = '-';
  return std::string(start, end);
}

double ExactSum::MicrosToDouble(Int128 micros) {
  if (micros > -kExactIntegers && micros < kExactIntegers) {
    return static_cast<double>(static_cast<int64_t>(micros)) / 1e6;
  }
  // Dividing a rounded double would round twice; glibc's strtod rounds the
  // exact decimal text once, correctly.
  return strtod_l(MicrosText(micros).c_str(), nullptr, CLocale());
}

}  // namespace korav
