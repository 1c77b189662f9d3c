// A test engine for the model tests: tables with room for a few rows of every
// kind and the log open in a scratch folder, so that messages can be read.
#ifndef KORAV_TESTS_ALLOCATION_LOADING_MODEL_FIXTURE_H_
#define KORAV_TESTS_ALLOCATION_LOADING_MODEL_FIXTURE_H_

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "allocation/loading/model_loading.h"
#include "allocation/loading/record_parsers.h"
#include "allocation/reports/report_table.h"
#include "tests/allocation/test_support.h"

namespace korav {

using Lines = std::vector<std::string>;

// An engine whose tables have room for a few rows of every kind, with its
// log open in a scratch folder so that the messages can be read back.
class ModelTest : public ::testing::Test {
 protected:
  ModelTest() : engine_(host_, RunPaths{}) {
    engine_.paths.output_directory = folder_.dir();
    OpenLogIn(engine_.log, engine_.output_folder, folder_.dir());
    ModelTables& model = engine_.model;
    for (auto& dimension : model.dimensions) dimension.Values.Size(6);
    model.selections.Size(12);
    model.stages.Size(4);
    model.groups.Size(4);
    model.pools.Size(8);
    model.budgets.Size(2);
    model.bases.Size(4);
    model.base_lines.Size(6);
    model.input_measures.Size(3);
    model.named_measures.Size(3);
    model.named_values.Size(3);
  }

  void Parse(std::string_view record) { ParseGeneratedRecord(engine_, record); }

  // Adds a value to dimension `dimension` from a dimension file record.
  void Value(int32_t dimension, std::string_view record) {
    FieldTable fields(kAllocationCsvSlots);
    fields.SplitCsv(record);
    ParseDimensionValue(engine_, dimension, fields);
  }

  // Runs `report` for the report record `record` and returns its lines.
  Lines Report(std::string_view record, ReportFunction report) {
    engine_.csv.SplitCsv(record);
    engine_.report_output.Create(folder_.path("report.csv"), host_);
    report(engine_);
    engine_.report_output.Close();
    return folder_.Lines("report.csv");
  }

  // Reads an "OO" record as pass 1 does.
  void Option(std::string_view record) {
    engine_.state.data_line = std::string(record);
    engine_.csv.SplitCsv(record);
    ReadOptionRecord(engine_);
    engine_.state.data_line.clear();
  }

  // The log lines written so far; closes the log.
  std::vector<std::string> Messages() {
    engine_.log.Close();
    return folder_.Lines(".Job.csv");
  }

  // The numbered error lines among `lines`.
  static Lines ErrorLines(const Lines& lines) {
    Lines errors;
    for (const std::string& line : lines) {
      if (line.rfind("  >>>>", 0) == 0) errors.push_back(line);
    }
    return errors;
  }

  static std::string Error(const std::string& text) { return "  >>>>,,  " + text + " "; }
  static std::string Info(const std::string& text) { return "         " + text + " "; }
  static std::string Warning(const std::string& text) { return "          " + text + " "; }

  ModelFolder folder_;
  FixedHost host_;
  Engine engine_;
};

}  // namespace korav

#endif  // KORAV_TESTS_ALLOCATION_LOADING_MODEL_FIXTURE_H_
