#include "allocation/transactions/line_batches.h"

#include <array>
#include <limits>

#include "common/byte_scan.h"
#include "common/excerpt.h"

namespace korav {
namespace {

std::string_view TrimTrailingBlanks(const char* begin, const char* end) {
  while (end != begin && end[-1] == ' ') --end;
  return std::string_view(begin, static_cast<size_t>(end - begin));
}

}  // namespace

void BatchLine::SetAmount(const Amount& parsed) {
  amount = parsed.value;
  micros = static_cast<int64_t>(parsed.micros);
  if (!parsed.exact) {
    precision = Precision::kDouble;
  } else if (parsed.micros >= std::numeric_limits<int64_t>::min() &&
             parsed.micros <= std::numeric_limits<int64_t>::max()) {
    precision = Precision::kMicros;
  } else {
    precision = Precision::kWide;
  }
}

bool SplitPlainLine(std::string_view line, int dimensions, std::string_view& amount,
                    std::string_view& key, CodeTexts* texts) {
  const char* const begin = line.data();
  const char* const end = begin + line.size();
  // The commas after the amount and after each code column; a quote before
  // the end of the last code column sends the line to the general splitter.
  std::array<const char*, kMaxDimensions + 1> commas;
  const int found = FindSeparators(begin, end, ',', '"', dimensions + 1, commas.data());
  if (found < 0) return false;
  const auto column_end = [&](int c) { return c < found ? commas[static_cast<size_t>(c)] : end; };
  if (texts != nullptr) {
    // Only the dimensions' entries are set: clearing the whole array line by
    // line costs more than the look-ups that follow.
    for (int k = 1; k <= dimensions; ++k) {
      (*texts)[static_cast<size_t>(k)] =
          k < found + 1 ? TrimTrailingBlanks(commas[static_cast<size_t>(k - 1)] + 1, column_end(k))
                        : std::string_view();
    }
  }
  const char* const comma = column_end(0);
  const char* const key_end = column_end(dimensions);
  amount = TrimTrailingBlanks(begin, comma);
  key = key_end > comma ? std::string_view(comma + 1, static_cast<size_t>(key_end - comma - 1))
                        : std::string_view();
  return true;
}

void BatchParser::ParseLine(const LineBatch& batch, BatchLine& line) {
  std::string_view amount_text;
  std::string_view key;
  CodeTexts& texts = texts_;
  if (!SplitPlainLine(batch.LineOf(line), dimensions_, amount_text, key, &texts)) {
    line.quoted = true;
    return;
  }
  Amount amount;
  if (!ParsePaddedAmount(amount_text, amount)) return;
  line.SetAmount(amount);
  if (!packing_.Usable()) return;
  CodeNumbers codes;
  if (!codes_.ResolvePadded(texts, codes)) return;
  line.kind = BatchLine::Kind::kTuple;
  line.tuple = packing_.Pack(codes);
  line.hash = packing_.PlaceOf(codes, line.tuple);
}

void BatchParser::Read(LineBatch& batch) {
  batch.text.clear();
  batch.lines.clear();
  batch.last = false;
  std::string_view text;
  while (batch.lines.size() < LineBatch::kMostLines && batch.text.size() < LineBatch::kMostBytes) {
    if (!file_.Next(text)) {
      batch.last = true;
      break;
    }
    const size_t begin = batch.text.size();
    BatchLine& line = batch.lines.emplace_back();
    // Of a line too long to be read only the start is kept, for its message.
    if (file_.TooLong()) {
      AppendExcerpt(batch.text, text);
      line.kind = BatchLine::Kind::kTooLong;
    } else {
      batch.text.append(text);
    }
    line.begin = static_cast<uint32_t>(begin);
    line.size = static_cast<uint32_t>(batch.text.size() - begin);
  }
  batch.text.append(kScanPadding, '\0');
  batch.position = file_.Position();
}

void BatchParser::Parse(LineBatch& batch) {
  for (BatchLine& line : batch.lines) {
    if (line.kind != BatchLine::Kind::kTooLong) ParseLine(batch, line);
  }
}

void BatchParser::FillRing(BatchRing& ring) {
  for (;;) {
    LineBatch* batch = ring.Acquire();
    if (batch == nullptr) return;
    batch->failure = nullptr;
    bool read = false;
    try {
      Read(*batch);
      read = true;
      ring.DoneReading(batch->last);
      Parse(*batch);
    } catch (...) {
      batch->failure = std::current_exception();
      batch->last = true;
      if (!read) ring.DoneReading(true);
    }
    ring.Publish(*batch);
  }
}

LineBatch* BatchRing::Acquire() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] {
    return stopped_ || read_all_ || (!reading_ && next_fill_ - next_apply_ < kBatches);
  });
  if (stopped_ || read_all_) return nullptr;
  reading_ = true;
  return &batches_[next_fill_++ % kBatches];
}

void BatchRing::DoneReading(bool last) {
  {
    std::lock_guard lock(mutex_);
    reading_ = false;
    read_all_ = read_all_ || last;
  }
  changed_.notify_all();
}

void BatchRing::Publish(const LineBatch& batch) {
  {
    std::lock_guard lock(mutex_);
    published_[SlotOf(batch)] = true;
  }
  changed_.notify_all();
}

LineBatch& BatchRing::Next() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return published_[next_apply_ % kBatches]; });
  return batches_[next_apply_ % kBatches];
}

void BatchRing::Release() {
  {
    std::lock_guard lock(mutex_);
    published_[next_apply_ % kBatches] = false;
    ++next_apply_;
  }
  changed_.notify_all();
}

void BatchRing::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopped_ = true;
  }
  changed_.notify_all();
}

}  // namespace korav
