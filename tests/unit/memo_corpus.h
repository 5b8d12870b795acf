// Memo texts as people write them, for measuring how memo.txt's encoding is
// told: tests/unit/data/memo_corpus.txt and memo_holdout.txt, made by the
// generators beside them, built into the tests.
#pragma once

#include <span>
#include <string_view>

namespace tallynix::testing {

// Each text in UTF-8, in the file's order: the corpus the rule is measured
// on, and a second set written apart from it and from the rule (which was
// then changed for what that set showed).
std::span<const std::string_view> memoCorpus();
std::span<const std::string_view> heldOutMemos();

} // namespace tallynix::testing
