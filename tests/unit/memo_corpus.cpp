#include "memo_corpus.h"

namespace tallynix::testing {
namespace {

constexpr std::string_view kCorpus[] = {
#include "memo_corpus.inc"
};

constexpr std::string_view kHeldOut[] = {
#include "memo_holdout.inc"
};

} // namespace

std::span<const std::string_view> memoCorpus() { return kCorpus; }
std::span<const std::string_view> heldOutMemos() { return kHeldOut; }

} // namespace tallynix::testing
