// A scratch folder per test and the real file system of the platform the
// tests run on.
#pragma once

#include "core/file_system.h"
#include "core/settings_store.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#ifdef _WIN32
#include "win32/file_system_win32.h"

#include <tlhelp32.h>
#else
#include "posix/file_system_posix.h"

#include <unistd.h>
#endif

namespace tallynix::testing {

inline std::unique_ptr<FileSystem> makeRealFileSystem() {
#ifdef _WIN32
  return std::make_unique<win32::Win32FileSystem>();
#else
  return std::make_unique<posix::PosixFileSystem>();
#endif
}

inline unsigned long processId() {
#ifdef _WIN32
  return GetCurrentProcessId();
#else
  return static_cast<unsigned long>(getpid());
#endif
}

// Some other process that runs while the test does.
inline std::optional<unsigned long> anotherRunningProcessId() {
#ifdef _WIN32
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE)
    return std::nullopt;
  std::optional<unsigned long> found;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more && !found;
       more = Process32NextW(snapshot, &entry))
    if (entry.th32ProcessID != 0 && entry.th32ProcessID != GetCurrentProcessId())
      found = entry.th32ProcessID;
  CloseHandle(snapshot);
  return found;
#else
  return static_cast<unsigned long>(getppid());
#endif
}

class ScratchFolder {
public:
  ScratchFolder() {
    std::random_device seed;
    path_ = std::filesystem::temp_directory_path() /
            ("tallynix-test-" + std::to_string(seed()) + std::to_string(seed()));
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder &) = delete;
  ScratchFolder &operator=(const ScratchFolder &) = delete;

  std::string file(const std::string &name) const { return (path_ / name).string(); }
  const std::filesystem::path &path() const { return path_; }

private:
  std::filesystem::path path_;
};

// Files in memory. Writes can be made to fail, to show that a failed write
// never loses the memos already stored; so can any single operation, the
// n-th one, as a full disk, a sharing violation or a lost network share
// would make it, to show that every failure leaves the file as it was
// before the change or as it is after it, and that the user is told.
class MemoryFileSystem final : public FileSystem {
public:
  std::map<std::string, std::string, std::less<>> files;
  bool failWrites = false;
  bool newFilesAllowed = true;
  int replaces = 0;
  // Operations so far (resolving the name, taking the turn, each look and
  // each write), and the one to fail, counting from 1; 0 fails none.
  int operations = 0;
  int failAt = 0;

  void touch(std::string_view name) override {
    step(FileError::Action::create);
    files.try_emplace(std::string(name));
  }
  std::string read(std::string_view name) override {
    step(FileError::Action::read);
    return at(name);
  }
  void append(std::string_view name, std::string_view bytes) override {
    check();
    at(name) += bytes;
  }
  void replace(std::string_view name, std::string_view bytes) override {
    check();
    if (!newFilesAllowed)
      throw FileError(FileError::Action::replace, L"memo.txt", L"access denied");
    ++replaces;
    files[std::string(name)] = bytes;
  }
  bool takesNewFiles(std::string_view) override {
    step(FileError::Action::write);
    return newFilesAllowed;
  }
  void emptyInPlace(std::string_view name, std::string_view head) override {
    check();
    at(name) = head;
  }
  std::optional<std::uint64_t> size(std::string_view name) override {
    step(FileError::Action::query);
    const auto it = files.find(name);
    if (it == files.end())
      return std::nullopt;
    return it->second.size();
  }
  // As on Windows, two steps before the change: where the file really is
  // (a link resolved), then this copy's turn on it.
  void exclusively(std::string_view, FunctionRef change) override {
    step(FileError::Action::read);
    step(FileError::Action::lock);
    change();
  }

private:
  std::string &at(std::string_view name) {
    const auto it = files.find(name);
    if (it == files.end())
      throw FileError(FileError::Action::read, L"memo.txt", L"missing");
    return it->second;
  }
  void step(FileError::Action action) {
    if (++operations == failAt)
      throw FileError(action, L"memo.txt", L"failed on purpose");
  }
  void check() {
    step(FileError::Action::write);
    if (failWrites)
      throw FileError(FileError::Action::write, L"memo.txt", L"disk full");
  }
};

// Settings in memory, keyed app\section\key as in the registry, with every
// write in order.
class MemorySettings final : public SettingsStore {
public:
  std::map<std::string, std::string> values;
  std::vector<std::string> writes;

  std::string get(std::string_view app, std::string_view section, std::string_view key,
                  std::string_view fallback) override {
    const auto it = values.find(path(app, section, key));
    return it == values.end() ? std::string(fallback) : it->second;
  }
  void save(std::string_view app, std::string_view section, std::string_view key,
            std::string_view value) override {
    values[path(app, section, key)] = value;
    writes.push_back(std::string(key) + "=" + std::string(value));
  }
  static std::string path(std::string_view app, std::string_view section, std::string_view key) {
    return std::string(app) + "\\" + std::string(section) + "\\" + std::string(key);
  }
};

inline std::string readBytes(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::string &path, const std::string &bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// The temporary files of rewrites left in a folder.
inline std::vector<std::string> leftoverTemporaries(const ScratchFolder &folder) {
  std::vector<std::string> found;
  for (const auto &entry : std::filesystem::directory_iterator(folder.path()))
    if (entry.path().extension() == ".tmp")
      found.push_back(entry.path().filename().string());
  return found;
}

} // namespace tallynix::testing
