// Keeping the memo list in step with memo.txt while other writers (a second
// copy, an editor, a sync client) change it: when the strip looks at the
// file, whether the file still holds what the list was filled from, and
// where the user's pick goes when the list's items are replaced. The window
// reports its events and does what it is asked with its Windows calls.
// Portable: no Windows headers.
#pragma once

#include "core/memo_store.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tallynix {

// The user's pick, kept while the list follows another writer that rewrites
// memo.txt in place (truncates it, then writes it, as shell redirection and
// many editors do): the list meets the file empty or half-written and loses
// the pick, which comes back once the file holds its memo again. A pick is
// found as the delete button finds it: at the place the user picked it, or
// at the one place that holds its text, never at one of several. The edit
// field keeps the pick's text meanwhile; typing there ends the pick.
class KeptPick {
public:
  // The list's selected item (-1 for none) and its edit field's text, before
  // its items are replaced. A selection that placeIn made is no new pick.
  void look(int selected, std::wstring_view fieldText);
  // Where the selection goes when the items become `memos`; -1 for none,
  // the pick still kept.
  int placeIn(std::span<const std::wstring> memos);
  // The memo the delete button acts on, given the list's selected item and
  // its field's text: the place the user picked it at, while the list shows
  // it where placeIn put it or has lost it and its text stays in the field;
  // else the selected item.
  int picked(int selected, std::wstring_view fieldText) const noexcept;
  const std::wstring &text() const noexcept { return text_; }
  void forget() noexcept { index_ = shown_ = -1; }

private:
  int index_ = -1; // where the user picked it
  int shown_ = -1; // where placeIn selected it last
  std::wstring text_;
};

// The memo list, as the follower drives it.
class FollowedList {
public:
  virtual ~FollowedList() = default;
  // Whether the drop-down is open: its items then stay until it closes.
  virtual bool droppedDown() = 0;
  // The selected item (-1 for none) and the edit field's text.
  virtual int selectedItem() = 0;
  virtual std::wstring typedText() = 0;
  // Replaces the items with `memos` and selects `select` (-1: none), the
  // edit field's text, caret and selection left as they are.
  virtual void replaceItems(std::span<const std::wstring> memos, int select) = 0;
  // Watching memo.txt for other writers' changes, which come as changed().
  virtual void startWatching() = 0;
  virtual void stopWatching() = 0;
  // onScreen() once the strip's first pixels are on the screen.
  virtual void callOnScreen() = 0;
  // pendingDue() once the drop-down has closed and put its pick in the field.
  virtual void callAfterCloseUp() = 0;
};

// Decides when the list follows memo.txt: only while the strip is shown,
// not into an open drop-down, and never for the strip's own writes.
// Remembers what the list stands for as a fingerprint, not as a second copy
// of the memos.
class MemoFollower {
public:
  MemoFollower(MemoStore &memos, FollowedList &list) : memos_(memos), list_(list) {}

  // What happens to the strip.
  // A fresh list, not filled yet: nothing to follow until it is.
  void loaded() noexcept;
  // Shown: it follows once on the screen, catching up with what changed
  // while hidden. Hidden: nothing wakes it.
  void shown();
  void hidden();
  void onScreen(bool visible);
  // Another writer may have changed memo.txt.
  void changed() { follow(); }
  // The user came back to the strip; one being shown follows once on the
  // screen instead.
  void activated();
  // The drop-down is about to open, or has closed.
  void droppingDown() { follow(true); }
  void closedUp();
  void pendingDue();
  // The user changed the edit field's text: the pick ends.
  void typed() noexcept;

  // What the strip did to the list itself.
  // Filled with these memos, read from the memo file.
  void filled(std::span<const std::wstring> memos) noexcept;
  // Emptied after writing the memo file: the file as it is now is what the
  // list stands for, so the write refills nothing.
  void wroteFile();

  // The memo the delete button acts on, and its text where it is not the
  // selected item (see KeptPick).
  int picked(int selected, std::wstring_view fieldText) const noexcept {
    return state_.pick.picked(selected, fieldText);
  }
  const std::wstring &pickText() const noexcept { return state_.pick.text(); }

private:
  // Shows memo.txt's memos when they differ from what the list stands for,
  // keeping the edit field and the pick; an open drop-down waits until it
  // closes unless `evenIfDropped`.
  void follow(bool evenIfDropped = false);
  // The memos to show when the memo file no longer holds what the list was
  // filled from. Nothing when it still does, when the list was never
  // filled, or when the file cannot be read just now (a later change, an
  // activation or the list's focus brings it). A missing file holds no
  // memos; it is not created. The memos returned are what the list stands
  // for from then on.
  std::optional<std::vector<std::wstring>> changes();

  MemoStore &memos_;
  FollowedList &list_;
  // What a window knows, forgotten when a fresh one loads.
  struct State {
    std::optional<std::uint64_t> known; // what the list stands for
    // The bytes last looked at, whose memos the list shows: a folder that
    // wakes the strip for other files costs a read, not a decoding.
    std::optional<std::uint64_t> seen;
    KeptPick pick;
    bool pending = false; // a change arrived while the list was dropped down
    bool arming = false;  // shown, following once on the screen
  } state_;
  bool replacing_ = false;
};

} // namespace tallynix
