// The Reconciliation Report (17): the transactions read, accepted and
// rejected by message; each stage's balance in flow order, with the pools
// and loops that kept cost they should have passed on and why; and the
// checks that tie the two together, ending in the run's status. Its ranges
// are ignored: a reconciliation covers the whole run.
#include <string>

#include "allocation/allocate/reconciliation.h"
#include "allocation/reports/report_output.h"
#include "allocation/reports/report_table.h"
#include "allocation/state/run_label.h"
#include "common/numbers.h"

namespace korav {
namespace {

std::string TallyFields(const AmountTally& tally) {
  return std::to_string(tally.lines) + "," + FormatFixed2(tally.amount.Value());
}

AmountTally RejectedOf(const TransactionFileTotals& file) {
  AmountTally rejected;
  for (const auto& [number, tally] : file.rejected) rejected.Add(tally);
  return rejected;
}

void WriteTransactions(Engine& engine, const Reconciliation& reconciliation) {
  OutputFile& out = engine.report_output;
  out.WriteLine(
      "RecType,Item,Lines,Amount,Accepted Lines,Accepted Amount,Rejected Lines,Rejected Amount");
  for (const TransactionFileTotals& file : engine.transaction_totals.files) {
    out.WriteLine("File," + Quoted(file.path) + "," + TallyFields(file.read) + "," +
                  TallyFields(file.accepted) + "," + TallyFields(RejectedOf(file)));
  }
  const TransactionFileTotals& all = reconciliation.transactions;
  out.WriteLine("TX,Read," + TallyFields(all.read));
  out.WriteLine("TX,Accepted," + TallyFields(all.accepted));
  for (const auto& [number, tally] : all.rejected) {
    out.WriteLine("TX,Rejected " + RejectionName(number) + "," + TallyFields(tally));
  }
  out.WriteLine("TX,Not Selected," + TallyFields(all.not_selected));
  out.WriteLine("");
}

std::string BalanceFields(const StageBalance& balance) {
  std::string fields;
  for (const double figure :
       {balance.from_transactions, balance.received, balance.sent, balance.variance_sent,
        balance.unallocated, balance.gross_up, balance.stays, balance.difference}) {
    fields += "," + FormatFixed2(figure);
  }
  return fields;
}

void WriteStages(Engine& engine, const Reconciliation& reconciliation) {
  OutputFile& out = engine.report_output;
  const ModelTables& model = engine.model;
  out.WriteLine(
      "RecType,Code,Description,From Transactions,Received,Sent,Variance Sent,Unallocated,"
      "Gross-up,Stays,Difference");
  for (const StageBalance& balance : reconciliation.stages) {
    if (balance.stage == 0) {
      out.WriteLine("STG,," + Quoted("Groups without a stage") + BalanceFields(balance));
    } else {
      const TmySTG& stage = model.stages[balance.stage];
      out.WriteLine("STG," + stage.Code + "," + Quoted(stage.Description) + BalanceFields(balance));
    }
    for (const UnallocatedCost& cost : reconciliation.unallocated) {
      if (cost.stage != balance.stage) continue;
      out.WriteLine("    CP," + cost.code + "," + Quoted(cost.description) + ",,,," +
                    FormatFixed2(cost.amount) + ",,,," + Quoted(cost.reason));
    }
  }
  out.WriteLine("Total,," + Quoted("All stages") + BalanceFields(reconciliation.total));
  out.WriteLine("");
}

void WriteTotals(Engine& engine, const Reconciliation& reconciliation) {
  OutputFile& out = engine.report_output;
  out.WriteLine("RecType,Check,Expected,Found,Difference");
  for (const ReconciliationCheck& check : reconciliation.checks) {
    out.WriteLine("Check," + check.name + "," + FormatFixed2(check.expected) + "," +
                  FormatFixed2(check.found) + "," + FormatFixed2(check.Difference()));
  }
  if (reconciliation.copied != 0) {
    out.WriteLine("Copied,Added by cost pool copies for reporting; outside the flow," +
                  FormatFixed2(reconciliation.copied));
  }
  const ReconciliationStatus& status = reconciliation.status;
  std::string line = "Status," + std::string(status.Name());
  if (!status.reason.empty()) {
    line += "," + status.reason;
  } else if (status.state == ReconciliationStatus::State::kNotReconciled) {
    line += "," + FormatFixed2(status.difference);
  }
  out.WriteLine(line);
}

}  // namespace

void WriteReconciliationReport(Engine& engine) {
  const Reconciliation reconciliation = Reconcile(engine);
  engine.reconciliation = reconciliation.status;
  WriteReportTitle(engine, "Reconciliation Report; ", RunLabel(engine));
  WriteTransactions(engine, reconciliation);
  WriteStages(engine, reconciliation);
  WriteTotals(engine, reconciliation);
}

}  // namespace korav
