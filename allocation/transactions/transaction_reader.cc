// Reading a transaction file. What a line's code columns decide (codes,
// messages, group, pool, matching rows, cube cell) is worked out once per
// distinct text of those columns and kept in a PlacementCache.
//
// Lines are taken in batches. Each batch is read in three sweeps: the first
// splits every line, parses its amount and hashes its code columns; the
// second finds (or works out) every line's cached combination; the third
// applies the lines one by one in file order: counts, messages, tallies and
// the cube entry. The first two sweeps touch no tally, so every sum is formed
// in the order of the file, and each sweep tells the processor which memory
// the next one needs, so that the cache misses of many lines overlap instead
// of following one another.
#include <array>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "allocation/model/rounding_bound.h"
#include "allocation/transactions/line_resolution.h"
#include "allocation/transactions/placement_cache.h"
#include "allocation/transactions/transaction_phase.h"
#include "common/excerpt.h"
#include "common/numbers.h"

namespace korav {
namespace {

constexpr int kDumpOption = 5;
constexpr int kTraceOption = 9;

std::string_view TrimTrailingBlanks(std::string_view text) {
  const size_t end = text.find_last_not_of(' ');
  return text.substr(0, end == std::string_view::npos ? 0 : end + 1);
}

class TransactionReader {
 public:
  explicit TransactionReader(Engine& engine)
      : engine_(engine),
        dimensions_(engine.model.dimension_count),
        resolver_(engine),
        plain_(dimensions_),
        quoted_(dimensions_) {}

  // Reads the open transaction file to its end.
  void ReadFile();

 private:
  // A batch ends after this many lines or bytes, whichever comes first.
  static constexpr size_t kBatchLines = 256;
  static constexpr size_t kBatchBytes = size_t{1} << 16;

  // A line of the batch: its text and its code columns' key, both in text_.
  struct Pending {
    size_t line_begin = 0;
    size_t line_size = 0;
    size_t key_begin = 0;
    size_t key_size = 0;
    double amount = 0;
    uint64_t hash = 0;
    int32_t record = 0;
    bool numeric = false;
    bool quoted = false;
    bool too_long = false;  // only the start of the line was kept
  };

  void Prepare(Pending& pending);
  void Place(Pending& pending);
  void Finish(const Pending& pending);

  std::string_view LineOf(const Pending& pending) const {
    return std::string_view(text_).substr(pending.line_begin, pending.line_size);
  }
  std::string_view KeyOf(const Pending& pending) const {
    return std::string_view(text_).substr(pending.key_begin, pending.key_size);
  }
  PlacementCache& CacheOf(const Pending& pending) { return pending.quoted ? quoted_ : plain_; }
  const PlacementCache& CacheOf(const Pending& pending) const {
    return pending.quoted ? quoted_ : plain_;
  }

  // The amount's text and the raw bytes of the code columns of a line
  // without double quotes in them; false for a line that has some.
  bool SplitPlain(std::string_view line, std::string_view& amount, std::string_view& key) const;
  // The code columns of a key from SplitPlain, split as SplitCsv would.
  void SplitKey(std::string_view key, CodeTexts& texts) const;
  void LogFor(std::string_view line, std::string_view text);
  void Apply(PlacementCache& cache, int32_t record, double amount, std::string_view line);
  void StoreInCube(PlacementCache::Record& record, double amount);
  void Trace(int32_t pool, std::string_view line);

  Engine& engine_;
  const int dimensions_;
  LineResolver resolver_;
  // Combinations of lines without quotes by their raw columns, and of quoted
  // lines by their split columns, each column's length before its text.
  PlacementCache plain_;
  PlacementCache quoted_;
  LineOutcome outcome_;
  std::string text_;  // the batch's lines, and the keys of its quoted lines
  std::vector<Pending> batch_;
  int32_t progress_ = 0;
};

bool TransactionReader::SplitPlain(std::string_view line, std::string_view& amount,
                                   std::string_view& key) const {
  const char* const begin = line.data();
  const char* const end = begin + line.size();
  const char* comma = static_cast<const char*>(std::memchr(begin, ',', line.size()));
  if (comma == nullptr) comma = end;
  const char* key_end = comma;
  for (int k = 1; k <= dimensions_ && key_end != end; ++k) {
    const char* next = static_cast<const char*>(
        std::memchr(key_end + 1, ',', static_cast<size_t>(end - key_end - 1)));
    key_end = next == nullptr ? end : next;
  }
  if (std::memchr(begin, '"', static_cast<size_t>(key_end - begin)) != nullptr) return false;
  amount = TrimTrailingBlanks(std::string_view(begin, static_cast<size_t>(comma - begin)));
  key = key_end > comma ? std::string_view(comma + 1, static_cast<size_t>(key_end - comma - 1))
                        : std::string_view();
  return true;
}

void TransactionReader::SplitKey(std::string_view key, CodeTexts& texts) const {
  texts.fill({});
  size_t start = 0;
  for (int k = 1; k <= dimensions_ && start <= key.size(); ++k) {
    size_t comma = key.find(',', start);
    if (comma == std::string_view::npos) comma = key.size();
    texts[static_cast<size_t>(k)] = TrimTrailingBlanks(key.substr(start, comma - start));
    start = comma + 1;
  }
}

void TransactionReader::LogFor(std::string_view line, std::string_view text) {
  // The data line names the record in error lines; only they read it.
  engine_.state.data_line.assign(line);
  engine_.LogLine(text);
}

void TransactionReader::Prepare(Pending& pending) {
  if (pending.too_long) return;
  std::string_view amount_text;
  std::string_view key;
  const std::string_view line = LineOf(pending);
  pending.quoted = !SplitPlain(line, amount_text, key);
  if (pending.quoted) {
    engine_.csv.SplitCsv(line);
    amount_text = engine_.csv[1];
    pending.key_begin = text_.size();
    for (int k = 1; k <= dimensions_; ++k) {
      const std::string_view column = engine_.csv[k + 1];
      const uint32_t length = static_cast<uint32_t>(column.size());
      text_.append(reinterpret_cast<const char*>(&length), sizeof length).append(column);
    }
    pending.key_size = text_.size() - pending.key_begin;
  } else {
    pending.key_begin =
        key.empty() ? pending.line_begin : static_cast<size_t>(key.data() - text_.data());
    pending.key_size = key.size();
  }
  pending.numeric = ParseDouble(amount_text, pending.amount);
  if (!pending.numeric) return;
  pending.hash = HashBytes(KeyOf(pending));
  CacheOf(pending).PrefetchSlot(pending.hash);
}

void TransactionReader::Place(Pending& pending) {
  if (!pending.numeric) return;
  PlacementCache& cache = CacheOf(pending);
  const std::string_view key = KeyOf(pending);
  if (!cache.Find(key, pending.hash, pending.record)) {
    CodeTexts texts{};
    if (pending.quoted) {
      engine_.csv.SplitCsv(LineOf(pending));
      for (int k = 1; k <= dimensions_; ++k) texts[static_cast<size_t>(k)] = engine_.csv[k + 1];
    } else {
      SplitKey(key, texts);
    }
    resolver_.Resolve(texts, outcome_);
    pending.record = cache.Add(key, pending.hash, outcome_);
  }
  const int32_t entry = cache.At(pending.record).entry();
  if (entry >= 0) engine_.cube.PrefetchEntry(entry);
}

void TransactionReader::Finish(const Pending& pending) {
  ++engine_.state.record_number;
  ++engine_.transaction_count;
  if (++progress_ == engine_.state.progress_interval) {
    progress_ = 0;
    engine_.LogLine("MCount " + std::to_string(engine_.state.record_number));
  }
  const std::string_view line = LineOf(pending);
  if (pending.numeric) {
    Apply(CacheOf(pending), pending.record, pending.amount, line);
    return;
  }
  if (pending.too_long) {
    engine_.LogLongLine(line, engine_.state.record_number);
    return;
  }
  std::string_view amount_text;
  std::string_view key;
  if (!SplitPlain(line, amount_text, key)) {
    engine_.csv.SplitCsv(line);
    amount_text = engine_.csv[1];
  }
  LogFor(line, "e202 TX; Value not numeric; Value=" + Excerpt(amount_text));
}

void TransactionReader::ReadFile() {
  engine_.state.data_line.clear();
  std::string_view line;
  bool more = true;
  while (more) {
    text_.clear();
    batch_.clear();
    while (batch_.size() < kBatchLines && text_.size() < kBatchBytes &&
           (more = engine_.data_file.Next(line))) {
      const size_t begin = text_.size();
      // Of a line too long to be read only the start is kept, for its message.
      const bool too_long = engine_.data_file.TooLong();
      if (too_long) {
        AppendExcerpt(text_, line);
      } else {
        text_.append(line);
      }
      Pending& pending = batch_.emplace_back(Pending{begin, text_.size() - begin});
      pending.too_long = too_long;
    }
    // A batch's records must stay where they are until it is applied.
    plain_.MakeRoom();
    quoted_.MakeRoom();
    for (Pending& pending : batch_) Prepare(pending);
    for (const Pending& pending : batch_) {
      if (pending.numeric) CacheOf(pending).PrefetchRecord(pending.hash);
    }
    for (Pending& pending : batch_) Place(pending);
    for (const Pending& pending : batch_) Finish(pending);
    engine_.host.ReadingProgress(engine_.state.record_number, engine_.data_file.Position(),
                                 engine_.data_file.Size());
  }
  engine_.state.data_line.clear();
  engine_.LogLine("IEnd of Transaction File; Nr TX " + std::to_string(engine_.transaction_count));
}

void TransactionReader::Apply(PlacementCache& cache, int32_t record_number, double amount,
                              std::string_view line) {
  ModelTables& model = engine_.model;
  PlacementCache::Record record = cache.At(record_number);
  for (int k = 1; k <= dimensions_; ++k) {
    const int32_t code = record.code(k);
    if (code != 0) ++model.dimensions[static_cast<size_t>(k)].Values[code].TxCount;
  }
  for (int32_t m = 0; m < record.message_count(); ++m) {
    LogFor(line, cache.Message(record.first_message() + m));
  }
  if (!record.accepted()) return;
  if (record.negate()) amount = -amount;

  TmyCPG& group = model.groups[record.group()];
  ++group.TxCount;
  for (int k = 1; k <= dimensions_; ++k) {
    const int32_t code = record.code(k);
    if (code != 0) model.dimensions[static_cast<size_t>(k)].Values[code].TxValue += amount;
  }
  group.Value += amount;
  TmySEL& group_row = model.selections[record.group_row()];
  ++group_row.TxCount;
  group_row.Value += amount;
  TmyCP& pool = model.pools[record.pool()];
  ++pool.TxCount;
  pool.Value += amount;
  CountTransactionAmount(pool, amount);
  TmySEL& pool_row = model.selections[record.pool_row()];
  ++pool_row.TxCount;
  pool_row.Value += amount;
  for (int32_t i = 0; i < record.measure_count(); ++i) {
    TmySEL& selection = model.selections[record.measure_row(i)];
    ++selection.TxCount;
    selection.Value += amount;
  }
  StoreInCube(record, amount);
  Trace(record.pool(), line);
  if (engine_.options.slots[kDumpOption].IsSet) {
    engine_.dump_line.assign(pool.Code).append(",").append(line);
    engine_.report_output.WriteLine(engine_.dump_line);
  }
}

// The first nonzero amount finds or creates the cell as vcAdd does; later
// ones add to its entry directly.
void TransactionReader::StoreInCube(PlacementCache::Record& record, double amount) {
  if (amount == 0.0) return;
  ValueCube& cube = engine_.cube;
  if (record.entry() >= 0) {
    cube.AddToEntry(record.entry(), amount);
    return;
  }
  for (int k = 1; k <= dimensions_; ++k) cube.Code[static_cast<size_t>(k)] = record.code(k);
  cube.vcApplyMapping(engine_.model, engine_.model.groups[record.group()].DimCopyRow);
  cube.vcApplyMapping(engine_.model, engine_.model.pools[record.pool()].DimCopyRow);
  cube.vcComposeKey();
  cube.CurCP = record.pool();
  cube.vcAdd(amount);
  record.set_entry(cube.CurEntry());
}

void TransactionReader::Trace(int32_t pool_number, std::string_view line) {
  const TmyOption& trace = engine_.options.slots[kTraceOption];
  if (!trace.IsSet) return;
  const TmyCP& pool = engine_.model.pools[pool_number];
  if (!trace.Text.empty() && trace.Text != pool.Code) return;
  engine_.log.WriteDirect(JobLog::File::kTrace, "Rec " + std::to_string(engine_.transaction_count) +
                                                    " CP " + pool.Code + " " + Excerpt(line));
  std::string entry;
  engine_.cube.vcIterStart(pool_number);
  while (engine_.cube.vcIterNext(engine_.model, entry) != 0) engine_.LogLine("t  TX " + entry);
}

}  // namespace

void StartTransactionPhase(Engine& engine) {
  if (!engine.options.slots[kDumpOption].IsSet) return;
  engine.report_output.Create(engine.paths.output_directory + "35.csv", engine.host);
  engine.report_output.WriteLine("Transaction Trace Report");
}

void EndTransactionPhase(Engine& engine) {
  if (engine.options.slots[kDumpOption].IsSet) engine.report_output.Close();
}

void ReadTransactions(Engine& engine) {
  TransactionReader reader(engine);
  reader.ReadFile();
}

}  // namespace korav
