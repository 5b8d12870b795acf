// The turn on memo.txt and the paths beside it, on Windows (under Wine
// here). Where Wine answers otherwise than Windows (a lock file on its way
// out, a read-only one opened for delete), the file system's calls answer
// as Windows does, through the seam that it offers for this.
#include "core/error_text.h"
#include "core/memo_store.h"
#include "test_files.h"
#include "win32/file_system_win32.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using tallynix::FileError;
using tallynix::testing::readBytes;
using tallynix::testing::writeBytes;
using tallynix::win32::FileCalls;
using tallynix::win32::Win32FileSystem;

struct TurnTest : ::testing::Test {
  tallynix::testing::ScratchFolder folder;
  std::string memo = folder.file("memo.txt");
  std::wstring lock = std::filesystem::path(memo + ".lock").wstring();
  FileCalls calls = FileCalls::real();
  const decltype(calls.open) real = calls.open;
  std::vector<std::wstring> opened; // the paths the turn opened

  TurnTest() { writeBytes(memo, "000 a\r\n"); }

  static HANDLE refused() {
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  // A user who may write memo.txt but make no file beside it.
  void takeNoNewFile() {
    calls.open = [real = calls.open](const std::wstring &path, DWORD access, DWORD share,
                                     DWORD disposition, DWORD flags) {
      return disposition == OPEN_EXISTING || path.ends_with(L"\\memo.txt")
                 ? real(path, access, share, disposition, flags)
                 : refused();
    };
  }
  // The lock as another copy holds it during its turn.
  HANDLE holdLock() const {
    return CreateFileW(lock.c_str(), GENERIC_READ | DELETE, 0, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  }

  // Runs a change through the lock's calls; true when the lock was held
  // while it ran, as another copy finds it.
  bool heldDuringChange() {
    calls.open = [&, open = calls.open](const std::wstring &path, auto... rest) {
      opened.push_back(path);
      return open(path, rest...);
    };
    bool held = false;
    Win32FileSystem(calls).exclusively(memo, [&] {
      HANDLE other = CreateFileW(lock.c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
      held = other == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION;
      if (other != INVALID_HANDLE_VALUE)
        CloseHandle(other);
    });
    return held;
  }
};

// Windows refuses to open a file whose delete is under way, with "access
// denied"; Wine reports a sharing violation, so the open answers as Windows.
TEST_F(TurnTest, ALockDeletedBetweenTheRefusedOpenAndTheLookIsTakenNotSkipped) {
  HANDLE previous = holdLock();
  ASSERT_NE(previous, INVALID_HANDLE_VALUE);
  calls.open = [&](const std::wstring &path, auto... rest) {
    if (previous == INVALID_HANDLE_VALUE || !path.ends_with(L".lock"))
      return real(path, rest...);
    CloseHandle(std::exchange(previous, INVALID_HANDLE_VALUE)); // the holder's turn ends
    return refused();
  };
  EXPECT_TRUE(heldDuringChange()) << "the turn was skipped in a folder that takes new files";
  EXPECT_FALSE(std::filesystem::exists(lock));
  // Every file beside memo.txt is opened by its \\?\ path, which Windows
  // opens past MAX_PATH.
  ASSERT_FALSE(opened.empty());
  EXPECT_TRUE(opened.back().starts_with(L"\\\\?\\")) << opened.back().size();
  EXPECT_TRUE(opened.back().ends_with(L"\\memo.txt.lock"));
}

// Windows will not open a read-only file for delete; Wine does as root.
TEST_F(TurnTest, AReadOnlyLeftoverLockIsTakenOverAndGone) {
  HANDLE leftover = CreateFileW(lock.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY, nullptr);
  ASSERT_NE(leftover, INVALID_HANDLE_VALUE);
  CloseHandle(leftover);
  calls.open = [&](const std::wstring &path, DWORD access, auto... rest) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    const bool readOnly =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    return (access & DELETE) && readOnly ? refused() : real(path, access, rest...);
  };
  EXPECT_TRUE(heldDuringChange());
  EXPECT_FALSE(std::filesystem::exists(lock)) << "taken over, then deleted as usual";
}

// Another copy's change may retry its read and its rewrite for a second each:
// its turn is waited for that long, with the busy cursor.
TEST_F(TurnTest, AnotherCopysTurnIsWaitedForAsLongAsItsChangeMayLast) {
  HANDLE holder = holdLock();
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  const HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);
  ULONGLONG first = 0;
  bool busyCursor = false;
  calls.open = [&](const std::wstring &path, auto... rest) {
    // The holder lets go once the waiter has waited out both of its windows,
    // as the waiter's own clock tells.
    const ULONGLONG now = GetTickCount64();
    busyCursor = busyCursor || (first != 0 && GetCursor() == wait);
    first = first ? first : now;
    if (holder != INVALID_HANDLE_VALUE && now - first >= 2000)
      CloseHandle(std::exchange(holder, INVALID_HANDLE_VALUE));
    return real(path, rest...);
  };
  EXPECT_TRUE(heldDuringChange());
  EXPECT_EQ(holder, INVALID_HANDLE_VALUE) << "given up before the holder could be done";
  EXPECT_TRUE(busyCursor);
  EXPECT_NE(GetCursor(), wait);
  if (holder != INVALID_HANDLE_VALUE)
    CloseHandle(holder);
}

TEST_F(TurnTest, ALockThatCannotBeTakenIsNamedAndNothingIsChanged) {
  std::filesystem::create_directory(lock); // neither opened nor taken over
  Win32FileSystem files(calls);
  bool changed = false;
  try {
    files.exclusively(memo, [&] { changed = true; });
    FAIL() << "no error";
  } catch (const FileError &error) {
    EXPECT_EQ(error.action(), FileError::Action::lock);
    EXPECT_TRUE(error.fullPath().ends_with(L"\\memo.txt.lock"));
    EXPECT_FALSE(error.fullPath().starts_with(L"\\\\?\\")) << "shown as the user knows it";
    EXPECT_NE(tallynix::describeError(error).find(L"memo.txt.lock を削除"), std::wstring::npos);
  }
  EXPECT_FALSE(changed);
  EXPECT_EQ(readBytes(memo), "000 a\r\n");
}

// Without a lock file, a change holds memo.txt itself: another copy's turn
// begun before is waited for; one begun meanwhile can neither read memo.txt
// nor replace it until the change is done.
TEST_F(TurnTest, WithoutALockFileTheChangeHoldsMemoTxtItself) {
  takeNoNewFile();
  HANDLE before = holdLock(); // unseen at the first look, done by the third
  int looks = 0;
  calls.look = [&, look = calls.look](const std::wstring &path) {
    const bool lock = path.ends_with(L".lock");
    if (lock && ++looks == 3)
      CloseHandle(std::exchange(before, INVALID_HANDLE_VALUE));
    return lock && looks == 1 ? INVALID_FILE_ATTRIBUTES : look(path);
  };
  const std::wstring path = std::filesystem::path(memo).wstring();
  Win32FileSystem files(calls);
  files.exclusively(memo, [&] {
    EXPECT_EQ(before, INVALID_HANDLE_VALUE) << "changed during another copy's turn";
    EXPECT_FALSE(DeleteFileW(path.c_str())) << "as a replace would";
    EXPECT_EQ(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(files.read(memo), "000 a\r\n");
    files.append(memo, "001 b\r\n");
  });
  EXPECT_EQ(readBytes(memo), "000 a\r\n001 b\r\n");
}

// memo.txt a symbolic link whose target a sync client deletes and brings
// back. Wine opens a link as its target; here it opens as Windows does.
TEST_F(TurnTest, ALinkWhoseTargetIsGoneGetsNoEmptyTargetAndIsNotCut) {
  const std::string target = folder.file("synced.txt");
  calls.open = [&](const std::wstring &path, DWORD access, DWORD share, DWORD disposition,
                   DWORD flags) {
    if (!path.ends_with(L"\\memo.txt") || (flags & FILE_FLAG_OPEN_REPARSE_POINT))
      return real(path, access, share, disposition, flags);
    HANDLE file = real(std::filesystem::path(target).wstring(), access, share, disposition, flags);
    if (file == INVALID_HANDLE_VALUE && !std::filesystem::exists(target)) {
      writeBytes(target, "000 a\r\n001 b\r\n"); // back, as the sync client's copy
      SetLastError(ERROR_FILE_NOT_FOUND);
    }
    return file;
  };
  calls.tag = [](HANDLE, FILE_ATTRIBUTE_TAG_INFO &info) {
    info = {FILE_ATTRIBUTE_REPARSE_POINT, IO_REPARSE_TAG_SYMLINK};
    return TRUE;
  };
  Win32FileSystem files(calls);
  tallynix::MemoStore store(files, memo);
  store.touch();
  EXPECT_FALSE(std::filesystem::exists(target)) << "an empty file made where the link leads";
  std::filesystem::remove(target);
  EXPECT_THROW(store.removeSelected(0, L"a"), FileError);
  EXPECT_EQ(readBytes(memo), "000 a\r\n") << "the link replaced by a file";
  EXPECT_EQ(readBytes(target), "000 a\r\n001 b\r\n");
}

// Clear all through memo.txt itself: a network drop at any call leaves the
// old memos or none, and once done a UTF-8 file keeps its mark.
TEST_F(TurnTest, ClearAllInPlaceLeavesTheOldMemosOrNoneWhereverTheNetworkDrops) {
  const std::string notepads = "000 牛乳\r\n001 卵\r\n"; // UTF-8 without the mark
  takeNoNewFile();
  const FileCalls real = calls;
  for (int drop = 1; drop < 10; ++drop) {
    writeBytes(memo, notepads);
    int made = 0;
    const auto dropped = [&] {
      SetLastError(ERROR_NETNAME_DELETED);
      return ++made >= drop;
    };
    calls.write = [&](HANDLE file, auto &&...rest) {
      return !dropped() && real.write(file, rest...);
    };
    calls.cut = [&](HANDLE file) { return !dropped() && real.cut(file); };
    Win32FileSystem files(calls);
    tallynix::MemoStore store(files, memo);
    try {
      store.clear(*store.snapshot());
      EXPECT_EQ(readBytes(memo), "\xEF\xBB\xBF");
      return;
    } catch (const FileError &) {
    }
    const std::string left = readBytes(memo);
    EXPECT_TRUE(left.empty() || left == notepads) << "dropped at call " << drop << ": " << left;
  }
  ADD_FAILURE() << "never cleared";
}

TEST(Paths, FilesBesideMemoTxtAreOpenedByTheirExtendedPathsAndShownByTheirOwn) {
  // A full path, the path opened, the path a message shows.
  const std::tuple<const wchar_t *, const wchar_t *, const wchar_t *> cases[] = {
      {L"C:\\memos\\memo.txt", L"\\\\?\\C:\\memos\\memo.txt", L"C:\\memos\\memo.txt"},
      {L"z:\\a b\\memo.txt.lock", L"\\\\?\\z:\\a b\\memo.txt.lock", L"z:\\a b\\memo.txt.lock"},
      {L"\\\\server\\share\\memo.txt", L"\\\\?\\UNC\\server\\share\\memo.txt",
       L"\\\\server\\share\\memo.txt"},
      {L"\\\\?\\C:\\memos\\memo.txt", L"\\\\?\\C:\\memos\\memo.txt", L"C:\\memos\\memo.txt"},
      {L"\\\\.\\pipe\\memo", L"\\\\.\\pipe\\memo", L"\\\\.\\pipe\\memo"},
  };
  for (const auto &[full, opened, shown] : cases) {
    EXPECT_EQ(tallynix::win32::extendedPath(full), opened);
    EXPECT_EQ(tallynix::win32::displayPath(opened), shown);
  }
}

} // namespace
