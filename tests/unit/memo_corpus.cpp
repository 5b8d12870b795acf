#include "memo_corpus.h"

namespace tallynix::testing {
namespace {

constexpr std::string_view kCorpus[] = {
#include "memo_corpus.inc"
};

} // namespace

std::span<const std::string_view> memoCorpus() { return kCorpus; }

} // namespace tallynix::testing
