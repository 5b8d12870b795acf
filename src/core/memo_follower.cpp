#include "core/memo_follower.h"

#include "core/memo_format.h"

namespace tallynix {
namespace {

constexpr std::uint64_t kFnvOffset = 14695981039346656037ull;
constexpr std::uint64_t kFnvPrime = 1099511628211ull;

// FNV-1a over each memo's length and code units: equal lists give equal
// fingerprints, and a memo's end cannot pass for the next one's start.
std::uint64_t fingerprintOf(std::span<const std::wstring> memos) noexcept {
  std::uint64_t hash = kFnvOffset;
  const auto mix = [&hash](std::uint64_t value) {
    for (int byte = 0; byte < 4; ++byte, value >>= 8) {
      hash ^= value & 0xff;
      hash *= kFnvPrime;
    }
  };
  for (const std::wstring &memo : memos) {
    mix(memo.size());
    for (const wchar_t unit : memo)
      mix(static_cast<std::uint64_t>(unit));
  }
  return hash;
}

std::uint64_t fingerprintOf(std::string_view bytes) noexcept {
  std::uint64_t hash = kFnvOffset;
  for (const char byte : bytes) {
    hash ^= static_cast<unsigned char>(byte);
    hash *= kFnvPrime;
  }
  return hash;
}

} // namespace

void KeptPick::look(int selected, std::wstring_view fieldText) {
  if (selected >= 0) {
    if (selected != shown_ || fieldText != text_) {
      index_ = shown_ = selected;
      text_ = fieldText;
    }
  } else if (fieldText != text_) {
    forget();
  }
}

int KeptPick::placeIn(std::span<const std::wstring> memos) {
  if (index_ < 0)
    return -1;
  const std::optional<std::size_t> place = memo::placeOfSelected(memos, index_, text_);
  shown_ = place ? static_cast<int>(*place) : -1;
  return shown_;
}

int KeptPick::picked(int selected, std::wstring_view fieldText) const noexcept {
  return index_ >= 0 && fieldText == text_ && (selected < 0 || selected == shown_) ? index_
                                                                                   : selected;
}

void MemoFollower::loaded() noexcept { state_ = {}; }

void MemoFollower::shown() {
  if (!state_.arming)
    list_.callOnScreen();
  state_.arming = true;
}

void MemoFollower::hidden() {
  state_.arming = false;
  list_.stopWatching();
}

void MemoFollower::onScreen(bool visible) {
  if (!state_.arming || !visible)
    return;
  state_.arming = false;
  list_.startWatching();
  follow(); // what changed since it was shown
}

void MemoFollower::activated() {
  if (!state_.arming)
    follow();
}

void MemoFollower::closedUp() {
  if (state_.pending)
    list_.callAfterCloseUp();
}

void MemoFollower::pendingDue() {
  if (state_.pending)
    follow();
}

void MemoFollower::typed() noexcept {
  if (!replacing_)
    state_.pick.forget();
}

void MemoFollower::filled(std::span<const std::wstring> memos) noexcept {
  state_.pick.forget();
  state_.known = fingerprintOf(memos);
  state_.seen.reset();
}

void MemoFollower::wroteFile() {
  state_.pick.forget();
  // Looked at as another writer's change would be: the empty list then
  // stands for the file, as its next focus will fill it; one that cannot be
  // read just now leaves nothing to follow until then.
  state_.known.reset();
  if (const std::optional<std::string> bytes = memos_.bytesIfFree()) {
    state_.known = fingerprintOf(memos_.memosOf(*bytes));
    state_.seen = fingerprintOf(*bytes);
  }
}

void MemoFollower::follow(bool evenIfDropped) {
  if (!evenIfDropped && list_.droppedDown()) {
    state_.pending = true;
    return;
  }
  state_.pending = false;
  const auto memos = changes();
  if (!memos)
    return;
  state_.pick.look(list_.selectedItem(), list_.typedText());
  replacing_ = true;
  list_.replaceItems(*memos, state_.pick.placeIn(*memos));
  replacing_ = false;
}

std::optional<std::vector<std::wstring>> MemoFollower::changes() {
  if (!state_.known)
    return std::nullopt;
  // Never waits: a file held by another program, or being replaced, is
  // looked at again on its next change.
  const std::optional<std::string> bytes = memos_.bytesIfFree();
  if (!bytes)
    return std::nullopt;
  const std::uint64_t seen = fingerprintOf(*bytes);
  if (seen == state_.seen)
    return std::nullopt;
  state_.seen = seen;
  std::vector<std::wstring> memos = memos_.memosOf(*bytes);
  const std::uint64_t known = fingerprintOf(memos);
  if (known == *state_.known)
    return std::nullopt;
  state_.known = known; // what the list is about to stand for
  return memos;
}

} // namespace tallynix
