#include "allocation/log/job_log.h"

#include <cctype>

#include "common/excerpt.h"

namespace korav {

void MessageCounts::Count(std::string_view text) {
  const char letter = text.empty() ? ' ' : text.front();
  const bool is_error = letter == 'e' || letter == 'E' || letter == 'f' || letter == 'F';
  if (!is_error && letter != 'w' && letter != 'W') return;
  ++(is_error ? errors : warnings);
  // Message numbers have three digits; a longer run of digits is no number
  // of ours, and keeping the key short keeps it off the heap.
  constexpr size_t kMostDigits = 6;
  size_t end = 1;
  while (end < text.size() && end <= kMostDigits &&
         std::isdigit(static_cast<unsigned char>(text[end])) != 0) {
    ++end;
  }
  ++by_message[std::string(text.substr(0, end))];
}

std::array<std::string, 2> JobLog::Paths(const std::string& directory, std::string_view suffix) {
  return {directory + ".JobandTrace" + std::string(suffix) + ".csv",
          directory + ".Job" + std::string(suffix) + ".csv"};
}

void JobLog::Open(const OutputFolder& folder, std::string_view suffix) {
  const std::array<std::string, 2> names = Paths("", suffix);
  // A log that cannot be written is tried first, so that a refusal leaves
  // the other log as it was.
  std::array<size_t, 2> order{0, 1};
  if (!folder.Place(names[1]).usable()) order = {1, 0};
  for (const size_t which : order) {
    OutputFile& file = which == 0 ? trace_ : job_;
    const std::string refusal =
        file.Create(folder, names[which], OutputFile::Mode::kInPlace, host_);
    if (!refusal.empty()) {
      trace_.Discard();
      job_.Discard();
      throw RunAborted("Output File " + folder.path() + names[which] +
                       " cannot be written: " + refusal);
    }
  }
  own_ = MessageCounts{};
}

void JobLog::Close() {
  // Both are closed even when the first fails; the first failure is told.
  try {
    trace_.Close();
  } catch (const RunAborted&) {
    job_.Discard();
    throw;
  }
  job_.Close();
}

// The line is: prefix, blank, the text with its letter blanked, blank, suffix.
// The prefix is the time of day for letters that are their own upper case
// (upper-case letters, digits, signs), "  >>>>,," for errors, else 7 blanks.
const std::string& JobLog::FormatLine(std::string_view text, std::string_view data_line,
                                      int32_t record_number) {
  const char letter = text.empty() ? ' ' : text.front();
  const bool is_error = letter == 'e' || letter == 'E';
  line_.clear();
  if (is_error) {
    line_ = "  >>>>,,";
  } else if (std::toupper(static_cast<unsigned char>(letter)) == letter) {
    line_ = host_.TimeOfDay();
  } else {
    line_.assign(7, ' ');
  }
  line_ += "  ";
  if (!text.empty()) line_.append(text.substr(1));
  line_ += ' ';
  if (letter == 'M' || letter == 'm') {
    const int64_t memory = host_.HeapBytes();
    line_ += "- Memory " + std::to_string(memory) + " Chg " + std::to_string(memory - last_memory_);
    last_memory_ = memory;
  } else if (is_error && !data_line.empty()) {
    line_ += "recnr(" + std::to_string(record_number) + "),";
    AppendExcerpt(line_, data_line);
  }
  return line_;
}

void JobLog::Write(std::string_view text, std::string_view data_line, int32_t record_number) {
  const char letter = text.empty() ? ' ' : text.front();
  const std::string& line = FormatLine(text, data_line, record_number);
  if (letter == 'e' || letter == 'E' || letter == 'f' || letter == 'F') ++errors_;
  if (letter == 'w' || letter == 'W') ++warnings_;
  own_.Count(text);
  trace_.WriteLine(line);
  if (letter != 't' && letter != 'T') job_.WriteLine(line);
  if (letter == 'M' || letter == 'm') {
    // A milestone reaches the disk at once, so that a log followed while
    // the run goes on shows where it is.
    trace_.Flush();
    job_.Flush();
    host_.Progress(text.substr(1));
  }
}

}  // namespace korav
