// Throughput of the value cube's two hot operations on cubes of 1, 5 and 20
// million entries: storing new cells (vcAdd, index growth included) and
// moving one cost pool's cells into another (vcTransfer).
#include <benchmark/benchmark.h>

#include <cstdint>

#include "allocation/cube/value_cube.h"

namespace korav {
namespace {

constexpr int32_t kPools = 10;

// Three dimensions of 999 values (radix 1000) and kPools + 1 pools; the
// last pool receives the transfers. One mapping row clears dimension 3.
ModelTables BenchModel() {
  ModelTables model;
  model.dimension_count = 3;
  for (int d = 1; d <= 3; ++d) {
    model.dimensions[d].Values.Size(999);
    for (int v = 0; v < 999; ++v) model.dimensions[d].Values.Append();
  }
  model.pools.Size(kPools + 1);
  for (int p = 0; p <= kPools; ++p) model.pools.Append();
  model.selections.Size(1);
  model.selections[model.selections.Append()].DimCopy[3] = '0';
  return model;
}

// Sets the codes of cell `n`: distinct cells for distinct n below 10^9,
// scattered over the key space as transaction data would be.
void SetCodes(ValueCube& cube, int64_t n) {
  const int64_t key = n * 2654435761 % 1000000000;
  cube.Code[1] = static_cast<int32_t>(key / 1000000);
  cube.Code[2] = static_cast<int32_t>(key / 1000 % 1000);
  cube.Code[3] = static_cast<int32_t>(key % 1000);
}

void Fill(ValueCube& cube, int64_t entries) {
  for (int64_t n = 0; n < entries; ++n) {
    SetCodes(cube, n);
    cube.vcComposeKey();
    cube.CurCP = static_cast<int32_t>(1 + n % kPools);
    cube.vcAdd(1.0);
  }
}

void ReportSize(benchmark::State& state, const ValueCube& cube) {
  state.counters["entries"] = cube.EntryCount();
  state.counters["bytes_per_entry"] =
      static_cast<double>(cube.FootprintBytes()) / cube.EntryCount();
}

void BM_Add(benchmark::State& state) {
  const ModelTables model = BenchModel();
  const int64_t entries = state.range(0);
  ValueCube cube;
  for (auto _ : state) {
    state.PauseTiming();
    cube.vcCreate(model);
    cube.vcSplit();
    state.ResumeTiming();
    Fill(cube, entries);
  }
  state.SetItemsProcessed(state.iterations() * entries);
  ReportSize(state, cube);
}

// Pool 1 (a tenth of the cube) into the last pool. A first transfer creates
// the target cells, so that the timed ones measure the steady state in
// which the cells exist; range(1) = 1 rebuilds each key through a mapping.
void BM_Transfer(benchmark::State& state) {
  const ModelTables model = BenchModel();
  const int32_t mapping = static_cast<int32_t>(state.range(1));
  ValueCube cube;
  cube.vcCreate(model);
  cube.vcSplit();
  Fill(cube, state.range(0));
  cube.vcTransfer(model, 0, 1, kPools + 1, 0, 0, 1.0, mapping);
  for (auto _ : state) cube.vcTransfer(model, 0, 1, kPools + 1, 0, 0, 0.5, mapping);
  state.SetItemsProcessed(state.iterations() * (state.range(0) / kPools));
  ReportSize(state, cube);
}

BENCHMARK(BM_Add)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Arg(1000000)
    ->Arg(5000000)
    ->Arg(20000000);
BENCHMARK(BM_Transfer)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10)
    ->ArgsProduct({{1000000, 5000000, 20000000}, {0, 1}});

}  // namespace
}  // namespace korav
