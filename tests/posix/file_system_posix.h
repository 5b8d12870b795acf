// The memo store's file operations on POSIX systems, where the store and
// its tests run natively.
#pragma once

#include "core/file_system.h"

#include <functional>

namespace tallynix::posix {

class PosixFileSystem final : public FileSystem {
public:
  // Called in a rewrite once the temporary file is complete and flushed,
  // right before it replaces the file: where the kill loop holds a deletion.
  std::function<void()> rewriteWritten;

  void touch(std::string_view name) override;
  std::string read(std::string_view name) override;
  void append(std::string_view name, std::string_view bytes) override;
  void replace(std::string_view name, std::string_view bytes) override;
  bool takesNewFiles(std::string_view name) override;
  void emptyInPlace(std::string_view name, std::string_view head) override;
  std::optional<std::uint64_t> size(std::string_view name) override;
  std::wstring fullPath(std::string_view name) override;
  void exclusively(std::string_view name, FunctionRef change) override;
};

} // namespace tallynix::posix
