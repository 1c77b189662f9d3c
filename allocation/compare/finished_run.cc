#include "allocation/compare/finished_run.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string_view>

#include "allocation/compare/csv_records.h"
#include "allocation/host/run_host.h"
#include "allocation/log/run_files.h"
#include "allocation/reports/report_table.h"
#include "allocation/reports/results_export.h"
#include "allocation/run/run_manifest.h"
#include "common/line_reader.h"
#include "common/numbers.h"
#include "common/paths.h"
#include "common/sha256.h"

namespace korav {
namespace {

using Json = nlohmann::json;

// Far beyond the manifest of any run, which names each file it read once.
constexpr size_t kLargestManifest = size_t{64} << 20;

constexpr std::string_view kRunAgain = "run the model again to write it anew";

[[noreturn]] void Refuse(const std::string& text) { throw RunAborted(text); }

// A file of the run folder that is to be read: only a regular file is, so
// that neither a FIFO nor a device can hold the comparison up.
void CheckReadable(const std::string& path, std::string_view missing_fix) {
  const PathKind kind = KindOf(path);
  if (kind == PathKind::kNothing) Refuse(path + " does not exist; " + std::string(missing_fix));
  if (kind != PathKind::kFile) {
    Refuse(path + " is a " + std::string(KindName(kind)) + ", not a file korava wrote; " +
           std::string(missing_fix));
  }
}

std::string ReadManifestText(const std::string& path) {
  CheckReadable(path,
                "give the output folder of a finished run: korava writes .Run.json there "
                "at the end of every run");
  LineReader reader;
  if (!reader.Open(path)) Refuse(path + " cannot be read (" + reader.FailureReason() + ")");
  std::string text;
  std::string_view line;
  while (reader.Next(line)) {
    if (reader.TooLong() || text.size() + line.size() > kLargestManifest) {
      Refuse(path + " is not a run manifest: it is far longer than any korava writes; " +
             std::string(kRunAgain));
    }
    text.append(line).push_back('\n');
  }
  if (reader.Failed()) {
    Refuse(path + " could not be read to its end (" + reader.FailureReason() + ")");
  }
  return text;
}

const Json* Field(const Json& object, const char* name) {
  if (!object.is_object()) return nullptr;
  const auto found = object.find(name);
  return found == object.end() ? nullptr : &*found;
}

std::string TextField(const Json& object, const char* name) {
  const Json* field = Field(object, name);
  return field != nullptr && field->is_string() ? field->get<std::string>() : std::string();
}

// The manifest of a complete run of this format, written by korava.
Json ReadManifest(const std::string& path) {
  Json manifest = Json::parse(ReadManifestText(path), nullptr, false);
  if (manifest.is_discarded() || !manifest.is_object()) {
    Refuse(path + " is not a run manifest: it is truncated or not JSON; " + std::string(kRunAgain));
  }
  const Json* program = Field(manifest, "program");
  if (program == nullptr || TextField(*program, "name") != "korava") {
    Refuse(path + " was not written by korava; give the output folder of a korava run");
  }
  const Json* format = Field(manifest, "format");
  if (format == nullptr || !format->is_number_integer() ||
      format->get<int64_t>() != kManifestFormat) {
    Refuse(path + " is of format " + (format != nullptr ? format->dump() : "none") +
           ", and this korava reads format " + std::to_string(kManifestFormat) +
           "; compare with the korava version that wrote it, or " + std::string(kRunAgain));
  }
  const std::string status = TextField(manifest, "status");
  if (status != "complete") {
    const std::string reason = TextField(manifest, "reason");
    Refuse(path + " records a run that did not complete (status " +
           (status.empty() ? "none" : status) + (reason.empty() ? "" : ": " + reason) +
           "); run the model to its end and compare again");
  }
  return manifest;
}

std::string FolderName(const std::string& folder) {
  const std::string absolute = WithoutTrailingSeparators(AbsolutePath(folder));
  return absolute.substr(absolute.find_last_of('/') + 1);
}

std::vector<std::string> NotesOf(const Json& manifest) {
  std::vector<std::string> notes;
  if (const Json* reconciliation = Field(manifest, "reconciliation")) {
    const std::string status = TextField(*reconciliation, "status");
    if (status == "Allocation not performed") {
      notes.push_back("allocation not performed: " + TextField(*reconciliation, "reason"));
    } else if (status == "Not reconciled") {
      notes.push_back("figures not reconciled: difference " +
                      TextField(*reconciliation, "difference"));
    }
  }
  const Json* messages = Field(manifest, "messages");
  const Json* errors = messages != nullptr ? Field(*messages, "errors") : nullptr;
  if (errors != nullptr && errors->is_number_integer() && errors->get<int64_t>() > 0) {
    notes.push_back(errors->dump() + (errors->get<int64_t>() == 1 ? " error" : " errors") +
                    " logged; see .Job.csv in the run's folder");
  }
  return notes;
}

// An export as the manifest lists it.
struct ListedExport {
  std::string file;  // its name within the run's folder
  std::string sha256;
};

// A name that stays within the run's folder: relative, without "..".
bool WithinFolder(const std::string& file) {
  if (file.empty() || file.front() == '/' || file.find('\0') != std::string::npos) return false;
  for (size_t begin = 0; begin <= file.size();) {
    size_t end = file.find('/', begin);
    if (end == std::string::npos) end = file.size();
    if (file.compare(begin, end - begin, "..") == 0 && end - begin == 2) return false;
    begin = end + 1;
  }
  return true;
}

// The Results Exports the manifest lists, each file once as last written.
std::vector<ListedExport> ListedExports(const Json& manifest, const std::string& path) {
  std::vector<ListedExport> listed;
  const Json* reports = Field(manifest, "reports");
  if (reports == nullptr || !reports->is_array())
    Refuse(path + " lists no reports; " + std::string(kRunAgain));
  for (const Json& report : *reports) {
    const Json* number = Field(report, "number");
    if (number == nullptr || !number->is_number_integer() ||
        number->get<int64_t>() != kResultsExport) {
      continue;
    }
    ListedExport entry{TextField(report, "file"), TextField(report, "sha256")};
    if (!WithinFolder(entry.file)) {
      Refuse(path + " names the export \"" + entry.file +
             "\", which is no file in the run's folder; " + std::string(kRunAgain));
    }
    std::erase_if(listed, [&](const ListedExport& other) { return other.file == entry.file; });
    listed.push_back(std::move(entry));
  }
  return listed;
}

enum class ExportKind { kCells, kFlows };

std::optional<ExportKind> KindOfHeader(const std::vector<std::string>& header) {
  if (std::equal(header.begin(), header.end(), kFlowsColumns.begin(), kFlowsColumns.end())) {
    return ExportKind::kFlows;
  }
  if (header.size() > kCellsLeadingColumns.size() && header.back() == kCellsValueColumn &&
      std::equal(kCellsLeadingColumns.begin(), kCellsLeadingColumns.end(), header.begin())) {
    return ExportKind::kCells;
  }
  return std::nullopt;
}

// Reads one export: its header, then each record, checking the file against
// the SHA-256 that the manifest records before anything it holds is believed.
class ExportReader {
 public:
  ExportReader(const std::string& folder, const ListedExport& listed)
      : path_(folder + listed.file), sha256_(listed.sha256) {
    CheckReadable(path_,
                  "the run wrote it, so it was moved or deleted since; " + std::string(kRunAgain));
    if (!lines_.Open(path_, &digest_)) {
      Refuse(path_ + " cannot be read (" + lines_.FailureReason() + ")");
    }
    if (!records_.Next(header_)) fault_ = records_.Fault().empty() ? "it is empty" : Fault();
    if (fault_.empty()) {
      kind_ = KindOfHeader(header_);
      if (!kind_) fault_ = "its header is that of neither kind of Results Export (36)";
    }
  }

  const std::string& path() const { return path_; }
  // None when the header is of neither kind.
  std::optional<ExportKind> kind() const { return kind_; }
  const std::vector<std::string>& header() const { return header_; }

  // The next record, with as many fields as the header; false at the end or
  // at the first fault.
  bool Next(std::vector<std::string>& fields) {
    if (!fault_.empty()) return false;
    if (!records_.Next(fields)) {
      if (!records_.Fault().empty()) fault_ = Fault();
      return false;
    }
    if (fields.size() != header_.size()) {
      fault_ = "line " + std::to_string(records_.LineNumber()) + " has " +
               std::to_string(fields.size()) + " fields, the header " +
               std::to_string(header_.size());
      return false;
    }
    return true;
  }

  // A figure of the record just read; a fault when it is not a number.
  std::optional<Amount> Figure(const std::vector<std::string>& fields, size_t column) {
    Amount amount;
    if (ParseAmount(fields[column], amount) && std::isfinite(amount.value)) return amount;
    if (fault_.empty()) {
      fault_ = "line " + std::to_string(records_.LineNumber()) + ": " + header_[column] + " \"" +
               fields[column].substr(0, 64) + "\" is not a number";
    }
    return std::nullopt;
  }

  // Throws RunAborted when the file is not the one the run wrote, or when
  // it could not be read or parsed; the file's digest comes first, since a
  // fault in a file changed since the run is no fault of the run.
  void Verify() {
    if (!lines_.ReadToEnd()) {
      Refuse(path_ + " could not be read to its end (" + lines_.FailureReason() + ")");
    }
    if (digest_.HexDigest() != sha256_) {
      Refuse(path_ + " has changed since the run: its SHA-256 differs from the one in " +
             kManifestName + "; " + std::string(kRunAgain));
    }
    if (!fault_.empty())
      Refuse(path_ + " is not a Results Export: " + fault_ + "; " + std::string(kRunAgain));
  }

 private:
  std::string Fault() const {
    return "line " + std::to_string(records_.LineNumber()) + ": " + records_.Fault();
  }

  std::string path_;
  std::string sha256_;
  LineReader lines_;
  Sha256 digest_;
  CsvRecordReader records_{lines_};
  std::vector<std::string> header_;
  std::optional<ExportKind> kind_;
  std::string fault_;
};

void NoteFirst(std::vector<std::string>& order, const std::string& code) {
  if (code.empty()) return;
  if (std::find(order.begin(), order.end(), code) == order.end()) order.push_back(code);
}

RunPool& PoolOf(FinishedRun& run, const std::string& code, const std::string& description) {
  auto [pool, added] = run.pools.try_emplace(code);
  if (added) run.pool_order.push_back(code);
  if (pool->second.description.empty()) pool->second.description = description;
  return pool->second;
}

void ReadCells(ExportReader& reader, FinishedRun& run) {
  const std::vector<std::string>& header = reader.header();
  run.dimensions.assign(header.begin() + kCellsLeadingColumns.size(), header.end() - 1);
  std::vector<std::string> fields;
  // A pool's cells come one after the other: its entry is looked up once.
  std::string code;
  RunPool* pool = nullptr;
  while (reader.Next(fields)) {
    const std::optional<Amount> value = reader.Figure(fields, fields.size() - 1);
    if (!value) break;
    if (pool == nullptr || fields[5] != code) {
      code = fields[5];
      pool = &PoolOf(run, code, fields[6]);
      if (pool->stage.empty()) {
        pool->stage = fields[1];
        pool->group = fields[3];
        NoteFirst(run.stages, fields[1]);
      }
    }
    pool->value.Add(*value);
  }
}

void ReadFlows(ExportReader& reader, FinishedRun& run) {
  std::vector<std::string> fields;
  while (reader.Next(fields)) {
    const bool variance = fields[4].empty() && fields[5] == kVarianceLine && fields[8].empty();
    const std::optional<Amount> proportion =
        variance ? std::optional<Amount>(Amount{}) : reader.Figure(fields, 8);
    const std::optional<Amount> amount = reader.Figure(fields, 9);
    if (!proportion || !amount) break;
    RunPool& sender_pool = PoolOf(run, fields[2], fields[3]);
    sender_pool.sends = true;
    if (sender_pool.stage.empty()) {
      sender_pool.stage = fields[1];
      NoteFirst(run.stages, fields[1]);
    }
    PoolOf(run, fields[6], fields[7]).receives = true;
    Sender& sender = run.senders[fields[2]];
    Inflow& inflow = sender.receivers[fields[6]];
    if (variance) {
      inflow.variance += amount->value;
      continue;
    }
    inflow.share += proportion->value;
    inflow.amount += amount->value;
    const double size = std::fabs(proportion->value);
    if (size > sender.proportion) {
      sender.allocated = amount->value / proportion->value;
      sender.proportion = size;
    }
  }
}

std::string MissingExports(const std::string& manifest_path, bool cells, bool flows) {
  if (!cells && !flows) {
    return manifest_path +
           " lists no Results Export (36); add the records REP,36 and "
           "REP,36,flows,,,,F to the run's reports and run the model again";
  }
  return manifest_path + " lists no Results Export (36) of the " + (cells ? "flows" : "cells") +
         "; add the record " + (cells ? "REP,36,flows,,,,F" : "REP,36") +
         " to the run's reports and run the model again";
}

void ReadExports(const Json& manifest, const std::string& manifest_path, const std::string& folder,
                 FinishedRun& run) {
  std::unique_ptr<ExportReader> cells;
  std::unique_ptr<ExportReader> flows;
  for (const ListedExport& listed : ListedExports(manifest, manifest_path)) {
    auto reader = std::make_unique<ExportReader>(folder, listed);
    // A header of neither kind is refused once the file is known to be as
    // the run wrote it.
    if (!reader->kind()) reader->Verify();
    const bool is_cells = *reader->kind() == ExportKind::kCells;
    std::unique_ptr<ExportReader>& slot = is_cells ? cells : flows;
    if (slot) {
      Refuse(manifest_path + " lists two " + (is_cells ? "cells" : "flows") + " exports, " +
             slot->path() + " and " + reader->path() +
             "; a comparison takes one of each kind: keep one REP,36 record of each and run the "
             "model again");
    }
    slot = std::move(reader);
  }
  if (!cells || !flows) Refuse(MissingExports(manifest_path, cells != nullptr, flows != nullptr));
  ReadCells(*cells, run);
  cells->Verify();
  ReadFlows(*flows, run);
  flows->Verify();
}

}  // namespace

FinishedRun ReadFinishedRun(const std::string& folder) {
  const PathKind kind = KindOf(folder);
  if (kind != PathKind::kFolder) {
    Refuse(folder + (kind == PathKind::kNothing ? " does not exist" : " is no folder") +
           "; give the output folder of a finished run (the $ODIR of its run file)");
  }
  FinishedRun run;
  run.folder = folder;
  const std::string directory = WithTrailingSeparator(folder);
  const std::string manifest_path = directory + kManifestName;
  const Json manifest = ReadManifest(manifest_path);
  run.label = TextField(manifest, "run_label");
  if (run.label.empty()) run.label = FolderName(folder);
  run.notes = NotesOf(manifest);
  ReadExports(manifest, manifest_path, directory, run);
  return run;
}

}  // namespace korav
