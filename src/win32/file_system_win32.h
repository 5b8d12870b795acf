// The memo store's file operations on Windows.
#pragma once

#include "core/file_system.h"
#include "win32/handles.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tallynix::win32 {

// The calls that the file system makes on files and on the clock, as
// Windows makes them (CreateFileW, GetFileAttributesW, WriteFile,
// SetEndOfFile, the reparse tag of GetFileInformationByHandleEx,
// GetTickCount64, Sleep), the last error set. A test puts its own in to
// reach what only a race, a failing network or real Windows shows: a lock
// file that its holder's close deletes between a refused open and the look
// that follows, a read-only leftover that Windows will not open for delete,
// a link (Wine opens one as its target), a write that fails half-way, a
// wait as long as each step allows.
struct FileCalls {
  std::function<HANDLE(const std::wstring &path, DWORD access, DWORD share, DWORD disposition,
                       DWORD flags)>
      open;
  std::function<DWORD(const std::wstring &path)> look;
  std::function<BOOL(HANDLE file, std::string_view bytes, DWORD &written)> write;
  std::function<BOOL(HANDLE file)> cut;
  std::function<BOOL(HANDLE file, FILE_ATTRIBUTE_TAG_INFO &tag)> tag;
  std::function<ULONGLONG()> now;
  std::function<void(DWORD ms)> sleep;

  static FileCalls real();
};

class Win32FileSystem final : public FileSystem {
public:
  explicit Win32FileSystem(FileCalls calls = FileCalls::real()) : calls_(std::move(calls)) {}

  void touch(std::string_view name) override;
  std::string read(std::string_view name) override;
  std::optional<std::string> readIfFree(std::string_view name) override;
  void append(std::string_view name, std::string_view bytes) override;
  void replace(std::string_view name, std::string_view bytes) override;
  bool takesNewFiles(std::string_view name) override;
  void emptyInPlace(std::string_view name, std::string_view head) override;
  std::optional<std::uint64_t> size(std::string_view name) override;
  std::wstring fullPath(std::string_view name) override;
  // Two steps before the change, each of which can fail on its own: where
  // the file really is, then this copy's turn on it there.
  void exclusively(std::string_view name, FunctionRef change) override;
  void beginCommand() override;
  void endCommand() override;

private:
  // The file a link named `name` leads to, once per change: its rewrite
  // then replaces that file, not the link, and its lock and temporary file
  // lie beside it, where every copy sees them.
  std::wstring resolve(std::string_view name);
  // This copy's turn on the file at `path` (resolved): its lock file, or
  // where the folder takes no new file, the file itself held.
  struct Turn {
    UniqueFile handle;
    bool isFile = false;
  };
  Turn takeTurn(const std::wstring &path);
  Turn tryTurn(const std::wstring &lock, const std::wstring &path);
  UniqueFile holdWithoutLock(const std::wstring &lock, const std::wstring &path);

  // The `\\?\` path that every operation opens: the resolved one during a
  // change.
  std::wstring pathOf(std::string_view name) const;
  // When a busy file stops being waited for: after `patience`, and no later
  // than the change's and the command's deadlines.
  ULONGLONG deadline(ULONGLONG patience) const;

  struct Changing {
    std::string name;
    std::wstring path;
    ULONGLONG deadline;
    HANDLE held; // the file itself as the turn, which the change reads through
  };

  FileCalls calls_;
  std::optional<Changing> changing_;
  int commands_ = 0; // begun and not ended, one within another
  ULONGLONG commandEnds_ = 0;
};

// The `\\?\` form of a full path (C:\... or \\server\share\...), which
// Windows opens past MAX_PATH even where long paths are not enabled; a path
// already in that form, or not full, stays as it is.
std::wstring extendedPath(std::wstring_view fullPath);
// A path as the user knows it: without the `\\?\` that extendedPath put in.
std::wstring displayPath(std::wstring_view path);

// Where the file named `name` (relative to the current directory) really
// is, as a `\\?\` path: the file a link leads to, or the file itself;
// nothing where it cannot be told (no such file, no access).
std::optional<std::wstring> finalPathOf(std::string_view name);

// The system's text for an error code, without the trailing line break.
std::wstring systemErrorText(DWORD error);

} // namespace tallynix::win32
