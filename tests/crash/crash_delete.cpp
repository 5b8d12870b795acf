// Deletes one memo from memo.txt in a given folder, exactly as the program
// does when the memo at INDEX is picked: MemoStore::removeSelected on the
// real file system. kill_delete.py kills it at random moments.
//
//   crash_delete [--in-place | --hold] FOLDER INDEX
//
// Prints "start" (and flushes) right before the deletion begins, then
// "done NANOSECONDS" with the time the deletion took. Exit status 0 on
// success, 1 on a file error, 2 on bad arguments or a memo.txt without
// such a memo.
//
// --hold stops the deletion once its temporary file is complete, right
// before it replaces memo.txt: it prints "written" and waits there until it
// is killed, so that a kill during the rewrite lands by construction.
//
// --in-place swaps in a rewrite that truncates memo.txt and writes it
// again where it stands, without a temporary file: the unsafe way, there
// only to show that the kill loop catches a torn or empty file.
#include "core/memo_store.h"
#include "posix/file_system_posix.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

class InPlaceRewrite final : public tallynix::FileSystem {
public:
  void touch(std::string_view name) override { real_.touch(name); }
  std::string read(std::string_view name) override { return real_.read(name); }
  void append(std::string_view name, std::string_view bytes) override { real_.append(name, bytes); }
  void replace(std::string_view name, std::string_view bytes) override {
    const std::string path(name);
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC);
    if (fd < 0)
      throw tallynix::FileError(tallynix::FileError::Action::write, L"", L"open");
    // Small pieces, so that a kill can land between them.
    while (!bytes.empty()) {
      const ssize_t written = ::write(fd, bytes.data(), std::min<std::size_t>(bytes.size(), 4096));
      if (written <= 0)
        break;
      bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    ::fsync(fd);
    ::close(fd);
  }
  bool takesNewFiles(std::string_view name) override { return real_.takesNewFiles(name); }
  void emptyInPlace(std::string_view name, std::string_view head) override {
    real_.emptyInPlace(name, head);
  }
  std::optional<std::uint64_t> size(std::string_view name) override { return real_.size(name); }

private:
  tallynix::posix::PosixFileSystem real_;
};

} // namespace

int main(int argc, char **argv) {
  const bool option = argc == 4;
  const bool inPlace = option && std::strcmp(argv[1], "--in-place") == 0;
  const bool hold = option && std::strcmp(argv[1], "--hold") == 0;
  if (argc != 3 + option || option != (inPlace || hold)) {
    std::fprintf(stderr, "usage: crash_delete [--in-place | --hold] FOLDER INDEX\n");
    return 2;
  }
  if (chdir(argv[1 + option]) != 0) {
    std::perror(argv[1 + option]);
    return 2;
  }
  const int index = std::atoi(argv[2 + option]);

  tallynix::posix::PosixFileSystem posix;
  if (hold)
    posix.rewriteWritten = [] {
      std::printf("written\n");
      std::fflush(stdout);
      for (;;)
        pause();
    };
  InPlaceRewrite unsafe;
  tallynix::MemoStore store(inPlace ? static_cast<tallynix::FileSystem &>(unsafe) : posix);
  std::wstring picked;
  try {
    const std::vector<std::wstring> memos = store.readAll();
    if (index < 0 || static_cast<std::size_t>(index) >= memos.size()) {
      std::fprintf(stderr, "crash_delete: no memo %d\n", index);
      return 2;
    }
    picked = memos[static_cast<std::size_t>(index)];
  } catch (const tallynix::FileError &error) {
    std::fprintf(stderr, "crash_delete: file error %d\n", static_cast<int>(error.action()));
    return 2;
  }
  std::printf("start\n");
  std::fflush(stdout);
  const auto begin = std::chrono::steady_clock::now();
  try {
    if (!store.removeSelected(index, picked)) {
      std::fprintf(stderr, "crash_delete: memo %d changed\n", index);
      return 1;
    }
  } catch (const tallynix::FileError &error) {
    std::fprintf(stderr, "crash_delete: file error %d\n", static_cast<int>(error.action()));
    return 1;
  }
  const auto took = std::chrono::steady_clock::now() - begin;
  std::printf(
      "done %lld\n",
      static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(took).count()));
  return 0;
}
