// The memo file: every command reads or rewrites the file itself; there is
// no copy of the list besides what the window shows.
#pragma once

#include "core/cp932.h"
#include "core/file_system.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tallynix {

inline constexpr std::string_view kMemoFileName = "memo.txt";

// A memo text holding a character that code page 932 cannot store.
class UnrepresentableText : public std::runtime_error {
public:
  UnrepresentableText() : std::runtime_error("text not representable in code page 932") {}
};

// The memo file, named relative to the current directory at each access.
class MemoStore {
public:
  explicit MemoStore(FileSystem &files, std::string_view fileName = kMemoFileName)
      : files_(files), fileName_(fileName) {}

  void touch();
  std::vector<std::wstring> readAll();
  // Refuses (UnrepresentableText) a text that code page 932 cannot hold and
  // then writes nothing. Line breaks in the text become spaces.
  void append(int index, std::wstring_view text);
  void removeByIndex(int index);
  // Nothing when the file does not exist.
  std::optional<std::uint64_t> sizeInBytes();
  void truncate();

private:
  FileSystem &files_;
  std::string fileName_;
  Cp932 codec_;
};

} // namespace tallynix
