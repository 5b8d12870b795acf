// Memo texts as people write them, for measuring how memo.txt's encoding is
// told: tests/unit/data/memo_corpus.txt, made by make_memo_corpus.py beside
// it, built into the tests.
#pragma once

#include <span>
#include <string_view>

namespace tallynix::testing {

// Each text in UTF-8, in the corpus's order.
std::span<const std::string_view> memoCorpus();

} // namespace tallynix::testing
