// compare.csv and compare-effects.csv: plain tables for tools, quoted as the
// Results Export is (see plain_table.h).
#include <initializer_list>
#include <string_view>

#include "allocation/compare/compare_files.h"
#include "allocation/reports/plain_table.h"

namespace korav {
namespace {

void WriteRecord(OutputFile& file, std::initializer_list<std::string_view> fields) {
  TableRow row;
  for (const std::string_view field : fields) row.Text(field);
  file.WriteLine(row.text());
}

std::string FigureText(const std::optional<Cents>& cents) {
  return cents ? CentsText(*cents) : std::string();
}

}  // namespace

void WriteChangeTable(const Comparison& comparison, OutputFile& file) {
  WriteRecord(file, {"Stage", "Group", "Pool", "Pool Description", "A: " + comparison.a.label,
                     "B: " + comparison.b.label, "Change", "Change %", "Note"});
  for (const PoolChange& pool : comparison.pools) {
    WriteRecord(file, {pool.stage, pool.group, pool.code, pool.description, FigureText(pool.a),
                       FigureText(pool.b), FigureText(pool.Change()), pool.ChangePercentText(),
                       pool.Note()});
  }
}

void WriteEffectsTable(const Comparison& comparison, OutputFile& file) {
  WriteRecord(file, {"Pool", "Sender", "Cost Effect", "Share Effect", "Change"});
  for (const FinalPoolEffects& effects : comparison.finals) {
    const std::string& pool = comparison.pools[effects.pool].code;
    if (!effects.own) {
      WriteRecord(file, {pool, kNotBrokenDown, "", "", ""});
      continue;
    }
    for (const SenderRow& sender : effects.senders) {
      WriteRecord(file, {pool, sender.code, CentsText(sender.printed.cost),
                         CentsText(sender.printed.share), CentsText(sender.printed.change)});
    }
    WriteRecord(file, {pool, kOwnTransactions, "", "", CentsText(*effects.own)});
  }
}

}  // namespace korav
