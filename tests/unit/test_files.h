// A scratch folder per test and the real file system of the platform the
// tests run on.
#pragma once

#include "memo/file_system.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>

#ifdef _WIN32
#include "platform/file_system_win32.h"
#else
#include "platform/file_system_posix.h"
#endif

namespace tallynix::testing {

inline std::unique_ptr<FileSystem> makeRealFileSystem() {
#ifdef _WIN32
  return std::make_unique<platform::Win32FileSystem>();
#else
  return std::make_unique<platform::PosixFileSystem>();
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

inline std::string readBytes(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::string &path, const std::string &bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

} // namespace tallynix::testing
