#include "allocation/run/run_manifest.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include "allocation/loading/options.h"
#include "allocation/state/run_label.h"
#include "common/about.h"
#include "common/numbers.h"
#include "common/paths.h"

namespace korav {
namespace {

// Objects keep their fields in the order written, which is the order a
// person reads them in.
using Json = nlohmann::ordered_json;

const char* StatusName(RunEnd end) {
  switch (end) {
    case RunEnd::kComplete:
      return "complete";
    case RunEnd::kInterrupted:
      return "interrupted";
    case RunEnd::kFailed:
      break;
  }
  return "failed";
}

// A figure as text with two decimals ("-1250.75"), which a reader takes as
// written rather than rounded into a binary number; null when not finite.
Json FigureJson(double value) {
  if (!std::isfinite(value)) return nullptr;
  return FormatFixed2(value);
}

Json TallyJson(const AmountTally& tally) {
  return Json{{"lines", tally.lines}, {"amount", FigureJson(tally.amount.Value())}};
}

Json TransactionFileJson(const TransactionFileTotals& file, bool with_path) {
  Json json = Json::object();
  if (with_path) json["path"] = file.path;
  json["read"] = TallyJson(file.read);
  json["accepted"] = TallyJson(file.accepted);
  json["reversed"] = TallyJson(file.reversed);
  json["not_selected"] = TallyJson(file.not_selected);
  Json rejected = Json::object();
  for (const auto& [number, tally] : file.rejected)
    rejected[RejectionName(number)] = TallyJson(tally);
  json["rejected"] = std::move(rejected);
  return json;
}

Json TransactionsJson(const TransactionTotals& totals) {
  Json files = Json::array();
  for (const TransactionFileTotals& file : totals.files) {
    files.push_back(TransactionFileJson(file, true));
  }
  return Json{{"files", std::move(files)}, {"total", TransactionFileJson(totals.Sum(), false)}};
}

Json ReconciliationJson(const ReconciliationStatus& status) {
  const std::string_view name = status.Name();
  return Json{{"status", name.empty() ? Json(nullptr) : Json(name)},
              {"difference", FigureJson(status.difference)},
              {"reason", status.reason}};
}

std::string_view WithoutTrailingBlanks(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

Json OptionsJson(const RunOptions& options) {
  Json list = Json::array();
  if (!options.model_description.empty()) {
    list.push_back(Json{{"number", 0},
                        {"name", WithoutTrailingBlanks(OptionName(0))},
                        {"value", nullptr},
                        {"text", options.model_description}});
  }
  for (int number = 1; number <= kOptionCount; ++number) {
    const TmyOption& option = options.slots[static_cast<size_t>(number)];
    if (!option.IsSet) continue;
    list.push_back(Json{{"number", number},
                        {"name", WithoutTrailingBlanks(OptionName(number))},
                        {"value", option.Value},
                        {"text", option.Text}});
  }
  return list;
}

Json MessagesJson(const MessageCounts& counts) {
  Json by_message = Json::object();
  for (const auto& [message, count] : counts.by_message) by_message[message] = count;
  return Json{{"errors", counts.errors},
              {"warnings", counts.warnings},
              {"by_message", std::move(by_message)}};
}

Json InputsJson(const std::vector<InputFile>& files) {
  Json list = Json::array();
  for (const InputFile& file : files) {
    list.push_back(Json{{"kind", file.kind},
                        {"path", file.path},
                        {"absolute_path", file.absolute_path},
                        {"size", file.size},
                        {"lines", file.lines},
                        {"sha256", file.sha256.empty() ? Json(nullptr) : Json(file.sha256)}});
  }
  return list;
}

// Each report by its name within the output folder, as its record gave it.
Json ReportsJson(const std::vector<WrittenFile>& reports, const std::string& folder) {
  Json list = Json::array();
  for (const WrittenFile& report : reports) {
    const std::string& path = report.file.path;
    const bool within = path.compare(0, folder.size(), folder) == 0;
    list.push_back(Json{{"number", report.report},
                        {"file", within ? path.substr(folder.size()) : path},
                        {"path", path},
                        {"size", report.file.size},
                        {"sha256", report.file.sha256}});
  }
  return list;
}

}  // namespace

std::string ManifestText(const Engine& engine, RunEnd end, int exit_code, std::string_view reason) {
  Json json;
  json["format"] = kManifestFormat;
  json["program"] = Json{{"name", "korava"}, {"version", kVersion}};
  json["run_file"] =
      Json{{"path", engine.paths.run_file}, {"absolute_path", AbsolutePath(engine.paths.run_file)}};
  json["output_folder"] = Json{{"path", engine.output_folder.path()},
                               {"absolute_path", AbsolutePath(engine.output_folder.path())}};
  json["run_label"] = RunLabel(engine);
  json["started"] = engine.state.started_at;
  json["ended"] = engine.host.Timestamp();
  json["status"] = StatusName(end);
  json["exit_code"] = exit_code;
  if (end != RunEnd::kComplete) {
    json["phase"] = engine.state.phase;
    json["reason"] = reason;
  }
  json["inputs"] = InputsJson(engine.files.read());
  json["options"] = OptionsJson(engine.options);
  json["messages"] = MessagesJson(engine.log.own());
  json["transactions"] = TransactionsJson(engine.transaction_totals);
  json["reconciliation"] = ReconciliationJson(engine.reconciliation);
  json["reports"] = ReportsJson(engine.files.reports(), engine.output_folder.path());
  // Texts of the model that are not UTF-8 (Latin-1 files) show U+FFFD for
  // each byte that is not, rather than making the record unreadable.
  return json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

void CheckManifestPlace(Engine& engine) {
  for (;;) {
    const OutputPlace place = engine.output_folder.Place(kManifestName);
    if (place.usable()) return;
    const std::string message = "Output File " + engine.output_folder.path() + kManifestName +
                                " cannot be written: " + place.refusal;
    if (place.refused_by_name || !engine.host.RetryOutputFile(message)) throw RunAborted(message);
  }
}

void WriteRunManifest(Engine& engine, RunEnd end, int exit_code, std::string_view reason) {
  const std::string text = ManifestText(engine, end, exit_code, reason);
  OutputFile file;
  const std::string refusal = engine.output_folder.IsOpen()
                                  ? file.Create(engine.output_folder, kManifestName,
                                                OutputFile::Mode::kWhenComplete, engine.host)
                                  : "the output folder is not open";
  if (!refusal.empty()) {
    throw RunAborted("Output File " + engine.output_folder.path() + kManifestName +
                     " cannot be written: " + refusal);
  }
  for (size_t begin = 0; begin < text.size();) {
    const size_t end_of_line = text.find('\n', begin);
    file.WriteLine(std::string_view(text).substr(begin, end_of_line - begin));
    begin = end_of_line + 1;
  }
  file.Close();
}

}  // namespace korav
