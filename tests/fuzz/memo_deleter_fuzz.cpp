// The deleter on arbitrary file bytes and an arbitrary place (the first two
// input bytes, 0 to 9999; the rest is the file). Its output is checked for
// its shape (numbered lines, each ending CR LF, each keeping its text's
// bytes) and for what the list shows afterwards: every other memo as
// before, whatever digits its line starts with. The selection check picks
// from a list the input's file had before another writer's change, and
// checks where the pick is found against where that change took it. The
// same deletion runs through the store on a file in memory and (one input in
// eight) on a real file: it writes a file that reads as the other memos, or
// refuses and writes nothing.
#include "fuzz_support.h"

#include "core/cp932.h"
#include "core/memo_format.h"
#include "core/memo_store.h"
#include "posix/file_system_posix.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>

namespace {

using tallynix::Cp932;
using tallynix::Encoding;
using tallynix::FileError;
using tallynix::MemoStore;

// Whether a line is text that reads in the same encoding under any number:
// well-formed UTF-8 in a file with the byte order mark, or characters that
// code page 932 has, each of them, in a Shift-JIS file. (Without the mark,
// a UTF-8 file's lines are weighed with what stands before each character,
// which a new number can change: the store then refuses, as below.)
bool isText(std::string_view line, tallynix::Reading reading, const Cp932 &codec) {
  if (reading.encoding == Encoding::utf8)
    return reading.bomSize && fuzz::decodeUtf8(line);
  const std::optional<std::string> again = codec.encode(codec.decode(line));
  return again && *again == line;
}

// A memo of the list the user saw, and its place in the file now, if the
// other writer's change left it there.
struct SeenMemo {
  std::wstring text;
  std::optional<std::size_t> now;
};

struct Story {
  std::vector<SeenMemo> seen;
};

// The list the user saw before another writer changed the file into `now`,
// chosen by `choice`: nothing changed; a memo deleted (a twin of another
// memo, or a text no memo has now); a memo added; a memo's text replaced.
Story pickerStory(const std::vector<std::wstring> &now, std::size_t choice) {
  Story story;
  for (std::size_t k = 0; k < now.size(); ++k)
    story.seen.push_back({now[k], k});
  const std::size_t at = (choice / 4) % (now.size() + 1);
  switch (choice % 4) {
  case 1: { // deleted
    const bool twin = !now.empty() && (choice / 64) % 2 == 0;
    const std::wstring text = twin ? now[(choice / 128) % now.size()] : std::wstring(L"\x1F gone");
    story.seen.insert(story.seen.begin() + static_cast<std::ptrdiff_t>(at), {text, std::nullopt});
    break;
  }
  case 2: // added
    if (at < now.size())
      story.seen.erase(story.seen.begin() + static_cast<std::ptrdiff_t>(at));
    break;
  case 3: // replaced
    if (at < now.size())
      story.seen[at] = {L"\x1F before", std::nullopt};
    break;
  default:
    break;
  }
  return story;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  static const Cp932 codec;
  static fuzz::ScratchFolder scratch;
  static const std::string realFile = scratch.file("memo.txt");

  if (size < 2)
    return 0;
  const auto place = static_cast<std::size_t>((data[0] | data[1] << 8) % 10000);
  const std::string_view file(reinterpret_cast<const char *>(data) + 2, size - 2);
  const tallynix::memo::MemoFile before = tallynix::memo::decodeMemos(file, codec);
  const bool utf8File = before.reading.encoding == Encoding::utf8;

  const std::string out = tallynix::memo::removeAt(file, before.reading, place, codec);

  // Its shape, read back without the program's reader: the byte order mark
  // stays; every line ends with CR LF; the k-th starts with k in the "000"
  // format, and what stands behind it, or behind it and a space, is the end
  // of the kept line: a text's bytes never change.
  const std::string_view bom = file.starts_with(fuzz::kBom) ? fuzz::kBom : "";
  FUZZ_CHECK(out.starts_with(bom));
  const std::string_view body = std::string_view(out).substr(bom.size());
  FUZZ_CHECK(body.empty() || body.ends_with("\r\n"));
  const auto lines = fuzz::splitLines(file.substr(bom.size()));
  const auto outLines = fuzz::splitLines(body);
  FUZZ_CHECK(outLines.size() == lines.size() - (place < lines.size()));
  std::vector<std::wstring> expected; // the other memos, in order
  for (std::size_t k = 0, from = 0; k < outLines.size(); ++k, ++from) {
    from += from == place;
    const std::string number = fuzz::indexText(static_cast<int>(k));
    FUZZ_CHECK(outLines[k].starts_with(number));
    const std::string_view rest = outLines[k].substr(number.size());
    FUZZ_CHECK(lines[from].ends_with(rest) ||
               (rest.starts_with(' ') && lines[from].ends_with(rest.substr(1))));
    expected.push_back(before.memos[from]);
  }

  // The renumbered lines of text show the memos they showed, whatever their
  // digits, wherever the file reads as it did. (Bytes that are no text may
  // count as characters otherwise than the code page reads them, and a
  // Shift-JIS line of a UTF-8 file may read as UTF-8 under a new number: the
  // store then refuses the delete, as below.)
  const tallynix::memo::MemoFile reread = tallynix::memo::decodeMemos(out, codec);
  bool allText = true;
  for (std::size_t k = 0, from = 0; k < outLines.size(); ++k, ++from) {
    from += from == place;
    const bool text = isText(lines[from], before.reading, codec);
    allText = allText && text;
    if (text && reread.reading.encoding == before.reading.encoding)
      FUZZ_CHECK(reread.memos[k] == expected[k]);
  }

  // The selection check, on a story: the list the user picked from is the
  // file as it is now with one change of another writer undone, and the
  // picked memo is followed through that change (see pickerStory).
  const Story story = pickerStory(before.memos, place);
  if (!story.seen.empty()) {
    const auto &now = before.memos;
    const std::size_t pick = (place ^ place >> 5) % story.seen.size();
    const std::wstring &text = story.seen[pick].text;
    const std::optional<std::size_t> picked = story.seen[pick].now; // where it is now, if anywhere
    const auto chosen = tallynix::memo::placeOfSelected(now, static_cast<int>(pick), text);
    const auto holds = [&](std::size_t k) { return k < now.size() && now[k] == text; };
    std::size_t holding = 0;
    for (std::size_t k = 0; k < now.size(); ++k)
      holding += holds(k);
    // Never a memo of another text; only when the file still tells which
    // memo was meant: its text at the place picked, or in one place only.
    FUZZ_CHECK(!chosen || holds(*chosen));
    FUZZ_CHECK(!chosen || holds(pick) || holding == 1);
    // Found wherever it can be told apart: at its place, or as the one
    // memo left with its text, which is the picked memo itself when that
    // survived the change.
    if (holds(pick))
      FUZZ_CHECK(chosen == pick);
    else if (holding == 1 && picked)
      FUZZ_CHECK(chosen == picked);
    else if (holding == 1)
      FUZZ_CHECK(chosen.has_value());
  }

  // Through the store on a file in memory: a file that reads as the other
  // memos in the file's encoding (a UTF-8 file gets the byte order mark in
  // front where it needs it), or nothing written, refused for the encoding
  // where the file left would be taken for UTF-8 (a Shift-JIS file that
  // only reads so) or a UTF-8 file would need the mark that reads one of its
  // Shift-JIS lines otherwise, or where bytes that are no text would read
  // otherwise.
  if (place >= before.memos.size())
    return 0;
  fuzz::MemoryFiles memory;
  memory.files["memo.txt"] = std::string(file);
  MemoStore inMemory(memory);
  bool refused = false;
  try {
    FUZZ_CHECK(inMemory.removeSelected(static_cast<int>(place), before.memos[place]));
  } catch (const FileError &error) {
    refused = true;
    if (error.action() == FileError::Action::wouldMisread)
      FUZZ_CHECK(utf8File ? bom.empty() : reread.reading.encoding == Encoding::utf8);
    else
      FUZZ_CHECK(error.action() == FileError::Action::wouldChangeMemos && !allText);
  }
  const std::string written = memory.files["memo.txt"];
  if (refused) {
    FUZZ_CHECK(written == file);
  } else {
    FUZZ_CHECK(written == out ||
               (utf8File && bom.empty() && written == std::string(fuzz::kBom) + out));
    const tallynix::memo::MemoFile after = tallynix::memo::decodeMemos(written, codec);
    FUZZ_CHECK(after.reading.encoding == before.reading.encoding && after.memos == expected);
  }

  // The same on a real file, where the rewrite leaves no temporary file.
  if (!fuzz::throughRealFile(data, size))
    return 0;
  fuzz::writeFile(realFile, file);
  tallynix::posix::PosixFileSystem posix;
  MemoStore onDisk(posix, realFile);
  try {
    onDisk.removeSelected(static_cast<int>(place), before.memos[place]);
  } catch (const FileError &) {
    FUZZ_CHECK(refused);
  }
  FUZZ_CHECK(posix.read(realFile) == written);
  for (const auto &entry : std::filesystem::directory_iterator(scratch.path()))
    FUZZ_CHECK(entry.path().extension() != ".tmp");
  return 0;
}
