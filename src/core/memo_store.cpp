#include "core/memo_store.h"

#include "core/memo_format.h"

namespace tallynix {
namespace {

// The first character of `text` that code page 932 cannot store, so that
// the user learns which one to take out.
std::wstring firstUnstorable(const Cp932 &codec, std::wstring_view text) {
  for (std::size_t i = 0; i < text.size();) {
    std::size_t length = 1;
    if constexpr (sizeof(wchar_t) == 2) {
      const bool pair = text[i] >= 0xD800 && text[i] < 0xDC00 && i + 1 < text.size() &&
                        text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000;
      length = pair ? 2 : 1;
    }
    const std::wstring_view character = text.substr(i, length);
    if (!codec.encode(character))
      return std::wstring(character);
    i += length;
  }
  return {};
}

} // namespace

void MemoStore::touch() { files_.touch(fileName_); }

std::vector<std::wstring> MemoStore::readAll() {
  return memo::parseMemos(codec_.decode(files_.read(fileName_)));
}

std::optional<std::vector<std::wstring>> MemoStore::readAllIfFree() {
  const std::optional<std::string> bytes = files_.readIfFree(fileName_);
  if (!bytes)
    return std::nullopt;
  return memo::parseMemos(codec_.decode(*bytes));
}

void MemoStore::append(std::wstring_view text) {
  const std::wstring flat = memo::flattenLineBreaks(text);
  const std::optional<std::string> encoded = codec_.encode(flat);
  if (!encoded)
    throw UnrepresentableText(firstUnstorable(codec_, flat));
  files_.exclusively(fileName_, [&] {
    std::string bytes;
    try {
      if (files_.size(fileName_))
        bytes = files_.read(fileName_);
    } catch (const FileError &error) {
      // For the user the memo could not be added, whichever step failed.
      if (error.action() != FileError::Action::read)
        throw;
      throw FileError(FileError::Action::write, error.fullPath(), error.systemText());
    }
    // One write: the line end a hand edit left out and the new line.
    files_.append(fileName_, memo::bytesToAppend(bytes, *encoded));
  });
}

void MemoStore::removeByIndex(int index) {
  files_.exclusively(fileName_, [&] {
    files_.replace(fileName_, memo::removeIndex(files_.read(fileName_), index));
  });
}

bool MemoStore::removeSelected(int index, std::wstring_view text) {
  bool removed = false;
  files_.exclusively(fileName_, [&] {
    const std::string bytes = files_.read(fileName_);
    const std::optional<std::string> rest =
        memo::removeSelected(bytes, memo::parseMemos(codec_.decode(bytes)), index, text);
    if (rest) {
      files_.replace(fileName_, *rest);
      removed = true;
    }
  });
  return removed;
}

std::optional<std::uint64_t> MemoStore::sizeInBytes() { return files_.size(fileName_); }

void MemoStore::truncate() {
  // In turn with the other copies, or a rewrite they began before could
  // bring the memos back.
  files_.exclusively(fileName_, [&] {
    files_.touch(fileName_);
    files_.truncate(fileName_);
  });
}

} // namespace tallynix
