// Reading a transaction file. Threads of their own read and parse the file
// in batches (see line_batches.h); this thread applies them in file order.
//
// A line whose codes are all known is found again by its packed code tuple
// in a TupleIndex, which gives its class and its cube entry. Every other
// line takes the general path: what its code columns decide (codes,
// messages, class) is worked out once per distinct text of those columns
// and kept in a PlacementCache; an accepted one then adds to the cell of
// its tuple like the others.
//
// Every amount adds to exact sums (transaction_sums.h), from which the
// figures are set once the file is read. Sums in millionths come out the
// same in any order, so they are gathered where that costs least: a class
// keeps the sum of its lines for its group, selection rows and pool, and a
// cell that only its own tuple's lines reach keeps the sum of its lines in
// the tuple's slot for the cell and the values of its codes. Both reach
// their totals when the reader ends or its tables start afresh, so that a
// line touches its slot and its class, not a dozen totals and the cube.
// Amounts not held in millionths add to every total line by line.
//
// Each batch is applied in chunks of a few hundred lines, in sweeps: the
// first prepares the lines of the general path and asks the processor for
// the index slots of the others, the second finds the slots and asks for the
// cell sums they name, the third finds or works out the general path's
// records, and the last applies the lines one by one in file order: counts,
// messages, tallies and the cube. Only the last touches a tally, and the
// cache misses of many lines overlap instead of following one another.
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "allocation/host/run_host.h"
#include "allocation/model/rounding_bound.h"
#include "allocation/transactions/code_lookup.h"
#include "allocation/transactions/code_tuples.h"
#include "allocation/transactions/line_batches.h"
#include "allocation/transactions/line_outcome.h"
#include "allocation/transactions/line_resolution.h"
#include "allocation/transactions/placement_cache.h"
#include "allocation/transactions/transaction_phase.h"
#include "allocation/transactions/transaction_sums.h"
#include "common/exact_sum.h"
#include "common/excerpt.h"
#include "common/hash.h"
#include "common/numbers.h"

namespace korav {
namespace {

// Two threads parse, since a line takes longer to parse than to apply; the
// applying thread waits for them most of the time.
constexpr size_t kParsingThreads = 2;

// Lines of a batch applied in one set of sweeps: enough for their cache
// misses to overlap, few enough for what the sweeps fetch to stay cached.
constexpr size_t kChunkLines = 256;

// The message numbers under which lines are rejected: amount no number,
// unknown code, no pool, a total not finite, line too long.
constexpr std::array<int, 5> kRejections{202, 204, 205, 206, 5};

class TransactionReader {
 public:
  TransactionReader(Engine& engine, const TransactionLimits& limits)
      : engine_(engine),
        dimensions_(engine.model.dimension_count),
        codes_(engine),
        packing_(engine.model, 2 * limits.tuples),
        resolver_(engine, codes_, limits.placements),
        classes_(limits.classes),
        tuples_(limits.tuples, packing_),
        plain_(dimensions_, limits.cache_bytes),
        quoted_(dimensions_, limits.cache_bytes),
        cells_(engine.cell_sums),
        traced_(engine.options.slots[kTraceTransactionsOption].IsSet) {
    if (cells_.Released()) ResumeTransactionSums(engine);
    totals_.path = engine.state.data_name;
    for (size_t i = 0; i < kRejections.size(); ++i) rejected_[i].first = kRejections[i];
  }

  // Sets the figures from their sums and keeps the file's totals, however
  // it ends.
  ~TransactionReader() {
    StoreKept();
    StoreTransactionSums(engine_);
    StoreTotals();
  }

  // Reads the open transaction file to its end.
  void ReadFile();

 private:
  void ApplyBatch(LineBatch& batch);
  void MakeRoom();

  // The general path.
  void Prepare(LineBatch& batch, BatchLine& line);
  void Place(LineBatch& batch, BatchLine& line);
  void Finish(const LineBatch& batch, const BatchLine& line, const Amount& amount);
  PlacementCache& CacheOf(const BatchLine& line) { return line.quoted ? quoted_ : plain_; }
  void ApplyRecord(PlacementCache& cache, int32_t record, const Amount& amount,
                   std::string_view line);

  // The tuple path.
  // Asks for the sum of the line's cell when its slot does not keep it.
  void PrefetchCell(const BatchLine& line);
  // False when the tuple's lines take the general path.
  bool ApplyTuple(const BatchLine& line, const Amount& amount, std::string_view text);

  // The line's amount as written; zero for one that is no number.
  Amount AmountOf(const LineBatch& batch, const BatchLine& line);
  // The text of the line's amount column.
  std::string_view AmountText(std::string_view line);

  int32_t ClassOf(const LineOutcome& outcome);
  // Adds what the slots and the classes kept to the totals.
  void StoreKept();
  void CountLine();
  void CountCodes(const CodeNumbers& codes);
  // `written` is the amount as the line gives it, before the class negates it.
  void ApplyAccepted(const CodeNumbers& codes, int32_t class_number, TupleIndex::Slot& cell,
                     const Amount& written, std::string_view line);
  // For an amount not held in millionths; one that is cannot take a total
  // past the largest double (ExactSum::StaysFinite).
  bool TotalsStayFinite(const CodeNumbers& codes, const LineClass& line_class,
                        const Amount& amount) const;
  void CreateCell(const CodeNumbers& codes, const LineClass& line_class, TupleIndex::Slot& cell,
                  double amount);
  // Adds the amount to the millionths the cell's slot keeps; false when it
  // is not held in millionths or they would overflow.
  static bool KeepInSlot(TupleIndex::Slot& cell, const Amount& amount);
  // Adds accepted lines, their amounts as the class applies them, to its
  // group, selection rows and pool, and to the file's totals.
  void AddToClass(const LineClass& line_class, const AmountTally& applied);
  // Adds an amount of the class's lines to the values of `codes` and to the
  // cell, cube entry `entry` (-1 while it has none).
  void AddToCell(const CodeNumbers& codes, const LineClass& line_class, int32_t entry,
                 const Amount& amount);
  // Tallies a line rejected under message `message` (kRejections).
  void Reject(int message, const Amount& written);
  void StoreTotals();
  void LogFor(std::string_view line, std::string_view text);
  void Trace(int32_t pool, std::string_view line);

  // The parsing threads read engine_.data_file, dimensions_, codes_ and
  // packing_ (through the BatchParser each makes) and nothing else of the
  // reader; every other member, and the rest of the engine, belongs to the
  // applying thread.
  Engine& engine_;
  const int dimensions_;        // immutable after construction
  const CodeLookup codes_;      // immutable after construction; both threads
  const TuplePacking packing_;  // immutable after construction; both threads
  // The rest: applying thread only.
  LineResolver resolver_;
  LineClasses classes_;
  TupleIndex tuples_;
  // Combinations of lines without quotes by their raw columns, and of quoted
  // lines by their split columns, each column's length before its text.
  PlacementCache plain_;
  PlacementCache quoted_;
  LineOutcome outcome_;
  CellSums& cells_;
  // Lines traced list their pool's cells, whose figures are then kept up to
  // date line by line.
  const bool traced_;
  // The file's tallies; the rejected ones by message number, moved into
  // totals_ at the end.
  TransactionFileTotals totals_;
  std::array<std::pair<int, AmountTally>, kRejections.size()> rejected_;
  // By class number: the class's lines whose amounts are held in millionths,
  // added to its totals when the classes start afresh or the reader ends.
  std::vector<AmountTally> class_tallies_;
  int32_t progress_ = 0;
};

void TransactionReader::LogFor(std::string_view line, std::string_view text) {
  // The data line names the record in error lines; only they read it.
  engine_.state.data_line.assign(line);
  engine_.LogLine(text);
}

void TransactionReader::Prepare(LineBatch& batch, BatchLine& line) {
  std::string_view amount_text;
  std::string_view key;
  const std::string_view text = batch.LineOf(line);
  if (line.quoted) {
    engine_.csv.SplitCsv(text);
    amount_text = engine_.csv[1];
    line.key_begin = static_cast<uint32_t>(batch.text.size());
    for (int k = 1; k <= dimensions_; ++k) {
      const std::string_view column = engine_.csv[k + 1];
      const uint32_t length = static_cast<uint32_t>(column.size());
      batch.text.append(reinterpret_cast<const char*>(&length), sizeof length).append(column);
    }
    line.key_size = static_cast<uint32_t>(batch.text.size() - line.key_begin);
  } else {
    SplitPlainLine(text, dimensions_, amount_text, key);
    line.key_begin =
        key.empty() ? line.begin : static_cast<uint32_t>(key.data() - batch.text.data());
    line.key_size = static_cast<uint32_t>(key.size());
  }
  Amount amount;
  line.numeric = ParseAmount(amount_text, amount);
  if (!line.numeric) return;
  line.SetAmount(amount);
  line.hash = HashBytes(batch.KeyOf(line));
  CacheOf(line).PrefetchSlot(line.hash);
}

void TransactionReader::Place(LineBatch& batch, BatchLine& line) {
  if (!line.numeric) return;
  PlacementCache& cache = CacheOf(line);
  const std::string_view key = batch.KeyOf(line);
  if (!cache.Find(key, line.hash, line.record)) {
    CodeTexts texts{};
    if (line.quoted) {
      engine_.csv.SplitCsv(batch.LineOf(line));
      for (int k = 1; k <= dimensions_; ++k) texts[static_cast<size_t>(k)] = engine_.csv[k + 1];
    } else {
      std::string_view amount_text;
      std::string_view columns;
      SplitPlainLine(batch.LineOf(line), dimensions_, amount_text, columns, &texts);
    }
    resolver_.Resolve(texts, outcome_);
    line.record = cache.Add(key, line.hash, outcome_, outcome_.accepted ? ClassOf(outcome_) : -1);
  }
}

void TransactionReader::Finish(const LineBatch& batch, const BatchLine& line,
                               const Amount& amount) {
  const std::string_view text = batch.LineOf(line);
  if (line.numeric) {
    ApplyRecord(CacheOf(line), line.record, amount, text);
    return;
  }
  if (line.kind == BatchLine::Kind::kTooLong) {
    engine_.LogLongLine(text, engine_.state.record_number);
    Reject(5, amount);
    return;
  }
  LogFor(text, "e202 TX; Value not numeric; Value=" + Excerpt(AmountText(text)));
  Reject(202, amount);
}

std::string_view TransactionReader::AmountText(std::string_view line) {
  std::string_view amount_text;
  std::string_view key;
  if (SplitPlainLine(line, dimensions_, amount_text, key)) return amount_text;
  engine_.csv.SplitCsv(line);
  return engine_.csv[1];
}

Amount TransactionReader::AmountOf(const LineBatch& batch, const BatchLine& line) {
  if (line.kind != BatchLine::Kind::kTuple && !line.numeric) return Amount{};
  switch (line.precision) {
    case BatchLine::Precision::kMicros:
      return Amount{line.amount, line.micros, true};
    case BatchLine::Precision::kDouble:
      return Amount{line.amount, 0, false};
    case BatchLine::Precision::kWide:
      break;
  }
  Amount amount;
  ParseAmount(AmountText(batch.LineOf(line)), amount);
  return amount;
}

void TransactionReader::PrefetchCell(const BatchLine& line) {
  const TupleIndex::Slot* slot = tuples_.Find(line.tuple, line.hash);
  if (slot == nullptr || slot->entry < 0 || classes_[slot->line_class].owns_cell) return;
  cells_.Prefetch(slot->entry);
}

int32_t TransactionReader::ClassOf(const LineOutcome& outcome) {
  // Lines traced list the cube after each line, so it must be up to date.
  const bool owns_cell = packing_.Usable() && !traced_ &&
                         engine_.model.groups[outcome.group].DimCopyRow == 0 &&
                         engine_.model.pools[outcome.pool].DimCopyRow == 0;
  const int32_t number =
      classes_.Intern(outcome, owns_cell, engine_.model.pools[outcome.pool].NotSelected);
  if (static_cast<size_t>(number) >= class_tallies_.size()) {
    class_tallies_.resize(static_cast<size_t>(number) + 1);
  }
  return number;
}

// Only a slot whose class owns its cell keeps millionths.
void TransactionReader::StoreKept() {
  cells_.Cover(engine_.cube.EntryCount());
  tuples_.ForEachTuple([this](uint64_t tuple, TupleIndex::Slot& slot) {
    if (slot.micros == 0) return;
    CodeNumbers codes;
    packing_.Unpack(tuple, codes);
    AddToCell(codes, classes_[slot.line_class], slot.entry, MicrosAmount(slot.micros));
    slot.micros = 0;
  });
  for (size_t number = 0; number < class_tallies_.size(); ++number) {
    AmountTally& tally = class_tallies_[number];
    if (tally.lines == 0) continue;
    AddToClass(classes_[static_cast<int32_t>(number)], tally);
    tally = AmountTally{};
  }
}

void TransactionReader::Reject(int message, const Amount& written) {
  for (auto& [number, tally] : rejected_) {
    if (number == message) tally.Add(written);
  }
}

void TransactionReader::StoreTotals() {
  for (const auto& [number, tally] : rejected_) {
    if (tally.lines != 0) totals_.rejected[number] = tally;
  }
  engine_.transaction_totals.files.push_back(std::move(totals_));
}

bool TransactionReader::ApplyTuple(const BatchLine& line, const Amount& amount,
                                   std::string_view text) {
  TupleIndex::Slot* slot = tuples_.Find(line.tuple, line.hash);
  if (slot == nullptr) {
    outcome_.Clear();
    packing_.Unpack(line.tuple, outcome_.codes);
    resolver_.PlaceKnownCodes(outcome_);
    slot = &tuples_.Add(line.tuple, line.hash,
                        outcome_.accepted ? ClassOf(outcome_) : TupleIndex::kNotAccepted);
  }
  if (slot->line_class == TupleIndex::kNotAccepted) return false;
  CodeNumbers codes;
  packing_.Unpack(line.tuple, codes);
  CountCodes(codes);
  ApplyAccepted(codes, slot->line_class, *slot, amount, text);
  return true;
}

// A run counts its lines, and each pool, selection row and code its own, in
// 32 bits: the line after the last that can be counted stops the run rather
// than count on from a negative number.
void TransactionReader::CountLine() {
  if (engine_.transaction_count == std::numeric_limits<int32_t>::max()) {
    throw RunAborted("Transactions: more than " + std::to_string(engine_.transaction_count) +
                     " lines in one run cannot be counted; File=" + engine_.state.data_name +
                     " Line=" + std::to_string(int64_t{engine_.state.record_number} + 1) +
                     "; sum the ledger by tuple of codes first (scripts/preaggregate.py) or "
                     "split it over several runs");
  }
  ++engine_.state.record_number;
  ++engine_.transaction_count;
  if (++progress_ == engine_.state.progress_interval) {
    progress_ = 0;
    engine_.LogLine("MCount " + std::to_string(engine_.state.record_number));
  }
}

void TransactionReader::CountCodes(const CodeNumbers& codes) {
  for (int k = 1; k <= dimensions_; ++k) {
    const int32_t code = codes[static_cast<size_t>(k)];
    if (code != 0) ++engine_.model.dimensions[static_cast<size_t>(k)].Values[code].TxCount;
  }
}

// The tables only grow between chunks, so that the records and slots a
// chunk found stay where they are until it is applied; they start afresh
// together, since the caches keep class numbers.
void TransactionReader::MakeRoom() {
  if (!plain_.Full() && !quoted_.Full() && !tuples_.Full() && !classes_.Full()) return;
  StoreKept();
  plain_.Clear();
  quoted_.Clear();
  tuples_.Clear();
  classes_.Clear();
  class_tallies_.clear();
}

void TransactionReader::ApplyBatch(LineBatch& batch) {
  for (size_t first = 0; first < batch.lines.size(); first += kChunkLines) {
    const size_t last = std::min(batch.lines.size(), first + kChunkLines);
    MakeRoom();
    for (size_t i = first; i < last; ++i) {
      BatchLine& line = batch.lines[i];
      if (line.kind == BatchLine::Kind::kTuple) {
        tuples_.Prefetch(line.hash);
      } else if (line.kind == BatchLine::Kind::kGeneral) {
        Prepare(batch, line);
      }
    }
    for (size_t i = first; i < last; ++i) {
      BatchLine& line = batch.lines[i];
      if (line.kind == BatchLine::Kind::kTuple) {
        PrefetchCell(line);
      } else if (line.numeric) {
        CacheOf(line).PrefetchRecord(line.hash);
      }
    }
    for (size_t i = first; i < last; ++i) {
      BatchLine& line = batch.lines[i];
      if (line.kind == BatchLine::Kind::kGeneral) Place(batch, line);
    }
    for (size_t i = first; i < last; ++i) {
      BatchLine& line = batch.lines[i];
      CountLine();
      const Amount amount = AmountOf(batch, line);
      totals_.read.Add(amount);
      if (line.kind == BatchLine::Kind::kTuple) {
        if (ApplyTuple(line, amount, batch.LineOf(line))) continue;
        // A tuple that no pool takes: the general path gives its messages.
        line.kind = BatchLine::Kind::kGeneral;
        Prepare(batch, line);
        Place(batch, line);
      }
      Finish(batch, line, amount);
    }
  }
}

void TransactionReader::ReadFile() {
  engine_.state.data_line.clear();
  BatchRing ring;
  // Until the threads are joined, data_file is the parsers' alone. Each
  // parser lives on its thread's stack, away from what this thread writes
  // line by line.
  std::array<std::thread, kParsingThreads> parsing;
  // The parsing threads end however this one leaves.
  struct Join {
    BatchRing& ring;
    std::array<std::thread, kParsingThreads>& threads;
    ~Join() {
      ring.Stop();
      for (std::thread& thread : threads) {
        if (thread.joinable()) thread.join();
      }
    }
  } join{ring, parsing};
  for (std::thread& thread : parsing) {
    thread = std::thread([this, &ring] {
      BatchParser parser(engine_.data_file, codes_, packing_, dimensions_);
      parser.FillRing(ring);
    });
  }
  for (bool more = true; more;) {
    LineBatch& batch = ring.Next();
    if (batch.failure) std::rethrow_exception(batch.failure);
    engine_.CheckStop();
    ApplyBatch(batch);
    more = !batch.last;
    engine_.host.ReadingProgress(engine_.state.record_number, batch.position,
                                 engine_.data_file.Size());
    ring.Release();
  }
  engine_.state.data_line.clear();
  engine_.LogLine("IEnd of Transaction File; Nr TX " + std::to_string(engine_.transaction_count));
}

void TransactionReader::ApplyRecord(PlacementCache& cache, int32_t record_number,
                                    const Amount& amount, std::string_view line) {
  PlacementCache::Record record = cache.At(record_number);
  CodeNumbers codes{};
  for (int k = 1; k <= dimensions_; ++k) codes[static_cast<size_t>(k)] = record.code(k);
  CountCodes(codes);
  for (int32_t m = 0; m < record.message_count(); ++m) {
    LogFor(line, cache.Message(record.first_message() + m));
  }
  if (record.line_class() < 0) {
    Reject(record.rejection(), amount);
    return;
  }
  if (!packing_.Usable()) {
    TupleIndex::Slot cell{record.line_class(), record.entry(), 0};
    ApplyAccepted(codes, record.line_class(), cell, amount, line);
    record.entry() = cell.entry;
    return;
  }
  // The cell is its tuple's, which other lines may reach by the tuple path.
  const uint64_t tuple = packing_.Pack(codes);
  const uint64_t place = packing_.PlaceOf(codes, tuple);
  TupleIndex::Slot* cell = tuples_.Find(tuple, place);
  if (cell == nullptr) cell = &tuples_.Add(tuple, place, record.line_class());
  ApplyAccepted(codes, record.line_class(), *cell, amount, line);
}

void TransactionReader::ApplyAccepted(const CodeNumbers& codes, int32_t class_number,
                                      TupleIndex::Slot& cell, const Amount& written,
                                      std::string_view line) {
  const LineClass& line_class = classes_[class_number];
  const Amount amount = line_class.negate ? written.Negated() : written;
  if (!amount.exact && !TotalsStayFinite(codes, line_class, amount)) {
    LogFor(line, "e206 TX; Value too large, a total would not be finite; CP=" +
                     engine_.model.pools[line_class.pool].Code +
                     " Value=" + FormatGeneral(written.value));
    Reject(206, written);
    return;
  }
  if (amount.value != 0.0 && cell.entry < 0) CreateCell(codes, line_class, cell, amount.value);
  if (amount.exact) {
    class_tallies_[static_cast<size_t>(class_number)].Add(amount);
  } else {
    AmountTally one;
    one.Add(amount);
    AddToClass(line_class, one);
  }
  if (!line_class.owns_cell || !KeepInSlot(cell, amount)) {
    AddToCell(codes, line_class, cell.entry, amount);
  }
  Trace(line_class.pool, line);
  if (engine_.options.slots[kDumpOption].IsSet) {
    engine_.dump_line.assign(engine_.model.pools[line_class.pool].Code).append(",").append(line);
    engine_.report_output.WriteLine(engine_.dump_line);
  }
}

bool TransactionReader::KeepInSlot(TupleIndex::Slot& cell, const Amount& amount) {
  int64_t micros = 0;
  if (!amount.exact || amount.micros != static_cast<int64_t>(amount.micros) ||
      __builtin_add_overflow(cell.micros, static_cast<int64_t>(amount.micros), &micros)) {
    return false;
  }
  cell.micros = micros;
  return true;
}

void TransactionReader::AddToClass(const LineClass& line_class, const AmountTally& applied) {
  ModelTables& model = engine_.model;
  const auto lines = static_cast<int32_t>(applied.lines);
  for (const int32_t row : {line_class.group_row, line_class.pool_row}) {
    model.selections[row].TxCount += lines;
    model.selections[row].TxSum.Add(applied.amount);
  }
  for (const int32_t row : classes_.MeasureRows(line_class)) {
    model.selections[row].TxCount += lines;
    model.selections[row].TxSum.Add(applied.amount);
  }
  TmyCPG& group = model.groups[line_class.group];
  group.TxCount += lines;
  group.TxSum.Add(applied.amount);
  TmyCP& pool = model.pools[line_class.pool];
  pool.TxCount += lines;
  pool.TxSum.Add(applied.amount);
  AmountTally written = applied;
  if (line_class.negate) {
    written.amount = ExactSum();
    written.amount.Subtract(applied.amount);
    totals_.reversed.Add(written);
  }
  if (line_class.not_selected) totals_.not_selected.Add(written);
  totals_.accepted.Add(written);
}

void TransactionReader::AddToCell(const CodeNumbers& codes, const LineClass& line_class,
                                  int32_t entry, const Amount& amount) {
  ModelTables& model = engine_.model;
  for (int k = 1; k <= dimensions_; ++k) {
    const int32_t code = codes[static_cast<size_t>(k)];
    if (code != 0) model.dimensions[static_cast<size_t>(k)].Values[code].TxSum.Add(amount);
  }
  CountTransactionAmount(model.pools[line_class.pool], amount.value);
  if (entry < 0 || amount.value == 0.0) return;
  cells_.Add(entry, amount);
  if (traced_) engine_.cube.SetEntryValue(entry, cells_.Value(entry));
}

// The pool's value, its cells and its selection row stay finite with its
// summed magnitude (rounding_bound.h); the others gather lines of several
// pools, so each is tried.
bool TransactionReader::TotalsStayFinite(const CodeNumbers& codes, const LineClass& line_class,
                                         const Amount& amount) const {
  const ModelTables& model = engine_.model;
  if (!StaysFinite(model.pools[line_class.pool], std::fabs(amount.value)) ||
      !model.groups[line_class.group].TxSum.StaysFinite(amount) ||
      !model.selections[line_class.group_row].TxSum.StaysFinite(amount)) {
    return false;
  }
  for (int k = 1; k <= dimensions_; ++k) {
    const int32_t code = codes[static_cast<size_t>(k)];
    if (code != 0 &&
        !model.dimensions[static_cast<size_t>(k)].Values[code].TxSum.StaysFinite(amount)) {
      return false;
    }
  }
  for (const int32_t row : classes_.MeasureRows(line_class)) {
    if (!model.selections[row].TxSum.StaysFinite(amount)) return false;
  }
  return true;
}

// The first nonzero amount finds or creates the cell as vcAdd does.
void TransactionReader::CreateCell(const CodeNumbers& codes, const LineClass& line_class,
                                   TupleIndex::Slot& cell, double amount) {
  ValueCube& cube = engine_.cube;
  for (int k = 1; k <= dimensions_; ++k) {
    cube.Code[static_cast<size_t>(k)] = codes[static_cast<size_t>(k)];
  }
  cube.vcApplyMapping(engine_.model, engine_.model.groups[line_class.group].DimCopyRow);
  cube.vcApplyMapping(engine_.model, engine_.model.pools[line_class.pool].DimCopyRow);
  cube.vcComposeKey();
  cube.CurCP = line_class.pool;
  cube.vcAdd(amount);
  cell.entry = cube.CurEntry();
}

void TransactionReader::Trace(int32_t pool_number, std::string_view line) {
  const TmyOption& trace = engine_.options.slots[kTraceTransactionsOption];
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
  const std::string refusal = engine.report_output.Create(
      engine.output_folder, kDumpName, OutputFile::Mode::kWhenComplete, engine.host);
  if (!refusal.empty()) {
    engine.LogLine("e405 TX; Output file name not valid, " + refusal + "; Name=" + kDumpName);
    return;
  }
  engine.report_output.WriteLine("Transaction Trace Report");
}

void EndTransactionPhase(Engine& engine) {
  // The figures hold the sums; the allocation adds to the figures alone.
  engine.cell_sums.Release();
  if (!engine.report_output.IsOpen()) return;
  const std::optional<FileIdentity> dump = engine.report_output.identity();
  ClosedFile closed = engine.report_output.Close();
  // Neither read back as transactions nor replaced by a report.
  engine.files.AddWritten(*dump, kDumpReport, std::move(closed));
  engine.files.AddInput(engine.output_folder.path() + kDumpName);
}

void ReadTransactions(Engine& engine, const TransactionLimits& limits) {
  TransactionReader reader(engine, limits);
  reader.ReadFile();
}

}  // namespace korav
