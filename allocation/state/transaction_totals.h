// What the transaction files of a run held, line by line, so that the
// amounts read can be tied to the amounts the pools took and to those left
// out, by message.
#ifndef KORAV_ALLOCATION_STATE_TRANSACTION_TOTALS_H_
#define KORAV_ALLOCATION_STATE_TRANSACTION_TOTALS_H_

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "common/exact_sum.h"
#include "common/numbers.h"

namespace korav {

// Lines and the exact sum of their amounts, each amount as written in the
// file (before a group's sign reversal). A line whose amount is no number
// counts in lines only.
struct AmountTally {
  int64_t lines = 0;
  ExactSum amount;

  void Add(const Amount& line_amount) {
    ++lines;
    amount.Add(line_amount);
  }
  void Add(const AmountTally& other) {
    lines += other.lines;
    amount.Add(other.amount);
  }
};

// The message number as the logs write it: "e204", "e005".
inline std::string RejectionName(int number) {
  std::string name = "e";
  AppendZeroPadded(name, number, 3);
  return name;
}

// One transaction file. Every line read is either accepted or rejected
// under exactly one message number, so read = accepted + the rejected ones.
struct TransactionFileTotals {
  std::string path;  // as the run file named it
  AmountTally read;
  AmountTally accepted;
  // Of the accepted: those whose group reverses the sign (its Flag), and
  // those taken by the generated Not Selected pools.
  AmountTally reversed;
  AmountTally not_selected;
  // By message number (202 amount no number, 204 unknown code, 205 no pool
  // takes the line, 206 a total would not be finite, 5 line too long).
  std::map<int, AmountTally> rejected;

  void Add(const TransactionFileTotals& other);
};

// The files of a run, in the order read.
struct TransactionTotals {
  std::vector<TransactionFileTotals> files;

  // The sum over all files; its path is empty.
  TransactionFileTotals Sum() const {
    TransactionFileTotals sum;
    for (const TransactionFileTotals& file : files) sum.Add(file);
    return sum;
  }
};

inline void TransactionFileTotals::Add(const TransactionFileTotals& other) {
  read.Add(other.read);
  accepted.Add(other.accepted);
  reversed.Add(other.reversed);
  not_selected.Add(other.not_selected);
  for (const auto& [number, tally] : other.rejected) rejected[number].Add(tally);
}

}  // namespace korav

#endif  // KORAV_ALLOCATION_STATE_TRANSACTION_TOTALS_H_
