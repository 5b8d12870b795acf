// The deleter on arbitrary file bytes and an arbitrary place (the first two
// input bytes, 0 to 9999; the rest is the file). Its output is compared byte
// for byte with a reference model written here from the line rules, checked
// for its shape (numbered lines, each ending CR LF) and for what the list
// shows afterwards: every other memo as before. The selection check picks
// from a list the input's file had before another writer's change, and
// checks where the pick is found against where that change took it. The
// same deletion runs through MemoStore::removeAt on a file in memory
// and (one input in eight) on a real file.
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
using tallynix::MemoStore;

struct Kept {
  std::size_t place;     // the line's place before the deletion
  std::string_view line; // the whole input line
  std::string_view tail; // what follows its index
};

// The lines that survive the deletion of line `place`, each with its tail:
// after four or more leading digits the rest of the line, otherwise the line
// from its fourth character on, in the encoding the line is read in.
std::vector<Kept> keptLines(const std::vector<std::string_view> &lines, std::size_t place,
                            tallynix::Reading reading, const Cp932 &codec) {
  std::vector<Kept> kept;
  for (std::size_t k = 0; k < lines.size(); ++k) {
    if (k == place)
      continue;
    const std::string_view line = lines[k];
    const std::size_t digits = fuzz::countDigits(line);
    const bool longIndex = digits >= 4 && line.front() != '0';
    const bool utf8 = tallynix::readsAsUtf8(line, reading, codec);
    kept.push_back(
        {k, line, longIndex ? line.substr(digits) : fuzz::afterThreeCharacters(line, utf8)});
  }
  return kept;
}

// A line as the program writes it: an index of three digits, or of more
// without a leading zero, then nothing or a space and the text. Reading such
// a line and renumbering it agree; the file format is defined by these lines.
bool isWellFormed(std::string_view line) {
  const std::size_t digits = fuzz::countDigits(line);
  const bool index = digits == 3 || (digits > 3 && line.front() != '0');
  return index && (digits == line.size() || line[digits] == ' ');
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
  const bool utf8File = before.encoding() == Encoding::utf8;

  const std::string out = tallynix::memo::removeAt(file, before.reading, place, codec);

  // Byte for byte what the reference model gives: the byte order mark, then
  // the kept lines' tails behind their new numbers.
  const std::string_view bom = file.starts_with(fuzz::kBom) ? fuzz::kBom : "";
  const auto lines = fuzz::splitLines(file.substr(bom.size()));
  const std::vector<Kept> kept = keptLines(lines, place, before.reading, codec);
  std::string model(bom);
  for (std::size_t k = 0; k < kept.size(); ++k)
    model += fuzz::indexText(static_cast<int>(k)) + std::string(kept[k].tail) + "\r\n";
  FUZZ_CHECK(out == model);

  // Its shape, read back without the model: every line ends with CR LF,
  // the k-th starts with k in the "000" format, and behind it stands the
  // kept line's tail unchanged, which is also the end of the old line.
  const std::string_view body = std::string_view(out).substr(bom.size());
  FUZZ_CHECK(body.empty() || body.ends_with("\r\n"));
  const auto outLines = fuzz::splitLines(body);
  FUZZ_CHECK(outLines.size() == kept.size());
  for (std::size_t k = 0; k < outLines.size(); ++k) {
    const std::string number = fuzz::indexText(static_cast<int>(k));
    FUZZ_CHECK(outLines[k].starts_with(number));
    FUZZ_CHECK(outLines[k].substr(number.size()) == kept[k].tail);
    FUZZ_CHECK(kept[k].line.ends_with(kept[k].tail));
  }

  // What the list shows afterwards, through the store on a file in memory:
  // every other memo as before, at its new place, in the file's encoding;
  // a UTF-8 file gets the byte order mark in front where it needs it to
  // stay UTF-8. Where neither way reads so, the store writes nothing.
  std::vector<std::wstring> expected;
  for (const Kept &k : kept)
    expected.push_back(before.memos[k.place]);
  const auto readsRight = [&](const std::string &bytes) {
    const tallynix::memo::MemoFile after = tallynix::memo::decodeMemos(bytes, codec);
    return after.encoding() == before.encoding() && after.memos == expected;
  };
  const std::string withBom = std::string(fuzz::kBom) + out;
  const bool bomNeeded = utf8File && !bom.size() && !readsRight(out) && readsRight(withBom);
  const bool safe = readsRight(out) || bomNeeded;
  fuzz::MemoryFiles memory;
  memory.files["memo.txt"] = std::string(file);
  MemoStore inMemory(memory);
  try {
    inMemory.removeAt(static_cast<int>(place));
    FUZZ_CHECK(safe);
  } catch (const tallynix::FileError &error) {
    FUZZ_CHECK(!safe && error.action() == tallynix::FileError::Action::wouldMisread);
  }
  const std::string written = !safe ? std::string(file) : bomNeeded ? withBom : out;
  FUZZ_CHECK(memory.files["memo.txt"] == written);
  // The lines the program writes keep their memos, whatever the encoding.
  const tallynix::memo::MemoFile reread = tallynix::memo::decodeMemos(out, codec);
  if (before.encoding() == reread.encoding())
    for (std::size_t k = 0; k < kept.size(); ++k)
      if (isWellFormed(kept[k].line))
        FUZZ_CHECK(reread.memos[k] == expected[k]);

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

  // The same on a real file, where the rewrite leaves no temporary file.
  if (!fuzz::throughRealFile(data, size))
    return 0;
  fuzz::writeFile(realFile, file);
  tallynix::posix::PosixFileSystem posix;
  MemoStore onDisk(posix, realFile);
  try {
    onDisk.removeAt(static_cast<int>(place));
  } catch (const tallynix::FileError &) {
    FUZZ_CHECK(!safe);
  }
  FUZZ_CHECK(posix.read(realFile) == written);
  for (const auto &entry : std::filesystem::directory_iterator(scratch.path()))
    FUZZ_CHECK(entry.path().extension() != ".tmp");
  return 0;
}
