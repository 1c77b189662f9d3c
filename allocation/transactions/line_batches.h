// Transaction lines read and parsed in batches on threads of their own,
// and handed in file order to the thread that applies them.
//
// The parsing side reads the file, splits each line, parses its amount and,
// for a line without quotes whose codes are all known, packs its code
// numbers into a tuple. It touches nothing but the file and the model's
// code look-up, which no one changes meanwhile; everything a line changes
// (counts, tallies, messages, the cube) is done by the applying side, line
// after line in file order, so every sum is formed in the same order as if
// one thread read the file.
#ifndef KORAV_ALLOCATION_TRANSACTIONS_LINE_BATCHES_H_
#define KORAV_ALLOCATION_TRANSACTIONS_LINE_BATCHES_H_

#include <array>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "allocation/transactions/code_lookup.h"
#include "allocation/transactions/code_tuples.h"
#include "common/exact_sum.h"
#include "common/line_reader.h"

namespace korav {

// One line of a batch.
struct BatchLine {
  enum class Kind : uint8_t {
    kTuple,    // amount and tuple are set
    kGeneral,  // quotes, an unknown code or an amount that is no number
    kTooLong,  // only the start of the line was kept
  };
  // How much of the amount the line holds.
  enum class Precision : uint8_t {
    kDouble,  // `amount` alone
    kMicros,  // `amount`, and `micros` millionths exactly
    kWide,    // exact in millionths beyond 64 bits: read again when applied
  };
  uint32_t begin = 0;  // the line's text in LineBatch::text
  uint32_t size = 0;
  Kind kind = Kind::kGeneral;
  bool quoted = false;   // the general path: the line holds quotes
  bool numeric = false;  // the general path: the amount was a number
  Precision precision = Precision::kDouble;
  double amount = 0;
  int64_t micros = 0;
  uint64_t tuple = 0;
  // The tuple's place (TuplePacking::PlaceOf), or on the general path the
  // hash of the key.
  uint64_t hash = 0;
  // The general path's key in LineBatch::text, and its record.
  uint32_t key_begin = 0;
  uint32_t key_size = 0;
  int32_t record = 0;

  // Keeps `parsed` as the line's amount.
  void SetAmount(const Amount& parsed);
};

struct LineBatch {
  // A batch ends after this many lines or bytes, whichever comes first.
  static constexpr size_t kMostLines = 16384;
  static constexpr size_t kMostBytes = size_t{1} << 20;

  // The lines, one after the other, then kScanPadding bytes that belong to
  // no line.
  std::string text;
  std::vector<BatchLine> lines;
  uint64_t position = 0;  // bytes of the file read up to the batch's end
  bool last = false;      // the file ends with this batch
  std::exception_ptr failure;

  std::string_view LineOf(const BatchLine& line) const {
    return std::string_view(text).substr(line.begin, line.size);
  }
  std::string_view KeyOf(const BatchLine& line) const {
    return std::string_view(text).substr(line.key_begin, line.key_size);
  }
};

// Splits a line without quotes in its code columns: the amount's text and
// the raw bytes of the code columns (as far as the model has dimensions),
// and with `texts` each code column 1..dimensions without trailing blanks,
// as the general splitter would give them (other entries stay as they
// were); false for a line with quotes there. The line
// must be followed by kScanPadding bytes of the same buffer (a batch's lines
// are).
bool SplitPlainLine(std::string_view line, int dimensions, std::string_view& amount,
                    std::string_view& key, CodeTexts* texts = nullptr);

class BatchRing;

// Fills batches from a transaction file on a parsing thread; the parsing
// threads take turns to read the file, batch by batch, and parse what they
// read side by side. A parser reads `codes` and `packing`, which no one
// changes, beside the applying thread, and the file only in its turn.
class BatchParser {
 public:
  BatchParser(LineReader& file, const CodeLookup& codes, const TuplePacking& packing,
              int dimensions)
      : file_(file), codes_(codes), packing_(packing), dimensions_(dimensions) {}

  // A parsing thread's work: fills and publishes batches of `ring` until the
  // file ends, a batch carries a failure to read it, or the applying side
  // stops the ring.
  void FillRing(BatchRing& ring);

 private:
  // Reads the next lines of the file into `batch`, which it empties first.
  void Read(LineBatch& batch);
  void Parse(LineBatch& batch);
  void ParseLine(const LineBatch& batch, BatchLine& line);

  LineReader& file_;
  const CodeLookup& codes_;
  const TuplePacking& packing_;
  const int dimensions_;
  CodeTexts texts_;  // the line's code columns, 1..dimensions_ set per line
};

// A few batches passed round between the parsing threads and the applying
// one, which takes them in the order they were read. A batch belongs to the
// side that acquired it until it publishes or releases it; the counts and
// flags are shared and guarded by the mutex. One parsing thread at a time
// holds the turn to read the file, from Acquire to DoneReading, so that
// batches are read in the order they were acquired.
class BatchRing {
 public:
  // The parsing side: a batch to read the file into, with the turn to read,
  // or nullptr once the applying side stopped or the file was read to its
  // end. DoneReading passes the turn on (`last`: the file ended); Publish
  // hands the batch, parsed, to the applying side.
  LineBatch* Acquire();
  void DoneReading(bool last);
  void Publish(const LineBatch& batch);
  // The applying side: the next batch in file order, waiting for it; then
  // Release it. Stop tells the parsing side to end.
  LineBatch& Next();
  void Release();
  void Stop();

 private:
  // Enough for two parsing threads to work ahead while a batch is applied.
  static constexpr size_t kBatches = 8;
  size_t SlotOf(const LineBatch& batch) const {
    return static_cast<size_t>(&batch - batches_.data());
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::array<LineBatch, kBatches> batches_;
  std::array<bool, kBatches> published_{};
  size_t next_fill_ = 0;  // counts of batches handed to each side
  size_t next_apply_ = 0;
  bool reading_ = false;  // a parsing thread holds the turn to read
  bool read_all_ = false;
  bool stopped_ = false;
};

}  // namespace korav

#endif  // KORAV_ALLOCATION_TRANSACTIONS_LINE_BATCHES_H_
