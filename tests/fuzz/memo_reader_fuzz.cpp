// The memo reader on arbitrary file bytes: decode from code page 932, then
// split into memos, directly and through MemoStore::readAll on a file in
// memory and (one input in eight) on a real file. Beyond "no crash, no
// hang, no leak" it checks that decoding keeps every CR and LF, that there
// is one memo per line by the line rules, and that each memo is what the
// reading rule gives for its own line decoded on its own.
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
using tallynix::MemoStore;

// The memo a decoded line holds: after four or more leading digits (not
// starting with 0) the rest of the line less one separating space, otherwise
// the line from its fifth character on.
std::wstring memoOfLine(std::wstring_view line) {
  const std::size_t digits = fuzz::countDigits(line);
  if (digits >= 4 && line.front() != L'0') {
    std::wstring_view rest = line.substr(digits);
    if (!rest.empty() && rest.front() == L' ')
      rest.remove_prefix(1);
    return std::wstring(rest);
  }
  return line.size() > 4 ? std::wstring(line.substr(4)) : std::wstring();
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

  // Decoding: never more characters than bytes, only Unicode scalar
  // values, and every CR and LF byte comes back as itself.
  const std::wstring text = codec.decode(bytes);
  FUZZ_CHECK(text.size() <= bytes.size());
  FUZZ_CHECK(std::all_of(text.begin(), text.end(), isUnicodeScalar));
  FUZZ_CHECK(std::count(text.begin(), text.end(), L'\r') ==
             std::count(bytes.begin(), bytes.end(), '\r'));
  FUZZ_CHECK(std::count(text.begin(), text.end(), L'\n') ==
             std::count(bytes.begin(), bytes.end(), '\n'));

  // One memo per line, each the reading rule applied to that line alone.
  const std::vector<std::wstring> memos = tallynix::memo::parseMemos(text);
  const auto lines = fuzz::splitLines(bytes);
  FUZZ_CHECK(memos.size() == lines.size());
  for (std::size_t k = 0; k < lines.size(); ++k) {
    FUZZ_CHECK(memos[k].find(L'\r') == std::wstring::npos);
    FUZZ_CHECK(memos[k] == memoOfLine(codec.decode(lines[k])));
  }

  // The same through the store, on a file in memory and on a real file.
  fuzz::MemoryFiles memory;
  memory.files["memo.txt"] = std::string(bytes);
  MemoStore inMemory(memory);
  FUZZ_CHECK(inMemory.readAll() == memos);
  FUZZ_CHECK(inMemory.sizeInBytes() == bytes.size());

  if (!fuzz::throughRealFile(data, size))
    return 0;
  fuzz::writeFile(realFile, bytes);
  tallynix::posix::PosixFileSystem posix;
  MemoStore onDisk(posix, realFile);
  FUZZ_CHECK(onDisk.readAll() == memos);
  FUZZ_CHECK(onDisk.sizeInBytes() == bytes.size());
  return 0;
}
