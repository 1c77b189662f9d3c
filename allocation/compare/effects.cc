#include "allocation/compare/effects.h"

#include <cmath>

#include "common/numbers.h"

namespace korav {

Effect SenderEffect(const SenderFlow& a, const SenderFlow& b) {
  Effect effect;
  effect.cost = (b.allocated - a.allocated) * a.share + (b.variance - a.variance);
  effect.share = b.allocated * (b.share - a.share);
  effect.change = (b.amount + b.variance) - (a.amount + a.variance);
  return effect;
}

std::optional<Cents> CentsOf(double value) {
  if (!std::isfinite(value) || std::fabs(value) >= kLargestPrinted) return std::nullopt;
  // The digits FormatFixed2 prints, so that a figure is the cents that every
  // report shows for it.
  const std::string text = FormatFixed2(value);
  Cents cents = 0;
  for (const char c : text) {
    if (c >= '0' && c <= '9') cents = cents * 10 + (c - '0');
  }
  return text.front() == '-' ? -cents : cents;
}

std::string CentsText(Cents cents) {
  const bool negative = cents < 0;
  if (negative) cents = -cents;
  std::string digits;
  for (; cents > 0 || digits.size() < 3; cents /= 10) {
    digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(cents % 10)));
  }
  digits.insert(digits.size() - 2, ".");
  return negative ? "-" + digits : digits;
}

std::optional<PrintedEffects> PrintEffects(Cents pool_change, const std::vector<Effect>& senders) {
  PrintedEffects printed;
  Cents own = pool_change;
  for (const Effect& effect : senders) {
    const std::optional<Cents> cost = CentsOf(effect.cost);
    const std::optional<Cents> share = CentsOf(effect.share);
    PrintedEffect row;
    if (!cost || !share || __builtin_add_overflow(*cost, *share, &row.change) ||
        __builtin_sub_overflow(own, row.change, &own)) {
      return std::nullopt;
    }
    row.cost = *cost;
    row.share = *share;
    printed.senders.push_back(row);
  }
  printed.own = own;
  return printed;
}

}  // namespace korav
