// One memo operation under callgrind, for instruction counts:
//
//   memo_ops gen N PATH [utf8]           writes a memo file of N memos
//   memo_ops run IMPL OP PATH N          IMPL: tallynix | floor
//                                        OP: readAll | append | removeSelected
//
// Run under `valgrind --tool=callgrind --collect-atstart=no`: only the one
// measured call is collected. Before it, the same operation runs once
// uncollected (on a scratch copy for removeSelected), so that one-time costs
// such as loading iconv's CP932 module and resolving symbols stay out, as
// they stay out of a long-running program's every command.
#include "floor_memo.h"
#include "memo_corpus.h"

#include "core/memo_store.h"
#include "posix/file_system_posix.h"

#include <valgrind/callgrind.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

namespace {

int usage() {
  std::fputs("usage: memo_ops gen N PATH [utf8] | memo_ops run tallynix|floor "
             "readAll|append|removeSelected PATH N\n",
             stderr);
  return 2;
}

void measured(const std::function<void()> &op) {
  CALLGRIND_TOGGLE_COLLECT;
  op();
  CALLGRIND_TOGGLE_COLLECT;
}

} // namespace

int main(int argc, char **argv) {
  if ((argc == 4 || argc == 5) && std::string(argv[1]) == "gen") {
    bench::writeFile(argv[3], bench::memoFileBytes(std::atoi(argv[2]), argc == 5));
    return 0;
  }
  if (argc != 6 || std::string(argv[1]) != "run")
    return usage();
  const std::string impl = argv[2];
  const std::string op = argv[3];
  const std::string path = argv[4];
  const int n = std::atoi(argv[5]);
  const std::string scratch = path + ".warm";
  const std::wstring memo = bench::typicalMemo(n);
  std::size_t result = 0;

  if (impl == "tallynix") {
    tallynix::posix::PosixFileSystem files;
    // The scratch copy warms the same code up before the measured call.
    tallynix::MemoStore store(files, path);
    tallynix::MemoStore warm(files, scratch);
    if (op == "readAll") {
      result += store.readAll().size();
      measured([&] { result += store.readAll().size(); });
    } else if (op == "append") {
      warm.append(memo);
      measured([&] { store.append(memo); });
    } else if (op == "removeSelected") {
      bench::writeFile(scratch, bench::readFile(path));
      // The delete that the delete button runs: memo 0, checked by its text.
      const std::wstring memo0 = bench::typicalMemo(0);
      warm.removeSelected(0, memo0);
      measured([&] { store.removeSelected(0, memo0); });
    } else {
      return usage();
    }
  } else if (impl == "floor") {
    const bench::floor::Codec codec;
    if (op == "readAll") {
      result += bench::floor::readAll(path, codec).size();
      measured([&] { result += bench::floor::readAll(path, codec).size(); });
    } else if (op == "append") {
      bench::floor::append(scratch, n, memo, codec);
      measured([&] { bench::floor::append(path, n, memo, codec); });
    } else if (op == "removeSelected") {
      bench::writeFile(scratch, bench::readFile(path));
      bench::floor::removeLine(scratch, 0);
      measured([&] { bench::floor::removeLine(path, 0); });
    } else {
      return usage();
    }
  } else {
    return usage();
  }
  std::remove(scratch.c_str());
  std::printf("%zu\n", result);
  return 0;
}
