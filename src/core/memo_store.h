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
  explicit UnrepresentableText(std::wstring character)
      : std::runtime_error("text not representable in code page 932"),
        character_(std::move(character)) {}
  // The first such character (a surrogate pair where wchar_t is 16 bits).
  const std::wstring &character() const noexcept { return character_; }

private:
  std::wstring character_;
};

// The memo file, named relative to the current directory at each access.
class MemoStore {
public:
  explicit MemoStore(FileSystem &files, std::string_view fileName = kMemoFileName)
      : files_(files), fileName_(fileName) {}

  void touch();
  std::vector<std::wstring> readAll();
  // The memos as the file holds them now, or nothing when another program
  // holds it: for looking without making the user wait.
  std::optional<std::vector<std::wstring>> readAllIfFree();
  // Adds a memo under the number of memos in the file. Refuses
  // (UnrepresentableText) a text that code page 932 cannot hold and then
  // writes nothing. Line breaks in the text become spaces.
  void append(std::wstring_view text);
  // Deletes every line stored under `index`, whatever it holds.
  void removeByIndex(int index);
  // Deletes the memo a user selected from a list showing `text` at `index`,
  // checked against the file as it is now (see memo::removeSelected). False
  // when the file no longer says which memo that was: nothing is deleted.
  bool removeSelected(int index, std::wstring_view text);
  // Nothing when the file does not exist.
  std::optional<std::uint64_t> sizeInBytes();
  void truncate();

private:
  FileSystem &files_;
  std::string fileName_;
  Cp932 codec_;
};

} // namespace tallynix
