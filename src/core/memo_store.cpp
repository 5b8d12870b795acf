#include "core/memo_store.h"

#include "core/memo_format.h"

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

std::vector<std::wstring> MemoStore::readAll() {
  return memo::decodeMemos(files_.read(fileName_), codec_).memos;
}

std::optional<std::vector<std::wstring>> MemoStore::readAllIfFree() {
  const std::optional<std::string> bytes = files_.readIfFree(fileName_);
  if (!bytes)
    return std::nullopt;
  return memo::decodeMemos(*bytes, codec_).memos;
}

void MemoStore::append(std::wstring_view text) {
  const std::wstring flat = memo::flattenLineBreaks(text);
  files_.exclusively(fileName_, [&] {
    std::string bytes;
    try {
      bytes = bytesIfAny().value_or(std::string());
    } catch (const FileError &error) {
      // For the user the memo could not be added, whichever step failed.
      if (error.action() != FileError::Action::read)
        throw;
      throw FileError(FileError::Action::write, error.fullPath(), error.systemText());
    }
    const Encoding encoding = encodingOf(bytes);
    // One write: the line end a hand edit left out and the new line.
    const std::string added = memo::bytesToAppend(bytes, encodeFor(encoding, codec_, flat));
    if (encoding == Encoding::utf8 && encodingOf(bytes + added) != Encoding::utf8)
      rewrite(encoding, bytes + added); // a character that would hide the file's UTF-8
    else
      files_.append(fileName_, added);
  });
}

void MemoStore::removeByIndex(int index) {
  files_.exclusively(fileName_, [&] {
    const std::string bytes = files_.read(fileName_);
    const Encoding encoding = encodingOf(bytes);
    rewrite(encoding, memo::removeAt(bytes, encoding, static_cast<std::size_t>(index)));
  });
}

bool MemoStore::removeSelected(int index, std::wstring_view text) {
  bool removed = false;
  files_.exclusively(fileName_, [&] {
    const std::string bytes = files_.read(fileName_);
    const memo::MemoFile file = memo::decodeMemos(bytes, codec_);
    if (const auto place = memo::placeOfSelected(file.memos, index, text)) {
      rewrite(file.encoding, memo::removeAt(bytes, file.encoding, *place));
      removed = true;
    }
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
    // Emptied in place, as a folder that takes no new file allows.
    files_.truncate(fileName_);
    if (encodingOf(asked.bytes) == Encoding::utf8)
      files_.append(fileName_, kUtf8Bom);
    cleared = true;
  });
  return cleared;
}

std::optional<std::string> MemoStore::bytesIfAny() {
  if (!files_.size(fileName_))
    return std::nullopt;
  return files_.read(fileName_);
}

void MemoStore::rewrite(Encoding encoding, std::string bytes) {
  if (encoding == Encoding::utf8)
    bytes = keepingUtf8(std::move(bytes));
  files_.replace(fileName_, bytes);
}

} // namespace tallynix
