// How memo.txt splits into lines, in bytes and in text alike: a line ends at
// CR or CR LF; a bare LF is part of the line. Portable: no Windows headers.
#pragma once

#include <string_view>
#include <type_traits>

namespace tallynix::memo {

// Calls `onLine` for every line of `text`, without its terminator, until it
// returns false (where it returns anything). The last line needs no
// terminator, and a terminator at the very end starts no further line. CR
// and LF are never trail bytes of code page 932 nor parts of a UTF-8
// sequence, so bytes split alike in either encoding.
template <typename Char, typename OnLine>
void forEachLine(std::basic_string_view<Char> text, OnLine onLine) {
  const auto more = [&](std::basic_string_view<Char> line) {
    if constexpr (std::is_same_v<decltype(onLine(line)), bool>)
      return onLine(line);
    else
      return onLine(line), true;
  };
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t cr = text.find(Char('\r'), start);
    if (cr == text.npos) {
      more(text.substr(start));
      return;
    }
    if (!more(text.substr(start, cr - start)))
      return;
    start = cr + 1;
    if (start < text.size() && text[start] == Char('\n'))
      ++start;
  }
}

} // namespace tallynix::memo
