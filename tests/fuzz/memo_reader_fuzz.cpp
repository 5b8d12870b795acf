// The memo reader on arbitrary file bytes: tell the encoding, split into
// lines, decode each, directly and through MemoStore::readAll on a file in
// memory and (one input in eight) on a real file. Beyond "no crash, no
// hang, no leak" it checks that decoding keeps every CR and LF, that there
// is one memo per line by the line rules, that each memo is what the
// reading rule gives for its own line decoded on its own (UTF-8 by glibc's
// iconv), and that adding a memo never changes how the others read.
#include "fuzz_support.h"

#include "core/cp932.h"
#include "core/memo_format.h"
#include "core/memo_store.h"
#include "posix/file_system_posix.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

using tallynix::Cp932;
using tallynix::Encoding;
using tallynix::MemoStore;

// The memo a decoded line holds: after four or more leading digits (not
// starting with 0) the rest of the line less one separating space, otherwise
// the line from its fifth character on. A NUL shows as ␀.
std::wstring memoOfLine(std::wstring line) {
  std::replace(line.begin(), line.end(), L'\0', L'\u2400');
  const std::wstring_view view = line;
  const std::size_t digits = fuzz::countDigits(view);
  if (digits >= 4 && line.front() != L'0') {
    std::wstring_view rest = view.substr(digits);
    if (!rest.empty() && rest.front() == L' ')
      rest.remove_prefix(1);
    return std::wstring(rest);
  }
  return line.size() > 4 ? line.substr(4) : std::wstring();
}

bool isUnicodeScalar(wchar_t c) {
  const auto u = static_cast<std::uint32_t>(c);
  return u <= 0x10FFFF && (u < 0xD800 || u > 0xDFFF);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  static const Cp932 codec;
  static fuzz::ScratchFolder scratch;
  static const std::string realFile = scratch.file("memo.txt");

  const std::string_view bytes(reinterpret_cast<const char *>(data), size);

  // Code page 932 decoding: never more characters than bytes, only Unicode
  // scalar values, and every CR and LF byte comes back as itself.
  const std::wstring text = codec.decode(bytes);
  FUZZ_CHECK(text.size() <= bytes.size());
  FUZZ_CHECK(std::all_of(text.begin(), text.end(), isUnicodeScalar));
  FUZZ_CHECK(std::count(text.begin(), text.end(), L'\r') ==
             std::count(bytes.begin(), bytes.end(), '\r'));
  FUZZ_CHECK(std::count(text.begin(), text.end(), L'\n') ==
             std::count(bytes.begin(), bytes.end(), '\n'));

  // The encoding: a byte order mark says UTF-8; without one, UTF-8 needs a
  // line of it with more than ASCII to be well-formed UTF-8.
  const tallynix::memo::MemoFile file = tallynix::memo::decodeMemos(bytes, codec);
  const bool bom = bytes.starts_with(fuzz::kBom);
  const std::string_view body = bom ? bytes.substr(fuzz::kBom.size()) : bytes;
  const auto lines = fuzz::splitLines(body);
  if (bom)
    FUZZ_CHECK(file.reading.encoding == Encoding::utf8);
  else if (file.reading.encoding == Encoding::utf8)
    FUZZ_CHECK(std::any_of(lines.begin(), lines.end(), [](std::string_view line) {
      return fuzz::decodeUtf8(line) &&
             std::any_of(line.begin(), line.end(), [](char c) { return c & 0x80; });
    }));

  // One memo per line, each the reading rule applied to that line alone,
  // decoded as UTF-8 where the file is UTF-8 and the line well-formed; in a
  // file without the byte order mark, not where the line on its own would
  // make a Shift-JIS file (Shift-JIS wins clearly on it; a space in front,
  // so that no line starts with a byte order mark).
  FUZZ_CHECK(file.memos.size() == lines.size());
  for (std::size_t k = 0; k < lines.size(); ++k) {
    auto utf8 = file.reading.encoding == Encoding::utf8 ? fuzz::decodeUtf8(lines[k]) : std::nullopt;
    if (utf8 && !tallynix::readsAsUtf8(lines[k], file.reading, codec)) {
      const std::string alone = " " + std::string(lines[k]);
      FUZZ_CHECK(!bom && tallynix::readingOf(alone, codec).encoding == Encoding::shiftJis);
      utf8.reset();
    }
    FUZZ_CHECK(file.memos[k].find(L'\r') == std::wstring::npos);
    FUZZ_CHECK(file.memos[k] == memoOfLine(utf8 ? *utf8 : codec.decode(lines[k])));
  }

  // The same through the store, on a file in memory; an added memo comes
  // last and leaves the others reading as they did, or the store writes
  // nothing and says why. Only a Shift-JIS file refuses an emoji.
  fuzz::MemoryFiles memory;
  memory.files["memo.txt"] = std::string(bytes);
  MemoStore inMemory(memory);
  FUZZ_CHECK(inMemory.readAll() == file.memos);
  FUZZ_CHECK(inMemory.snapshot()->bytes == bytes);
  const std::wstring added = file.reading.encoding == Encoding::utf8 ? L"卵\U0001F600" : L"卵";
  std::vector<std::wstring> expected = file.memos;
  expected.push_back(added);
  try {
    inMemory.append(added);
    FUZZ_CHECK(inMemory.readAll() == expected);
    FUZZ_CHECK(tallynix::readingOf(memory.files["memo.txt"], codec).encoding ==
               file.reading.encoding);
  } catch (const tallynix::FileError &error) {
    FUZZ_CHECK(error.action() == tallynix::FileError::Action::wouldMisread ||
               error.action() == tallynix::FileError::Action::wouldMisreadNew);
    FUZZ_CHECK(memory.files["memo.txt"] == bytes);
  }
  if (file.reading.encoding == Encoding::shiftJis) {
    const std::string before = memory.files["memo.txt"];
    try {
      inMemory.append(L"\U0001F600");
      FUZZ_CHECK(!"an emoji stored in a Shift-JIS file");
    } catch (const tallynix::UnrepresentableText &) {
    }
    FUZZ_CHECK(memory.files["memo.txt"] == before);
  }

  if (!fuzz::throughRealFile(data, size))
    return 0;
  fuzz::writeFile(realFile, bytes);
  tallynix::posix::PosixFileSystem posix;
  MemoStore onDisk(posix, realFile);
  FUZZ_CHECK(onDisk.readAll() == file.memos);
  FUZZ_CHECK(onDisk.snapshot()->memos == file.memos);
  return 0;
}
