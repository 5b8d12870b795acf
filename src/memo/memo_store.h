// The memo file: every command reads or rewrites the file itself; there is
// no copy of the list besides what the window shows.
#pragma once

#include "memo/cp932.h"
#include "memo/file_system.h"

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

class MemoStore {
public:
  explicit MemoStore(FileSystem &files) : files_(files) {}

  void touch(std::string_view fileName);
  std::vector<std::wstring> readAll(std::string_view fileName);
  // Refuses (UnrepresentableText) a text that code page 932 cannot hold and
  // then writes nothing. Line breaks in the text become spaces.
  void append(std::string_view fileName, int index, std::wstring_view text);
  void removeByIndex(std::string_view fileName, int index);
  std::optional<std::uint64_t> sizeInBytes(std::string_view fileName);
  void truncate(std::string_view fileName);

private:
  FileSystem &files_;
  Cp932 codec_;
};

} // namespace tallynix
