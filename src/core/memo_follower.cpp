#include "core/memo_follower.h"

namespace tallynix {
namespace {

// FNV-1a over each memo's length and code units: equal lists give equal
// fingerprints, and a memo's end cannot pass for the next one's start.
std::uint64_t fingerprintOf(std::span<const std::wstring> memos) noexcept {
  std::uint64_t hash = 14695981039346656037ull;
  const auto mix = [&hash](std::uint64_t value) {
    for (int byte = 0; byte < 4; ++byte, value >>= 8) {
      hash ^= value & 0xff;
      hash *= 1099511628211ull;
    }
  };
  mix(memos.size());
  for (const std::wstring &memo : memos) {
    mix(memo.size());
    for (const wchar_t unit : memo)
      mix(static_cast<std::uint64_t>(unit));
  }
  return hash;
}

} // namespace

int keptSelection(std::span<const std::wstring> memos, int selected, std::wstring_view text) {
  if (selected < 0)
    return -1;
  const int count = static_cast<int>(memos.size());
  const int reach = selected > count ? selected : count;
  for (int distance = 0; distance <= reach; ++distance)
    for (const int at : {selected - distance, selected + distance})
      if (at >= 0 && at < count && memos[static_cast<std::size_t>(at)] == text)
        return at;
  return -1;
}

void KeptPick::look(int selected, std::wstring_view fieldText) {
  if (selected >= 0) {
    index_ = selected;
    text_ = fieldText;
  } else if (fieldText != text_) {
    forget();
  }
}

int KeptPick::placeIn(std::span<const std::wstring> memos) {
  if (index_ < 0)
    return -1;
  const int place = keptSelection(memos, index_, text_);
  if (place >= 0)
    index_ = place;
  return place;
}

int KeptPick::lost(std::wstring_view fieldText) const noexcept {
  return fieldText == text_ ? index_ : -1;
}

void MemoFollower::filled(std::span<const std::wstring> memos) noexcept {
  known_ = fingerprintOf(memos);
}

void MemoFollower::acceptFile() {
  if (const auto memos = readNow())
    filled(*memos);
  else
    forget(); // the list is empty; the next focus fills it from the file
}

std::optional<std::vector<std::wstring>> MemoFollower::changes() {
  if (!known_)
    return std::nullopt;
  auto memos = readNow();
  if (!memos || fingerprintOf(*memos) == *known_)
    return std::nullopt;
  return memos;
}

std::optional<std::vector<std::wstring>> MemoFollower::readNow() {
  // Never waits: a file held by another program, or being replaced, is
  // looked at again on its next change.
  return memos_.readAllIfFree();
}

} // namespace tallynix
