#include "core/memo_store.h"

#include "core/memo_format.h"

namespace tallynix {

void MemoStore::touch() { files_.touch(fileName_); }

std::vector<std::wstring> MemoStore::readAll() {
  return memo::parseMemos(codec_.decode(files_.read(fileName_)));
}

void MemoStore::append(int index, std::wstring_view text) {
  const std::optional<std::string> encoded = codec_.encode(memo::flattenLineBreaks(text));
  if (!encoded)
    throw UnrepresentableText();
  files_.append(fileName_, memo::formatLine(index, *encoded));
}

void MemoStore::removeByIndex(int index) {
  files_.replace(fileName_, memo::removeIndex(files_.read(fileName_), index));
}

std::optional<std::uint64_t> MemoStore::sizeInBytes() { return files_.size(fileName_); }

void MemoStore::truncate() {
  files_.touch(fileName_);
  files_.truncate(fileName_);
}

} // namespace tallynix
