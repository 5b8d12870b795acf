#include "memo/memo_store.h"

#include "memo/memo_format.h"

namespace tallynix {

void MemoStore::touch(std::string_view fileName) { files_.touch(fileName); }

std::vector<std::wstring> MemoStore::readAll(std::string_view fileName) {
  return memo::parseMemos(codec_.decode(files_.read(fileName)));
}

void MemoStore::append(std::string_view fileName, int index, std::wstring_view text) {
  const std::optional<std::string> encoded = codec_.encode(memo::flattenLineBreaks(text));
  if (!encoded)
    throw UnrepresentableText();
  files_.append(fileName, memo::formatLine(index, *encoded));
}

void MemoStore::removeByIndex(std::string_view fileName, int index) {
  files_.replace(fileName, memo::removeIndex(files_.read(fileName), index));
}

std::optional<std::uint64_t> MemoStore::sizeInBytes(std::string_view fileName) {
  return files_.size(fileName);
}

void MemoStore::truncate(std::string_view fileName) {
  files_.touch(fileName);
  files_.truncate(fileName);
}

} // namespace tallynix
