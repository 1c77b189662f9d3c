// Sums of ledger amounts that equal the sums of their decimal texts.
//
// An amount written with at most six decimal places (after any exponent is
// applied) and under 10^32 in magnitude is held as a whole number of
// millionths, and such amounts add without any rounding. Any other amount
// (more decimals, or beyond that size) is added in floating point beside
// them. Value() rounds the exact part once, correctly, and adds the rest; so
// a sum of amounts of six decimals or fewer is the correctly rounded decimal
// sum, whatever the order or number of its terms.
#ifndef KORAV_COMMON_EXACT_SUM_H_
#define KORAV_COMMON_EXACT_SUM_H_

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

namespace korav {

// A signed 128-bit whole number (a GNU type, which __extension__ admits
// under -Wpedantic).
__extension__ typedef __int128 Int128;

// An amount as read: its floating-point value, and when `exact`, the same
// amount in millionths.
struct Amount {
  double value = 0;
  Int128 micros = 0;
  bool exact = false;

  Amount Negated() const { return Amount{-value, -micros, exact}; }
};

// Reads an amount as ParseDouble does (the same texts are numbers, with the
// same `value`) and also its millionths when it has them exactly. False,
// leaving `amount` unchanged, when `text` is no number.
bool ParseAmount(std::string_view text, Amount& amount);
// As ParseAmount, for a text followed by at least 8 readable bytes of the
// same buffer (a transaction batch's are): the usual amount, a sign, up to
// seven digits and up to six decimals, is read a word at a time.
bool ParsePaddedAmount(std::string_view text, Amount& amount);

class ExactSum {
 public:
  void Add(const Amount& amount) {
    if (amount.exact && AddMicros(amount.micros)) return;
    rest_ += amount.value;
  }
  void Add(const ExactSum& other) {
    if (!AddMicros(other.micros_)) rest_ += MicrosToDouble(other.micros_);
    rest_ += other.rest_;
  }
  void Subtract(const ExactSum& other) {
    Int128 difference;
    if (__builtin_sub_overflow(micros_, other.micros_, &difference)) {
      rest_ -= MicrosToDouble(other.micros_);
    } else {
      micros_ = difference;
    }
    rest_ -= other.rest_;
  }

  // The sum, correctly rounded when every term was exact.
  double Value() const {
    return rest_ == 0 ? MicrosToDouble(micros_) : MicrosToDouble(micros_) + rest_;
  }
  // Whether Value() stays finite with `amount` added. Millionths never take
  // it past the largest double: held below 10^38, they are amounts below
  // 10^32, far below half the spacing of doubles there; only an amount added
  // as a double can.
  bool StaysFinite(const Amount& amount) const {
    return amount.exact || std::isfinite(rest_ + amount.value);
  }
  // True when nothing is held beside the exact part.
  bool IsExact() const { return rest_ == 0; }
  Int128 micros() const { return micros_; }

  // The decimal text of the exact part, with six decimals ("-12.500000").
  static std::string MicrosText(Int128 micros);
  // `micros` millionths, correctly rounded to a double.
  static double MicrosToDouble(Int128 micros);

 private:
  // False, adding nothing, when the exact part would overflow.
  bool AddMicros(Int128 micros) {
    Int128 sum;
    if (__builtin_add_overflow(micros_, micros, &sum)) return false;
    micros_ = sum;
    return true;
  }

  Int128 micros_ = 0;
  double rest_ = 0;
};

// `micros` millionths as an amount.
inline Amount MicrosAmount(Int128 micros) {
  return Amount{ExactSum::MicrosToDouble(micros), micros, true};
}

}  // namespace korav

#endif  // KORAV_COMMON_EXACT_SUM_H_
