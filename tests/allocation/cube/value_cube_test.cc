#include "allocation/cube/value_cube.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "allocation/host/run_host.h"
#include "allocation/log/job_log.h"
#include "allocation/model/hierarchy.h"
#include "common/numbers.h"
#include "tests/allocation/test_support.h"

namespace korav {
namespace {

// Appends a value to dimension `d`, under `parent` (0 for a top value).
int32_t AddValue(ModelTables& model, int d, const std::string& code, int32_t parent = 0) {
  ModelTable<TmyDIM>& values = model.dimensions[d].Values;
  const int32_t row = values.Append();
  TmyDIM& value = values[row];
  value.Code = code;
  if (parent != 0) value.Path = values[parent].Path;
  value.Level = parent == 0 ? 1 : values[parent].Level + 1;
  value.Path[value.Level] = row;
  return row;
}

void AddBlankValues(ModelTables& model, int d, int32_t count) {
  model.dimensions[d].Values.Size(count);
  for (int32_t i = 0; i < count; ++i) model.dimensions[d].Values.Append();
}

void AddPools(ModelTables& model, int32_t count) {
  model.pools.Size(count);
  for (int32_t row = 1; row <= count; ++row) {
    model.pools[model.pools.Append()].Code = "P" + std::to_string(row);
  }
}

// Region: EU > FR > PAR, US, and OR whose parent is unknown (Level 0);
// Product: A, B; Channel: X. Pools P1..P3.
ModelTables SmallModel() {
  ModelTables model;
  model.dimension_count = 3;
  for (int d = 1; d <= 3; ++d) model.dimensions[d].Values.Size(5);
  const int32_t eu = AddValue(model, 1, "EU");
  const int32_t fr = AddValue(model, 1, "FR", eu);
  AddValue(model, 1, "PAR", fr);
  AddValue(model, 1, "US");
  model.dimensions[1].Values[model.dimensions[1].Values.Append()].Code = "OR";
  AddValue(model, 2, "A");
  AddValue(model, 2, "B");
  AddValue(model, 3, "X");
  AddPools(model, 3);
  return model;
}

// The message of the RunAborted that `action` throws.
template <typename Action>
std::string Refusal(Action action) {
  try {
    action();
  } catch (const RunAborted& aborted) {
    return aborted.what();
  }
  return "not refused";
}

// A job log open in a scratch folder.
struct ScratchLog {
  ScratchLog() { OpenLogIn(log, output_folder, folder.dir()); }
  std::vector<std::string> Lines(const std::string& name) {
    log.Close();
    return folder.Lines(name);
  }
  FixedHost host;
  ModelFolder folder;
  OutputFolder output_folder;
  JobLog log{host};
};

class CubeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cube_.vcCreate(model_);
    cube_.vcSplit();
  }
  void Add(int32_t pool, std::array<int32_t, 3> codes, double amount) {
    for (int d = 1; d <= 3; ++d) cube_.Code[d] = codes[d - 1];
    cube_.vcComposeKey();
    cube_.CurCP = pool;
    cube_.vcAdd(amount);
  }
  std::vector<std::string> List(int32_t pool) {
    std::vector<std::string> lines;
    std::string line = "untouched";
    cube_.vcIterStart(pool);
    while (cube_.vcIterNext(model_, line) != 0) lines.push_back(line);
    EXPECT_EQ(line, lines.empty() ? "untouched" : lines.back());
    return lines;
  }

  ModelTables model_ = SmallModel();
  ValueCube cube_;
};

TEST(ValueCubeKey, EightDimensionsPackIntoIndex1) {
  ModelTables model;
  model.dimension_count = 8;
  for (int d = 1; d <= 8; ++d) AddBlankValues(model, d, d);  // radices 2..9
  ValueCube cube;
  EXPECT_EQ(cube.vcCreate(model), 40320.0);
  cube.vcSplit();
  EXPECT_EQ(cube.SplitAt(), 8);
  cube.Code = {-7, 1, 2, 3, 4, 5, 6, 7, 8};
  cube.vcComposeKey();
  EXPECT_EQ(cube.Index1, 362879);  // every code at its highest: 2 x 3 x ... x 9 - 1
  EXPECT_EQ(cube.Index2, 0);
  cube.Index1 = 181440 + 8;  // 1 x 3 x 4 x ... x 9, plus 8 in the last dimension
  cube.vcDecomposeKey();
  EXPECT_EQ(cube.Code, (std::array<int32_t, 9>{-7, 1, 0, 0, 0, 0, 0, 0, 8}));
}

TEST(ValueCubeKey, DimensionsBeyondTheLimitGoIntoIndex2) {
  ModelTables model;
  model.dimension_count = 8;
  for (int d = 1; d <= 7; ++d) AddBlankValues(model, d, 999);  // radix 1000
  AddBlankValues(model, 8, 4);
  ValueCube cube;
  cube.vcCreate(model);
  cube.vcSplit();
  // 1000^6 = 1E18 fits; 1000^7 exceeds 9.22337E18.
  EXPECT_EQ(cube.SplitAt(), 6);
  cube.Code = {0, 1, 2, 3, 4, 5, 6, 7, 3};
  cube.vcComposeKey();
  EXPECT_EQ(cube.Index1, 1002003004005006);
  EXPECT_EQ(cube.Index2, 7 * 5 + 3);
  cube.Index1 = 999999999999999999;
  cube.Index2 = 999 * 5 + 4;
  cube.vcDecomposeKey();
  EXPECT_EQ(cube.Code, (std::array<int32_t, 9>{0, 999, 999, 999, 999, 999, 999, 999, 4}));
  cube.Code[8] = 5;
  EXPECT_THROW(cube.vcComposeKey(), RunAborted);
}

TEST(ValueCubeKey, AKeyOfMoreThanTwoPartsIsRefused) {
  ModelTables model;
  model.dimension_count = 8;
  // Radices 2^16 x 3 and 2^15 overflow the first part at dimension 4; that
  // dimension and four of radix 2^12 overflow the second at dimension 8.
  for (int d = 1; d <= 3; ++d) AddBlankValues(model, d, 65535);
  AddBlankValues(model, 4, 32767);
  for (int d = 5; d <= 8; ++d) AddBlankValues(model, d, 4095);
  ValueCube cube;
  cube.vcCreate(model);
  EXPECT_NE(Refusal([&] { cube.vcSplit(); }).find("overflows at dimension 8"), std::string::npos);
}

TEST_F(CubeTest, ZeroAmountsCreateNothingButAZeroSumStays) {
  Add(1, {3, 2, 1}, 1.0);
  Add(1, {3, 2, 1}, -1.0);
  Add(2, {3, 2, 1}, 0.0);
  Add(2, {3, 2, 1}, -0.0);
  ASSERT_EQ(cube_.EntryCount(), 1);
  EXPECT_EQ(cube_.Entry(0).Value, 0.0);
  EXPECT_EQ(cube_.Entry(0).Index1, (3 * 3 + 2) * 2 + 1);
  EXPECT_FALSE(cube_.vcFind());  // pool 2 at that key
  EXPECT_EQ(List(1), (std::vector<std::string>{"P1,0.00,PAR,B,X"}));
}

TEST_F(CubeTest, HashSlotsChainsAndTotals) {
  ScratchLog scratch;
  // By the hash rule: key (1, 0) in pool 1 gives 2000000120, slot 3511416;
  // key (4194305, 0) adds a multiple of 2^22 and shares that slot; pool 3
  // wraps to -1294967035 in 32 bits, negated and masked to slot 3121403;
  // key (5, 0) in pool 0 gives 5000000165, of which the low 32 bits mask to
  // slot 389797.
  const struct {
    int64_t index1;
    int32_t pool;
    double amount;
    int32_t slot;
  } cells[] = {
      {1, 1, 1.5, 3511416}, {4194305, 1, 2.0, 3511416}, {0, 3, 4.0, 3121403}, {5, 0, 2.5, 389797}};
  for (const auto& cell : cells) {
    cube_.Index1 = cell.index1;
    cube_.CurCP = cell.pool;
    cube_.vcAdd(cell.amount);
    EXPECT_EQ(cube_.CurHash(), cell.slot);
  }
  cube_.Index1 = (int64_t{1} << 32) + 5;
  cube_.Index2 = 7;
  cube_.CurCP = 2;
  cube_.vcHash();
  EXPECT_EQ(cube_.CurHash(), 1169319);  // 15000000423 mod 2^22

  model_.pools[2].VCCount = 9;
  cube_.vcTotals(model_, scratch.log);
  EXPECT_EQ(model_.pools[1].VCCount, 2);
  EXPECT_EQ(model_.pools[1].VCTotal, 3.5);
  EXPECT_EQ(model_.pools[2].VCCount, 0);
  EXPECT_EQ(model_.pools[3].VCTotal, 4.0);
  EXPECT_EQ(cube_.ChainedCount(), 1);
  cube_.vcIndexStats(scratch.log);

  std::vector<std::string> expected = {"         Total Indexes,4194304", "         Indexes Used,3",
                                       "         Index Length 0,4194301",
                                       "         Index Length 1,2", "         Index Length 2,1"};
  for (int k = 3; k <= 10; ++k)
    expected.push_back("         Index Length " + std::to_string(k) + ",0");
  expected.push_back("         Index Length >10,0");
  EXPECT_EQ(scratch.Lines(".JobandTrace.csv"), expected);
  EXPECT_EQ(scratch.folder.Lines(".Job.csv"),
            (std::vector<std::string>{" >>>>,,Internal error VC CP Code Nr is zero 3 0,2.5"}));
}

TEST(ValueCubeGrowth, EveryEntryIsFoundOnceAfterTheIndexDoubles) {
  ModelTables model;
  AddPools(model, 3);
  ValueCube cube;
  cube.vcCreate(model);
  cube.vcSplit();
  auto set_key = [&cube](int32_t n) {
    cube.Index1 = n;
    cube.Index2 = n % 7;
    cube.CurCP = 1 + n % 3;
  };
  // 76% of 4194304 slots is 3187671.04: the entry after that grows the index.
  constexpr int32_t kEntries = 3187672;
  for (int32_t n = 0; n < kEntries - 1; ++n) {
    set_key(n);
    cube.vcAdd(1.0);
  }
  EXPECT_EQ(cube.HashSegCount(), 1);
  set_key(kEntries - 1);
  cube.vcAdd(1.0);
  EXPECT_EQ(cube.HashSegCount(), 2);
  EXPECT_EQ(cube.SlotCount(), 8388608);
  EXPECT_EQ(cube.DataSegCount(), 7);
  int32_t found = 0;
  for (int32_t n = 0; n < kEntries; ++n) {
    set_key(n);
    if (cube.vcFind() && cube.CurEntry() == n) ++found;
  }
  EXPECT_EQ(found, kEntries);
  cube.Index1 = 2;
  cube.Index2 = 0;
  cube.CurCP = 1;
  cube.vcHash();
  EXPECT_EQ(cube.CurHash(), 5267097);  // 3000000153 mod 2^23

  // The chains hold each entry once: their lengths add up to the entries.
  ScratchLog scratch;
  cube.vcIndexStats(scratch.log);
  const std::vector<std::string> trace = scratch.Lines(".JobandTrace.csv");
  ASSERT_EQ(trace.size(), 14u);
  EXPECT_EQ(trace[13], "         Index Length >10,0");
  int64_t slots = 0;
  int64_t entries = 0;
  for (int k = 0; k <= 10; ++k) {
    const int32_t count = LeadingInt(trace[k + 2].substr(trace[k + 2].find(',') + 1));
    slots += count;
    entries += k * count;
  }
  EXPECT_EQ(slots, cube.SlotCount());
  EXPECT_EQ(entries, kEntries);
  EXPECT_EQ(trace[1], "         Indexes Used," + std::to_string(cube.UsedSlots()));
  EXPECT_EQ(trace[2],
            "         Index Length 0," + std::to_string(cube.SlotCount() - cube.UsedSlots()));
}

// Adds keys 0, 1, ... to pool 1 until the cube refuses one.
std::string FillUntilFull(ValueCube& cube) {
  ModelTables model;
  AddPools(model, 1);
  cube.vcCreate(model);
  cube.vcSplit();
  cube.CurCP = 1;
  return Refusal([&] {
    for (cube.Index1 = 0;; ++cube.Index1) cube.vcAdd(1.0);
  });
}

TEST(ValueCubeLimit, FullStoresAreRefusedWithAMessage) {
  ValueCube data_full(ValueCubeLimits{.data_segments = 1, .hash_segments = 16});
  EXPECT_EQ(FillUntilFull(data_full),
            "Value cube full: 500000 entries; reduce the dimensions or split the model");
  EXPECT_EQ(data_full.EntryCount(), 500000);
  EXPECT_FALSE(data_full.vcFind());
  data_full.Index1 = 499999;
  EXPECT_TRUE(data_full.vcFind());

  ValueCube index_full(ValueCubeLimits{.data_segments = 110, .hash_segments = 1});
  EXPECT_EQ(FillUntilFull(index_full),
            "Value cube full: its index of 4194304 slots is 76% used by 3187672 entries; reduce "
            "the dimensions or split the model");
  EXPECT_EQ(index_full.SlotCount(), 4194304);
}

TEST_F(CubeTest, ListingsShowPoolValueAndCodes) {
  Add(1, {3, 2, 1}, 12.5);
  Add(2, {1, 0, 0}, -3.456);
  Add(1, {4, 1, 0}, 1.0);
  EXPECT_EQ(List(1), (std::vector<std::string>{"P1,12.50,PAR,B,X", "P1,1.00,US,A,"}));
  EXPECT_EQ(cube_.Code, (std::array<int32_t, 9>{0, 4, 1, 0}));
  EXPECT_TRUE(List(3).empty());
  EXPECT_EQ(List(0),
            (std::vector<std::string>{"P1,12.50,PAR,B,X", "P2,-3.46,EU,,", "P1,1.00,US,A,"}));
}

TEST_F(CubeTest, ListingsPrintHugeAmountsInFull) {
  Add(1, {3, 2, 1}, 1e70);
  const std::vector<std::string> lines = List(1);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].size(), 3u + 74u + 8u) << lines[0];  // "P1,", 1e70 with two decimals, codes
  EXPECT_EQ(lines[0].substr(0, 19), "P1,1000000000000000");
  EXPECT_EQ(lines[0].substr(74), ".00,PAR,B,X");
}

TEST_F(CubeTest, MappingRules) {
  model_.dimensions[1].Values[2].SummariseTarget = 2;  // FR, marked "Y"
  model_.dimensions[1].Values[3].SummariseTarget = 2;  // PAR, under FR
  model_.selections.Size(4);
  auto row = [&](std::array<char, 3> copy, std::array<int32_t, 3> index) {
    const int32_t r = model_.selections.Append();
    for (int d = 1; d <= 3; ++d) {
      model_.selections[r].DimCopy[d] = copy[d - 1];
      model_.selections[r].DimIndex[d] = index[d - 1];
    }
    return r;
  };
  const int32_t summarise = row({'Y', '0', 0}, {});
  const int32_t levels = row({'2', '1', '1'}, {});
  const int32_t too_deep = row({'4', 'Y', 0}, {});
  const int32_t fixed = row({'0', 'Y', 0}, {4, 0, 0});
  const std::pair<int32_t, std::array<int32_t, 9>> cases[] = {
      {0, {0, 3, 2, 1}},        {summarise, {0, 2, 0, 1}}, {levels, {0, 2, 2, 1}},
      {too_deep, {0, 3, 0, 1}}, {fixed, {0, 4, 0, 1}},
  };
  for (const auto& [selection, expected] : cases) {
    cube_.Code = {0, 3, 2, 1};
    cube_.vcApplyMapping(model_, selection);
    EXPECT_EQ(cube_.Code, expected) << selection;
  }
  cube_.Code = {0, 0, 0, 0};
  cube_.vcApplyMapping(model_, levels);
  EXPECT_EQ(cube_.Code, (std::array<int32_t, 9>{}));
}

TEST_F(CubeTest, TransfersVisitOnlyTheEntriesThatExistedAtTheStart) {
  model_.selections.Size(1);
  const int32_t no_region = model_.selections.Append();
  model_.selections[no_region].DimCopy[1] = '0';
  Add(1, {3, 2, 1}, 10.0);
  Add(1, {4, 1, 0}, 5.0);
  cube_.vcTransfer(model_, 0, 1, 1, 0, 0, 0.5, 0);
  EXPECT_EQ(List(1), (std::vector<std::string>{"P1,15.00,PAR,B,X", "P1,7.50,US,A,"}));
  // Re-keyed into new cells of the same pool, which the walk must not reach.
  cube_.vcTransfer(model_, 0, 1, 1, 0, 0, 2.0, no_region);
  EXPECT_EQ(List(1), (std::vector<std::string>{"P1,15.00,PAR,B,X", "P1,7.50,US,A,", "P1,30.00,,B,X",
                                               "P1,15.00,,A,"}));
  // Product is the confidence dimension: A (1) is raised to B (2).
  cube_.vcTransfer(model_, 2, 1, 2, 0, 2, 1.0, no_region);
  EXPECT_EQ(List(2), (std::vector<std::string>{"P2,45.00,,B,X", "P2,22.50,,B,"}));
  cube_.vcTransfer(model_, 0, 3, 2, 0, 0, 1.0, 0);
  EXPECT_EQ(cube_.EntryCount(), 6);
}

TEST_F(CubeTest, SumsOfSelectedCodes) {
  Add(1, {3, 2, 1}, 10.0);
  Add(1, {2, 1, 0}, 4.0);
  Add(1, {4, 2, 1}, 1.0);
  Add(1, {0, 2, 0}, 100.0);
  Add(2, {3, 2, 1}, 1000.0);
  Add(1, {5, 1, 0}, 50.0);
  TmySEL france;
  france.DimIndex[1] = 2;
  france.Include = "I";
  EXPECT_EQ(cube_.vcSumSelected(model_, 1, france), 14.0);
  EXPECT_EQ(cube_.vcSumSelected(model_, 2, france), 1000.0);
  EXPECT_EQ(cube_.vcSumSelected(model_, 3, france), 0.0);
  TmySEL europe_b;
  europe_b.DimIndex = {0, 1, 2, 0};
  europe_b.Include = "E";
  EXPECT_EQ(cube_.vcSumSelected(model_, 1, europe_b), -10.0);
  // OR has no path: selecting it takes its own cells only.
  TmySEL unresolved;
  unresolved.DimIndex[1] = 5;
  EXPECT_EQ(cube_.vcSumSelected(model_, 1, unresolved), 50.0);
  TmySEL all;
  EXPECT_EQ(cube_.vcSumSelected(model_, 1, all), 165.0);
}

// The pool lists must give exactly what walking the whole store in entry
// order gives: this reference keeps every cell in one list and scans it.
struct ReferenceCube {
  struct Cell {
    int32_t pool;
    std::array<int32_t, 9> codes;
    double value;
  };
  void Add(int32_t pool, const std::array<int32_t, 9>& codes, double amount) {
    if (amount == 0.0) return;
    for (Cell& cell : cells) {
      if (cell.pool == pool && cell.codes == codes) {
        cell.value += amount;
        return;
      }
    }
    cells.push_back({pool, codes, amount});
  }
  // `rekey` rebuilds the codes after the level of confidence, when given.
  template <typename Rekey = void (*)(std::array<int32_t, 9>&)>
  void Transfer(
      int32_t loc, int32_t source, int32_t target, int32_t min_loc, double factor,
      Rekey rekey = [](std::array<int32_t, 9>&) {}) {
    const size_t count = cells.size();
    for (size_t k = 0; k < count; ++k) {
      if (cells[k].pool != source) continue;
      std::array<int32_t, 9> codes = cells[k].codes;
      if (loc != 0 && codes[loc] < min_loc) codes[loc] = min_loc;
      rekey(codes);
      Add(target, codes, cells[k].value * factor);
    }
  }
  std::vector<Cell> cells;
};

TEST_F(CubeTest, PoolListsAgreeWithAFullScan) {
  std::mt19937 random(20261207);
  auto pick = [&](int32_t low, int32_t high) {
    return std::uniform_int_distribution<int32_t>(low, high)(random);
  };
  const double amounts[] = {0.0, 1.5, -2.25, 3.0, 0.1, 7.0};
  ReferenceCube reference;
  for (int round = 0; round < 40; ++round) {
    for (int n = 0; n < 50; ++n) {
      std::array<int32_t, 9> codes{0, pick(0, 4), pick(0, 2), pick(0, 1)};
      const int32_t pool = pick(1, 3);
      const double amount = amounts[pick(0, 5)];
      reference.Add(pool, codes, amount);
      Add(pool, {codes[1], codes[2], codes[3]}, amount);
    }
    const int32_t loc = pick(0, 1) * 2;
    const int32_t source = pick(1, 3);
    const int32_t target = pick(1, 3);
    const int32_t min_loc = pick(0, 2);
    const double factor = amounts[pick(1, 5)];
    reference.Transfer(loc, source, target, min_loc, factor);
    cube_.vcTransfer(model_, loc, source, target, 0, min_loc, factor, 0);
  }
  ASSERT_EQ(cube_.EntryCount(), static_cast<int32_t>(reference.cells.size()));
  for (int32_t pool = 0; pool <= 3; ++pool) {
    std::vector<std::string> expected;
    for (const ReferenceCube::Cell& cell : reference.cells) {
      if (pool != 0 && cell.pool != pool) continue;
      std::string line = "P" + std::to_string(cell.pool) + "," + FormatFixed2(cell.value);
      for (int d = 1; d <= 3; ++d) {
        line += "," + (cell.codes[d] == 0 ? "" : model_.dimensions[d].Values[cell.codes[d]].Code);
      }
      expected.push_back(line);
    }
    EXPECT_EQ(List(pool), expected) << pool;
  }
  for (int32_t region = 0; region <= 4; ++region) {
    TmySEL row;
    row.DimIndex = {0, region, 2, 0};
    for (int32_t pool = 1; pool <= 3; ++pool) {
      double expected = 0.0;
      for (const ReferenceCube::Cell& cell : reference.cells) {
        if (cell.pool == pool && IsWithin(model_, 1, region, cell.codes[1]) && cell.codes[2] == 2) {
          expected += cell.value;
        }
      }
      EXPECT_EQ(cube_.vcSumSelected(model_, pool, row), expected) << region << " " << pool;
    }
  }
}

// What the allocation asks of the cube, done through the chained index and
// through the pools' own indexes, against a plain list of cells: every
// entry, its codes, pool and value bit for bit, and every figure of the
// index must come out the same.
TEST(ValueCubeAllocation, PoolIndexesGiveWhatTheChainedIndexGives) {
  ModelTables model = SmallModel();
  model.pools = {};
  AddPools(model, 5);
  model.selections.Size(2);
  const int32_t to_top = model.selections.Append();  // FR and PAR merge into EU
  model.selections[to_top].DimCopy[1] = '1';
  const int32_t alike = model.selections.Append();  // another row with the same rule
  model.selections[alike].DimCopy[1] = '1';
  // A step without a source adds `factor` to the target's cell without codes.
  struct Step {
    int32_t source, target, map, confidence, min_loc;
    double factor;
  };
  const Step steps[] = {
      {1, 2, 0, 0, 0, 0.3},       // into an empty pool
      {1, 2, to_top, 0, 0, 0.7},  // merging cells, some of them new
      {2, 3, 0, 2, 2, 0.1},       // a receiver sends; product A is raised to B
      {1, 2, 0, 0, 0, 0.1},       // and receives again after sending
      {2, 4, 0, 0, 0, 1.0 / 3},   // so what it sends now holds that
      {0, 2, 0, 0, 0, 0.7},       // a cell added between two transfers from a pool
      {2, 3, 0, 0, 0, 0.9},
      {2, 2, to_top, 0, 0, 0.5},  // into itself, an earlier cell adding to a later one
      {5, 4, 0, 0, 0, 2.0},       // a pool with no cells
      {1, 3, to_top, 0, 0, 0.2},  // one pool's cells re-keyed one way,
      {1, 4, alike, 0, 0, 0.3},   // by another row alike,
      {1, 3, 0, 2, 2, 0.4},       // another way,
      {1, 4, to_top, 0, 0, 0.5},  // and the first way again
      {1, 4, 0, 0, 0, 0.0},       // nothing at all
      {0, 5, 0, 0, 0, 0.25},      // a pool's index made for one cell,
      {1, 5, 0, 0, 0, 0.5},       // built again twice within one block of cells,
      {1, 5, 0, 0, 0, 0.5},       // and every cell found in it afterwards
  };
  std::vector<std::array<int32_t, 3>> cells;
  for (int32_t region = 1; region <= 5; ++region) {
    for (int32_t product = 1; product <= 2; ++product) {
      for (int32_t x = 0; x <= 1; ++x) cells.push_back({region, product, x});
    }
  }
  ReferenceCube reference;
  for (const auto& codes : cells) {
    reference.Add(1, {0, codes[0], codes[1], codes[2]}, 0.1 * (codes[0] + 10 * codes[1]));
  }
  for (const Step& step : steps) {
    if (step.source == 0) {
      reference.Add(step.target, {}, step.factor);
      continue;
    }
    reference.Transfer(step.confidence, step.source, step.target, step.min_loc, step.factor,
                       [&](std::array<int32_t, 9>& codes) {
                         const int32_t top = model.dimensions[1].Values[codes[1]].Path[1];
                         if (step.map != 0 && codes[1] != 0 && top != 0) codes[1] = top;
                       });
  }
  auto run = [&](ValueCube& cube, JobLog& log, bool per_pool) {
    cube.vcCreate(model);
    cube.vcSplit();
    for (const auto& codes : cells) {
      for (int d = 1; d <= 3; ++d) cube.Code[d] = codes[d - 1];
      cube.vcComposeKey();
      cube.CurCP = 1;
      cube.vcAdd(0.1 * (codes[0] + 10 * codes[1]));
    }
    if (per_pool) cube.BeginAllocation();
    for (const Step& step : steps) {
      if (step.source != 0) {
        cube.vcTransfer(model, step.confidence, step.source, step.target, 0, step.min_loc,
                        step.factor, step.map);
        continue;
      }
      cube.Index1 = 0;
      cube.Index2 = 0;
      cube.CurCP = step.target;
      cube.vcAdd(step.factor);
    }
    if (per_pool) cube.EndAllocation();
    cube.vcTotals(model, log);
    cube.vcIndexStats(log);
  };
  ValueCube chained;
  ValueCube pooled;
  ScratchLog chained_log;
  ScratchLog pooled_log;
  run(chained, chained_log.log, false);
  run(pooled, pooled_log.log, true);
  for (ValueCube* cube : {&chained, &pooled}) {
    ASSERT_EQ(cube->EntryCount(), static_cast<int32_t>(reference.cells.size()));
    for (int32_t n = 0; n < cube->EntryCount(); ++n) {
      const ReferenceCube::Cell& expected = reference.cells[static_cast<size_t>(n)];
      cube->Index1 = cube->Entry(n).Index1;
      cube->Index2 = cube->Entry(n).Index2;
      cube->vcDecomposeKey();
      EXPECT_EQ(std::tie(cube->Entry(n).CP, cube->Code, cube->Entry(n).Value),
                std::tie(expected.pool, expected.codes, expected.value))
          << n << (cube == &pooled ? " through the pools' indexes" : "");
    }
  }
  EXPECT_EQ(pooled.UsedSlots(), chained.UsedSlots());
  EXPECT_EQ(pooled.ChainedCount(), chained.ChainedCount());
  EXPECT_EQ(pooled_log.Lines(".JobandTrace.csv"), chained_log.Lines(".JobandTrace.csv"));
  // After the allocation every cell is found through the chains again.
  for (int32_t n = 0; n < pooled.EntryCount(); ++n) {
    pooled.Index1 = chained.Entry(n).Index1;
    pooled.Index2 = chained.Entry(n).Index2;
    pooled.CurCP = chained.Entry(n).CP;
    EXPECT_TRUE(pooled.vcFind() && pooled.CurEntry() == n) << n;
  }
}

}  // namespace
}  // namespace korav
