#include "core/memo_store.h"

#include <algorithm>

namespace tallynix {
namespace {

// The length of the character at `i`: two code units for a surrogate pair
// where wchar_t is 16 bits.
std::size_t characterLength(std::wstring_view text, std::size_t i) {
  if constexpr (sizeof(wchar_t) == 2)
    return text[i] >= 0xD800 && text[i] < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                   text[i + 1] < 0xE000
               ? 2
               : 1;
  return 1;
}

// The text as the file stores it: UTF-8 stores any; code page 932 refuses
// a text naming its first character that it lacks, so that the user learns
// which one to take out.
std::string encodeFor(Encoding encoding, const Cp932 &codec, std::wstring_view text) {
  if (encoding == Encoding::utf8)
    return utf8::encode(text);
  if (std::optional<std::string> bytes = codec.encode(text))
    return std::move(*bytes);
  for (std::size_t i = 0; i < text.size();) {
    const std::wstring_view character = text.substr(i, characterLength(text, i));
    if (!codec.encode(character))
      throw UnrepresentableText(std::wstring(character));
    i += character.size();
  }
  throw UnrepresentableText({});
}

} // namespace

void MemoStore::touch() { files_.touch(fileName_); }

std::vector<std::wstring> MemoStore::readAll() { return memosOf(files_.read(fileName_)); }

std::optional<std::string> MemoStore::bytesIfFree() { return files_.readIfFree(fileName_); }

std::vector<std::wstring> MemoStore::memosOf(std::string_view bytes) const {
  return memo::decodeMemos(bytes, codec_).memos;
}

void MemoStore::append(std::wstring_view text) {
  const std::wstring flat = memo::flattenLineBreaks(text);
  files_.exclusively(fileName_, [&] {
    std::string before;
    try {
      before = bytesIfAny().value_or(std::string());
    } catch (const FileError &error) {
      // For the user the memo could not be added, whichever step failed.
      if (error.action() != FileError::Action::read)
        throw;
      throw FileError(FileError::Action::write, error.fullPath(), error.systemText());
    }
    const Reading reading = readingOf(before, codec_);
    const std::string encoded = encodeFor(reading.encoding, codec_, flat);
    const std::wstring added =
        memo::decodeText(encoded, reading.encoding == Encoding::utf8, codec_);
    write(before, before + memo::bytesToAppend(before, reading, encoded), reading, {&added, 1},
          Way::append);
  });
}

bool MemoStore::removeSelected(int index, std::wstring_view text) {
  bool removed = false;
  files_.exclusively(fileName_, [&] {
    const std::string before = files_.read(fileName_);
    memo::MemoFile file = memo::decodeMemos(before, codec_);
    const auto place = memo::placeOfSelected(file.memos, index, text);
    if (!place)
      return;
    std::string after = memo::removeAt(before, file.reading, *place, codec_);
    // What the rest must read as: the file's memos without that one, moved
    // rather than copied.
    file.memos.erase(file.memos.begin() + static_cast<std::ptrdiff_t>(*place));
    write(before, std::move(after), file.reading, file.memos);
    removed = true;
  });
  return removed;
}

std::optional<MemoSnapshot> MemoStore::snapshot() {
  std::optional<std::string> bytes = bytesIfAny();
  if (!bytes)
    return std::nullopt;
  std::vector<std::wstring> memos = memo::decodeMemos(*bytes, codec_).memos;
  return MemoSnapshot{std::move(*bytes), std::move(memos)};
}

bool MemoStore::clear(const MemoSnapshot &asked) {
  bool cleared = false;
  // In turn with the other copies, so that what is emptied is what the
  // user was asked about, and a rewrite they began cannot bring memos back.
  files_.exclusively(fileName_, [&] {
    if (bytesIfAny() != asked.bytes)
      return;
    // No memo at all; write gives a UTF-8 file its byte order mark, so
    // that it stays UTF-8.
    write(asked.bytes, std::string(), readingOf(asked.bytes, codec_), {}, Way::clear);
    cleared = true;
  });
  return cleared;
}

std::optional<std::string> MemoStore::bytesIfAny() {
  if (!files_.size(fileName_))
    return std::nullopt;
  return files_.read(fileName_);
}

void MemoStore::write(std::string_view before, std::string after, Reading reading,
                      std::span<const std::wstring> expected, Way way) {
  // The memos of `expected` that were in the file before the change.
  std::size_t kept = expected.size();
  std::vector<std::wstring> all;
  if (way == Way::append) {
    // Every line keeps its bytes, and a line reads by its bytes and the
    // file's reading alone: a file that still reads as it did, and reads
    // the new line in the encoding it was written in, reads every memo as
    // before and the new one as written, without decoding it all. (The CR
    // LF around the new line weigh nothing either way.)
    const std::string_view added = std::string_view(after).substr(before.size());
    if (readingOf(after, codec_) == reading &&
        readsAsUtf8(added, reading, codec_) == (reading.encoding == Encoding::utf8))
      return files_.append(fileName_, added);
    // The reading would turn: a UTF-8 file gets the byte order mark in
    // front, and so is rewritten, and a Shift-JIS file is refused.
    all = memo::decodeMemos(before, reading, codec_).memos;
    kept = all.size();
    all.insert(all.end(), expected.begin(), expected.end());
    expected = all;
  }
  Reading reads = readingOf(after, codec_);
  const auto misread = [&] {
    if (reads.encoding != reading.encoding)
      return true;
    const std::vector<std::wstring> memos = memo::decodeMemos(after, reads, codec_).memos;
    return !std::equal(memos.begin(), memos.end(), expected.begin(), expected.end());
  };
  bool wrong = misread();
  if (wrong && reading.encoding == Encoding::utf8 && reads.bomSize == 0) {
    // A UTF-8 file whose bytes would no longer tell that they are UTF-8, or
    // would read a UTF-8 line as Shift-JIS, gets the byte order mark in
    // front: then the mark alone decides, and every UTF-8 line reads so.
    after.insert(0, kUtf8Bom);
    reads = readingOf(after, codec_);
    wrong = misread();
  }
  if (wrong) {
    // Why, in the user's terms: how the file is told would turn (its
    // encoding, or the byte order mark it would need) for the memos that are
    // there, or for the new one alone; or a text itself would change.
    const std::vector<std::wstring> memos = memo::decodeMemos(after, reads, codec_).memos;
    const auto wrongAt = static_cast<std::size_t>(
        std::mismatch(memos.begin(), memos.end(), expected.begin(), expected.end()).second -
        expected.begin());
    throw FileError(reads == reading  ? FileError::Action::wouldChangeMemos
                    : wrongAt >= kept ? FileError::Action::wouldMisreadNew
                                      : FileError::Action::wouldMisread,
                    files_.fullPath(fileName_), {});
  }
  if (way != Way::clear)
    return files_.replace(fileName_, after);
  // Clear all goes through the file itself where it cannot replace it: in
  // a folder that takes no new file, or while another program (many a
  // viewer) holds memo.txt open without sharing its delete.
  if (files_.takesNewFiles(fileName_)) {
    try {
      return files_.replace(fileName_, after);
    } catch (const FileError &error) {
      if (!error.heldByAnother())
        throw;
    }
  }
  files_.emptyInPlace(fileName_, after);
}

} // namespace tallynix
