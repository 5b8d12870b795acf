// The memo file: every command reads or rewrites the file itself; there is
// no copy of the list besides what the window shows.
#pragma once

#include "core/cp932.h"
#include "core/file_system.h"
#include "core/memo_encoding.h"
#include "core/memo_format.h"

#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tallynix {

inline constexpr std::string_view kMemoFileName = "memo.txt";

// A memo text holding a character that the memo file cannot store: one that
// code page 932 lacks, in a Shift-JIS file.
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

// What memo.txt held when the user was asked about it.
struct MemoSnapshot {
  std::string bytes;
  std::vector<std::wstring> memos;
};

// The memo file, named relative to the current directory at each access.
// Each change is written in the file's own encoding: Shift-JIS, or UTF-8 for
// a file saved as UTF-8 (see memo_encoding.h).
class MemoStore {
public:
  explicit MemoStore(FileSystem &files, std::string_view fileName = kMemoFileName)
      : files_(files), fileName_(fileName) {}

  // One command of the user's for as long as the result lives: the waits of
  // its file operations share one deadline (see FileSystem::beginCommand).
  FileCommand command() { return FileCommand(files_); }

  void touch();
  std::vector<std::wstring> readAll();
  // The file's bytes as they are now, or nothing when another program holds
  // it: for looking without making the user wait. A missing file holds no
  // bytes. memosOf reads them.
  std::optional<std::string> bytesIfFree();
  std::vector<std::wstring> memosOf(std::string_view bytes) const;
  // Adds a memo under the number of memos in the file. Line breaks in the
  // text become spaces. Refuses (UnrepresentableText) a text that the file
  // cannot store and then writes nothing.
  void append(std::wstring_view text);
  // Deletes the memo a user selected from a list showing `text` at `index`,
  // checked against the file as it is now (see memo::placeOfSelected). False
  // when the file no longer says which memo that was: nothing is deleted.
  bool removeSelected(int index, std::wstring_view text);
  // memo.txt as it is now; nothing when it does not exist.
  std::optional<MemoSnapshot> snapshot();
  // Deletes every memo, when memo.txt still holds what `asked` saw. A UTF-8
  // file keeps its byte order mark, and so stays UTF-8. False when another
  // program changed the file meanwhile: then nothing is deleted.
  bool clear(const MemoSnapshot &asked);

private:
  // The file's bytes; nothing when it does not exist.
  std::optional<std::string> bytesIfAny();
  // The one way the store changes memo.txt, from `before`, the file as it
  // is now and as it reads, to `after`, which must read as `expected` in
  // the same encoding: every memo, or for Way::append the memos that `after`
  // adds after every line of `before`. A UTF-8 file whose bytes would no
  // longer tell that they are UTF-8 gets the byte order mark in front.
  // Writes nothing, and throws (FileError::Action::wouldMisread and its
  // kin, by the reason), when the new bytes would read any memo otherwise:
  // a change never turns how the rest of the file reads. An
  // append whose file reads as before is appended; anything else replaces
  // the file in one step, or, for clear all where the file cannot be
  // replaced, is written through one handle.
  enum class Way { change, append, clear };
  void write(std::string_view before, std::string after, Reading reading,
             std::span<const std::wstring> expected, Way way = Way::change);

  FileSystem &files_;
  std::string fileName_;
  Cp932 codec_;
};

} // namespace tallynix
