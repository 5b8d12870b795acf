// Keeping the memo list in step with memo.txt while other writers (a second
// copy, an editor, a sync client) change it: whether the file still holds
// what the list was filled from, and where the user's pick goes when the
// list's items are replaced. Portable: no Windows headers.
#pragma once

#include "core/memo_store.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tallynix {

// Where the list's selection goes when its items become `memos`, given the
// selected index before (-1 for none) and the text in the edit field, which
// a pick shows: the same place when it still holds that text, else the
// nearest place that does (the earlier one on a tie); -1 when nothing was
// selected or no memo holds that text any more.
int keptSelection(std::span<const std::wstring> memos, int selected, std::wstring_view text);

// The user's pick, kept while the list follows another writer that rewrites
// memo.txt in place (truncates it, then writes it, as shell redirection and
// many editors do): the list meets the file empty or half-written and loses
// the pick, which comes back once the file holds its memo again. The edit
// field keeps the pick's text meanwhile; typing there ends the pick.
class KeptPick {
public:
  // The list's selected item (-1 for none) and its edit field's text, before
  // its items are replaced.
  void look(int selected, std::wstring_view fieldText);
  // Where the selection goes when the items become `memos`; -1 for none,
  // the pick still kept.
  int placeIn(std::span<const std::wstring> memos);
  // The pick that the list lost while its text stays in the field: its last
  // place, -1 when there is none.
  int lost(std::wstring_view fieldText) const noexcept;
  const std::wstring &text() const noexcept { return text_; }
  void forget() noexcept { index_ = -1; }

private:
  int index_ = -1;
  std::wstring text_;
};

// Remembers what the list stands for as a fingerprint, not as a second copy
// of the memos.
class MemoFollower {
public:
  explicit MemoFollower(MemoStore &memos) : memos_(memos) {}

  // A fresh list, not filled yet: nothing to follow until it is.
  void forget() noexcept { known_.reset(); }
  // The list was filled with these memos, read from the memo file.
  void filled(std::span<const std::wstring> memos) noexcept;
  // The strip itself wrote the memo file and emptied the list: the file as
  // it is now is what the list stands for, so the write refills nothing.
  void acceptFile();
  // The memos to show when the memo file no longer holds what the list was
  // filled from. Nothing when it still does, when the list was never
  // filled, or when the file cannot be read just now (a later change, an
  // activation or the list's focus brings it). A missing file holds no
  // memos; it is not created.
  std::optional<std::vector<std::wstring>> changes();

private:
  std::optional<std::vector<std::wstring>> readNow();

  MemoStore &memos_;
  std::optional<std::uint64_t> known_;
};

} // namespace tallynix
