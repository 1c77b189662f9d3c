// Reading numbers from record fields.
//
// Model, run and transaction files hold numbers as plain decimal text. These
// helpers are shared by every parser so that one text always reads as the
// same number; they accept the C locale's forms only, whatever the user's
// locale, and never allocate.
#ifndef KORAV_COMMON_NUMBERS_H_
#define KORAV_COMMON_NUMBERS_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace korav {

// Reads the whole of `text` as a decimal integer: optional leading blanks, an
// optional sign, then digits and nothing else. On success sets `value` and
// returns true. On failure (empty text, any other character, or a number out
// of the 32-bit range) returns false and leaves `value` unchanged.
bool ParseInt(std::string_view text, int32_t& value);

// Reads the whole of `text` as a decimal number: optional leading blanks, an
// optional sign, digits with an optional "." fraction and an optional
// exponent. Infinity and NaN spellings, hexadecimal forms and the empty text
// are not numbers. On success sets `value` and returns true; on failure returns
// false and leaves `value` unchanged.
bool ParseDouble(std::string_view text, double& value);

// The integer formed by the leading digits of `text`, after leading blanks and
// an optional sign: "12x" reads 12, " -3a" reads -3. Text that begins with no
// digit reads 0; a number beyond the 32-bit range reads as the nearest limit.
int32_t LeadingInt(std::string_view text);

// ParseInt, with `fallback` when the text is not an integer.
int32_t IntOr(std::string_view text, int32_t fallback);

// The forms below write every digit of any amount ("%.2f" of 1E+70 is 71
// digits and two decimals, of the largest double 309) and always write "."
// as the decimal point, whatever locale a window has set. They read as
// printf's forms of the same name do in the C locale, with two exceptions:
// an amount that is written as zero has no sign ("0.00", never "-0.00"),
// and infinity and NaN are written as kNotFiniteText, which no program
// reading the file takes for a number. The engine never lets such a figure
// into its model; the text is the last line of defence, not a result.
inline constexpr std::string_view kNotFiniteText = "#NUM!";

// `value` in the general number format of logs and reports: the shortest form
// with up to 15 significant digits, an exponent written "E" ("1.5", "1E+20").
std::string FormatGeneral(double value);

// `value` in fixed point with two decimals ("1234.50"): "%.2f".
std::string FormatFixed2(double value);

// Appends `value` in fixed point with `decimals` decimals (0 to 4; others are
// clamped to that range) to `out`, without a string of its own.
void AppendFixed(std::string& out, double value, int decimals);

// Appends `value` in the shortest form that reads back as the same double
// ("0.1", "62062.5", "1e+20"), for tables that other programs read: no
// figure is rounded on its way out. Zero of either sign is "0".
void AppendShortest(std::string& out, double value);

// `value` with `decimals` decimals (0 to 4) and a "," between each group of
// three digits ("-1,234,567.50"), for pages a person reads rather than a
// spreadsheet.
std::string FormatGrouped(double value, int decimals = 2);

// `value` right-aligned in 12 characters with four decimals ("      0.2500"),
// the form of proportions in reports: "%12.4f".
std::string FormatProportion(double value);

// Appends `value` with leading zeros to at least `width` characters, as
// "%0*d" does: 7 with width 3 appends "007", -7 appends "-07".
void AppendZeroPadded(std::string& out, int32_t value, int width);

}  // namespace korav

#endif  // KORAV_COMMON_NUMBERS_H_
