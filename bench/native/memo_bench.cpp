// Wall-clock figures of the memo store's three file operations on memo files
// of 1,000, 10,000 and 100,000 memos, each beside the floor (floor_memo.h).
// The files live in the directory named by BENCH_DATA (default: the current
// directory), on the disk the memos would live on.
//
// Run with --benchmark_enable_random_interleaving=true and repetitions so
// that the program and its floor alternate in the same run.
#include "floor_memo.h"
#include "memo_corpus.h"

#include "core/memo_store.h"
#include "posix/file_system_posix.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <map>
#include <unistd.h>

namespace {

std::string dataDir() {
  const char *dir = std::getenv("BENCH_DATA");
  return dir && *dir ? dir : ".";
}

// The pristine bytes of a memo file of n memos (made once per process).
const std::string &pristine(int n) {
  static std::map<int, std::string> files;
  auto found = files.find(n);
  if (found == files.end())
    found = files.emplace(n, bench::memoFileBytes(n)).first;
  return found->second;
}

// A private copy of the memo file for one benchmark.
std::string freshCopy(const char *label, int n) {
  const std::string path = dataDir() + "/" + label + "-" + std::to_string(n) + ".txt";
  bench::writeFile(path, pristine(n));
  return path;
}

void finish(benchmark::State &state, int n) {
  state.SetItemsProcessed(state.iterations() * n);
  state.counters["memos"] = n;
}

void BM_readAll_tallynix(benchmark::State &state) {
  const int n = static_cast<int>(state.range(0));
  const std::string path = freshCopy("read-t", n);
  tallynix::posix::PosixFileSystem files;
  tallynix::MemoStore store(files, path);
  for (auto _ : state) {
    auto memos = store.readAll();
    benchmark::DoNotOptimize(memos.data());
  }
  finish(state, n);
}

void BM_readAll_floor(benchmark::State &state) {
  const int n = static_cast<int>(state.range(0));
  const std::string path = freshCopy("read-f", n);
  const bench::floor::Codec codec;
  for (auto _ : state) {
    auto memos = bench::floor::readAll(path, codec);
    benchmark::DoNotOptimize(memos.data());
  }
  finish(state, n);
}

// Each append is undone (outside the timing) so the file keeps n memos.
void BM_append_tallynix(benchmark::State &state) {
  const int n = static_cast<int>(state.range(0));
  const std::string path = freshCopy("append-t", n);
  const auto size = static_cast<off_t>(pristine(n).size());
  const std::wstring memo = bench::typicalMemo(n);
  tallynix::posix::PosixFileSystem files;
  tallynix::MemoStore store(files, path);
  for (auto _ : state) {
    store.append(memo);
    state.PauseTiming();
    if (::truncate(path.c_str(), size) != 0)
      state.SkipWithError("truncate failed");
    state.ResumeTiming();
  }
  finish(state, n);
}

void BM_append_floor(benchmark::State &state) {
  const int n = static_cast<int>(state.range(0));
  const std::string path = freshCopy("append-f", n);
  const auto size = static_cast<off_t>(pristine(n).size());
  const std::wstring memo = bench::typicalMemo(n);
  const bench::floor::Codec codec;
  for (auto _ : state) {
    bench::floor::append(path, n, memo, codec);
    state.PauseTiming();
    if (::truncate(path.c_str(), size) != 0)
      state.SkipWithError("truncate failed");
    state.ResumeTiming();
  }
  finish(state, n);
}

// Deletes memo 0 as the delete button does, checked by its text (every
// other line is numbered again); the file is restored outside the timing.
void BM_removeSelected_tallynix(benchmark::State &state) {
  const int n = static_cast<int>(state.range(0));
  const std::wstring memo0 = bench::typicalMemo(0);
  const std::string path = freshCopy("remove-t", n);
  tallynix::posix::PosixFileSystem files;
  tallynix::MemoStore store(files, path);
  for (auto _ : state) {
    store.removeSelected(0, memo0);
    state.PauseTiming();
    bench::writeFile(path, pristine(n));
    state.ResumeTiming();
  }
  finish(state, n);
}

void BM_removeSelected_floor(benchmark::State &state) {
  const int n = static_cast<int>(state.range(0));
  const std::string path = freshCopy("remove-f", n);
  for (auto _ : state) {
    bench::floor::removeLine(path, 0);
    state.PauseTiming();
    bench::writeFile(path, pristine(n));
    state.ResumeTiming();
  }
  finish(state, n);
}

#define MEMO_SIZES                                                                                 \
  ->Arg(1000)->Arg(10000)->Arg(100000)->UseRealTime()->Unit(benchmark::kMicrosecond)
BENCHMARK(BM_readAll_tallynix) MEMO_SIZES;
BENCHMARK(BM_readAll_floor) MEMO_SIZES;
BENCHMARK(BM_append_tallynix) MEMO_SIZES;
BENCHMARK(BM_append_floor) MEMO_SIZES;
BENCHMARK(BM_removeSelected_tallynix) MEMO_SIZES;
BENCHMARK(BM_removeSelected_floor) MEMO_SIZES;

} // namespace

BENCHMARK_MAIN();
