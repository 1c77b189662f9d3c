// compare.csv and compare-effects.csv: plain tables for tools, quoted as the
// Results Export is (see csv_records.h).
#include "allocation/compare/compare_files.h"
#include "allocation/compare/csv_records.h"

namespace korav {
namespace {

std::string FigureText(const std::optional<Cents>& cents) {
  return cents ? CentsText(*cents) : std::string();
}

}  // namespace

void WriteChangeTable(const Comparison& comparison, OutputFile& file) {
  file.WriteLine(
      CsvRecord({"Stage", "Group", "Pool", "Pool Description", "A: " + comparison.a.label,
                 "B: " + comparison.b.label, "Change", "Change %", "Note"}));
  for (const PoolChange& pool : comparison.pools) {
    file.WriteLine(CsvRecord({pool.stage, pool.group, pool.code, pool.description,
                              FigureText(pool.a), FigureText(pool.b), FigureText(pool.Change()),
                              pool.ChangePercentText(), pool.Note()}));
  }
}

void WriteEffectsTable(const Comparison& comparison, OutputFile& file) {
  file.WriteLine(CsvRecord({"Pool", "Sender", "Cost Effect", "Share Effect", "Change"}));
  for (const FinalPoolEffects& effects : comparison.finals) {
    const std::string& pool = comparison.pools[effects.pool].code;
    if (!effects.own) {
      file.WriteLine(CsvRecord({pool, kNotBrokenDown, "", "", ""}));
      continue;
    }
    for (const SenderRow& sender : effects.senders) {
      file.WriteLine(
          CsvRecord({pool, sender.code, CentsText(sender.printed.cost),
                     CentsText(sender.printed.share), CentsText(sender.printed.change)}));
    }
    file.WriteLine(CsvRecord({pool, kOwnTransactions, "", "", CentsText(*effects.own)}));
  }
}

}  // namespace korav
