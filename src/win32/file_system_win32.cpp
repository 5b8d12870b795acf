#include "win32/file_system_win32.h"

#include "win32/handles.h"

#include <algorithm>
#include <cwchar>
#include <limits>
#include <optional>

namespace tallynix::win32 {
namespace {

// A sync client or a virus scanner holds a file for a moment; so does
// another copy of the program. A sharing or lock violation is tried again
// for about a second, in short steps, before it is reported...
constexpr ULONGLONG kPatienceMs = 1000;
constexpr DWORD kRetryStepMs = 50;
// ...and all the operations of one change (a read, then a rewrite or an
// append) for two seconds together.
constexpr ULONGLONG kChangeMs = 2 * kPatienceMs;
// Another copy's turn lasts as long as its change may, and a flush on a
// network share is slow: wait that long for it. Look again soon, or a copy
// that changes memo.txt often could keep the turn from this one.
constexpr ULONGLONG kTurnMs = kChangeMs + 500;
constexpr DWORD kTurnStepMs = 5;
// One click of the user's is one command: a touch, the wait for another
// copy's turn, the change, a read after it. The window's thread answers
// nothing meanwhile, and Windows gives a program five seconds to answer at
// sign-out: every wait of a command ends by one deadline. A wait ends at
// most one step past it, and each operation after it is tried once; the
// rest of the five seconds is for the calls themselves (a slow flush).
constexpr ULONGLONG kCommandMs = 4000;
constexpr ULONGLONG kCallsMs = 900;
static_assert(kCommandMs + std::max<ULONGLONG>(kRetryStepMs, kTurnStepMs) + kCallsMs < 5000);

std::wstring widen(std::string_view ascii) { return {ascii.begin(), ascii.end()}; }

std::wstring fullPathOf(const std::wstring &name) {
  const DWORD size = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
  if (size == 0)
    return name;
  std::wstring path(size, L'\0');
  const DWORD length = GetFullPathNameW(name.c_str(), size, path.data(), nullptr);
  path.resize(length < size ? length : 0);
  return path.empty() ? name : path;
}

bool isBusy(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// A failed step; it becomes a FileError once trying again is over.
struct Failure {
  FileError::Action action;
  std::wstring path;
  DWORD error;
  bool busy;
};

[[noreturn]] void fail(FileError::Action action, const std::wstring &path, DWORD error) {
  throw Failure{action, path, error, isBusy(error)};
}

// The wait cursor for as long as a wait for a busy file lasts: the window's
// thread answers nothing meanwhile.
class BusyCursor {
public:
  BusyCursor() noexcept : before_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
  ~BusyCursor() { SetCursor(before_); }
  BusyCursor(const BusyCursor &) = delete;
  BusyCursor &operator=(const BusyCursor &) = delete;

private:
  HCURSOR before_;
};

// Runs `attempt` again while it fails on a file that is busy, until
// `deadline`; then the failure is reported with the file's full path. One
// loop for every operation, rather than a copy of it in each.
void patiently(const FileCalls &calls, ULONGLONG deadline, FunctionRef attempt,
               DWORD stepMs = kRetryStepMs) {
  std::optional<BusyCursor> waiting;
  for (;;) {
    try {
      attempt();
      return;
    } catch (const Failure &failure) {
      if (!failure.busy || calls.now() >= deadline)
        throw FileError(failure.action, displayPath(failure.path), systemErrorText(failure.error),
                        isBusy(failure.error));
    }
    if (!waiting)
      waiting.emplace();
    calls.sleep(stepMs);
  }
}

UniqueFile open(const FileCalls &calls, const std::wstring &path, DWORD access, DWORD share,
                DWORD disposition, FileError::Action action) {
  UniqueFile file(calls.open(path, access, share, disposition, FILE_ATTRIBUTE_NORMAL));
  if (!file)
    fail(action, path, GetLastError());
  return file;
}

void writeAll(const FileCalls &calls, HANDLE file, std::string_view bytes,
              const std::wstring &path) {
  while (!bytes.empty()) {
    const std::size_t chunk = bytes.size() < (1u << 30) ? bytes.size() : std::size_t{1} << 30;
    DWORD written = 0;
    if (!calls.write(file, bytes.substr(0, chunk), written) || written == 0)
      fail(FileError::Action::write, path, GetLastError());
    bytes.remove_prefix(written);
  }
}

void closeOrFail(UniqueFile &file, FileError::Action action, const std::wstring &path) {
  if (!file.close())
    fail(action, path, GetLastError());
}

constexpr DWORD kShareReadWrite = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr DWORD kShareAll = kShareReadWrite | FILE_SHARE_DELETE;

// Each process rewrites through a temporary file of its own, so that two
// copies never install each other's content.
std::wstring temporaryName(const std::wstring &path, DWORD process) {
  return path + L"." + std::to_wstring(process) + L".tmp";
}

// Whether the folder of the file at `path` lets this process make a new
// file in it. Only trying tells: an ACL, a read-only share, a write-protected
// disk and a policy each refuse in their own way. The try is a file of its
// own name, apart from the rewrite's, made hidden and deleted as it closes.
bool folderTakesNewFiles(const FileCalls &calls, const std::wstring &path) {
  const std::wstring probe = path + L"." + std::to_wstring(GetCurrentProcessId()) + L".probe";
  UniqueFile made(
      calls.open(probe, DELETE, 0, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE));
  const DWORD error = made ? ERROR_SUCCESS : GetLastError();
  if (made || error == ERROR_FILE_EXISTS || isBusy(error))
    return true;
  // An indexer or a sync client that still holds the last try keeps its name
  // on its way out, which Windows refuses to open at all: the folder took it.
  return error == ERROR_ACCESS_DENIED && calls.look(probe) == INVALID_FILE_ATTRIBUTES &&
         GetLastError() == ERROR_ACCESS_DENIED;
}

// Whether another program has the file open: Windows then refuses to open
// it for delete without sharing. A read-only file, or an ACL that denies
// delete, refuses a replace with the same "access denied", but opens so.
bool heldByAnother(const FileCalls &calls, const std::wstring &path) {
  UniqueFile probe(calls.open(path, DELETE, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL));
  return !probe && isBusy(GetLastError());
}

bool isRunning(DWORD process) {
  if (process == GetCurrentProcessId())
    return false; // this process has no rewrite under way: a dead one had its id
  HANDLE handle = OpenProcess(SYNCHRONIZE, FALSE, process);
  if (!handle)
    return GetLastError() == ERROR_ACCESS_DENIED; // it exists, we may not look
  const bool running = WaitForSingleObject(handle, 0) == WAIT_TIMEOUT;
  CloseHandle(handle);
  return running;
}

// Removes the temporary files that processes left when they ended during a
// rewrite. The file of a process that still runs is its rewrite under way
// and stays.
void removeAbandonedTemporaries(const std::wstring &path) {
  const std::size_t slash = path.find_last_of(L'\\');
  const std::wstring folder = slash == path.npos ? L"" : path.substr(0, slash + 1);
  const std::wstring prefix = path.substr(folder.size()) + L".";
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW((path + L".*.tmp").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE)
    return;
  do {
    const std::wstring_view name = found.cFileName;
    if (name.size() <= prefix.size() + 4 || name.substr(0, prefix.size()) != prefix ||
        name.substr(name.size() - 4) != L".tmp")
      continue;
    const std::wstring_view digits = name.substr(prefix.size(), name.size() - prefix.size() - 4);
    if (digits.size() > 10 || digits.find_first_not_of(L"0123456789") != digits.npos)
      continue;
    const unsigned long long process = std::wcstoull(std::wstring(digits).c_str(), nullptr, 10);
    if (process <= std::numeric_limits<DWORD>::max() && !isRunning(static_cast<DWORD>(process)))
      DeleteFileW((folder + std::wstring(name)).c_str());
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

// The whole file in one attempt.
std::string readWhole(HANDLE file, const std::wstring &path) {
  LARGE_INTEGER size{};
  if (!SetFilePointerEx(file, {}, nullptr, FILE_BEGIN) || !GetFileSizeEx(file, &size))
    fail(FileError::Action::read, path, GetLastError());
  if (static_cast<unsigned long long>(size.QuadPart) > std::numeric_limits<std::size_t>::max() / 2)
    fail(FileError::Action::read, path, ERROR_NOT_ENOUGH_MEMORY);
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    const std::size_t left = bytes.size() - done;
    const DWORD chunk = static_cast<DWORD>(left < (1u << 30) ? left : std::size_t{1} << 30);
    DWORD got = 0;
    if (!ReadFile(file, bytes.data() + done, chunk, &got, nullptr))
      fail(FileError::Action::read, path, GetLastError());
    if (got == 0)
      break; // the file shrank while we read it
    done += got;
  }
  bytes.resize(done);
  return bytes;
}

std::string readWhole(const FileCalls &calls, const std::wstring &path) {
  const UniqueFile file =
      open(calls, path, GENERIC_READ, kShareReadWrite, OPEN_EXISTING, FileError::Action::read);
  return readWhole(file.get(), path);
}

// Where the file open as `file` really is, as a `\\?\` path; nothing where
// the file system cannot say (some network redirectors).
std::optional<std::wstring> finalPathOfFile(HANDLE file) {
  std::wstring real(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetFinalPathNameByHandleW(
        file, real.data(), static_cast<DWORD>(real.size()), FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0)
      return std::nullopt;
    if (length < real.size()) {
      real.resize(length);
      return real;
    }
    real.resize(length); // the size it needs, with the terminating null
  }
}

} // namespace

FileCalls FileCalls::real() {
  return {[](const std::wstring &path, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
            return CreateFileW(path.c_str(), access, share, nullptr, disposition, flags, nullptr);
          },
          [](const std::wstring &path) { return GetFileAttributesW(path.c_str()); },
          [](HANDLE file, std::string_view bytes, DWORD &written) {
            return WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                             nullptr);
          },
          [](HANDLE file) { return SetEndOfFile(file); },
          [](HANDLE file, FILE_ATTRIBUTE_TAG_INFO &tag) {
            return GetFileInformationByHandleEx(file, FileAttributeTagInfo, &tag, sizeof tag);
          },
          [] { return GetTickCount64(); },
          [](DWORD ms) { Sleep(ms); }};
}

std::wstring extendedPath(std::wstring_view fullPath) {
  const auto isDrive = [](std::wstring_view path) {
    return path.size() >= 3 && path[1] == L':' && path[2] == L'\\' &&
           ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
  };
  if (fullPath.starts_with(L"\\\\?\\") || fullPath.starts_with(L"\\\\.\\"))
    return std::wstring(fullPath);
  if (fullPath.starts_with(L"\\\\") && fullPath.size() > 2)
    return L"\\\\?\\UNC\\" + std::wstring(fullPath.substr(2));
  if (isDrive(fullPath))
    return L"\\\\?\\" + std::wstring(fullPath);
  return std::wstring(fullPath);
}

std::wstring displayPath(std::wstring_view path) {
  if (path.starts_with(L"\\\\?\\UNC\\"))
    return L"\\\\" + std::wstring(path.substr(8));
  if (path.starts_with(L"\\\\?\\") && path.size() >= 7 && path[5] == L':')
    return std::wstring(path.substr(4));
  return std::wstring(path);
}

std::wstring systemErrorText(DWORD error) {
  wchar_t *buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
  std::wstring text = length ? std::wstring(buffer, length) : std::wstring{};
  LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
    text.pop_back();
  if (text.empty())
    text = L"エラー " + std::to_wstring(error);
  return text;
}

std::optional<std::wstring> finalPathOf(std::string_view name) {
  const std::wstring path = extendedPath(fullPathOf(widen(name)));
  UniqueFile file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file)
    return std::nullopt;
  return finalPathOfFile(file.get());
}

std::wstring Win32FileSystem::pathOf(std::string_view name) const {
  if (changing_ && changing_->name == name)
    return changing_->path;
  return extendedPath(fullPathOf(widen(name)));
}

ULONGLONG Win32FileSystem::deadline(ULONGLONG patience) const {
  ULONGLONG until = calls_.now() + patience;
  if (changing_)
    until = std::min(until, changing_->deadline);
  return commands_ ? std::min(until, commandEnds_) : until;
}

void Win32FileSystem::beginCommand() {
  if (commands_++ == 0)
    commandEnds_ = calls_.now() + kCommandMs;
}

void Win32FileSystem::endCommand() { --commands_; }

void Win32FileSystem::touch(std::string_view name) {
  // Asks for no write access: a read-only memo file still opens for reading.
  // Opens the name itself: a link stays as it is, and where its target is
  // gone (a sync client between its delete and its new copy) no empty file
  // is made there, which could be synced over the memos.
  const std::wstring path = pathOf(name);
  patiently(calls_, deadline(kPatienceMs), [&] {
    UniqueFile file(calls_.open(path, FILE_READ_ATTRIBUTES, kShareAll, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT));
    if (!file) {
      const DWORD error = GetLastError();
      const DWORD attributes = calls_.look(path);
      if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        fail(FileError::Action::notAFile, path, ERROR_DIRECTORY);
      fail(FileError::Action::create, path, error);
    }
    closeOrFail(file, FileError::Action::create, path);
  });
}

std::string Win32FileSystem::read(std::string_view name) {
  const std::wstring path = pathOf(name);
  std::string bytes;
  const HANDLE held = changing_ && changing_->name == name ? changing_->held : nullptr;
  patiently(calls_, deadline(kPatienceMs),
            [&] { bytes = held ? readWhole(held, path) : readWhole(calls_, path); });
  return bytes;
}

std::wstring Win32FileSystem::fullPath(std::string_view name) { return displayPath(pathOf(name)); }

std::optional<std::string> Win32FileSystem::readIfFree(std::string_view name) {
  try {
    return readWhole(calls_, pathOf(name));
  } catch (const Failure &failure) {
    if (failure.error == ERROR_FILE_NOT_FOUND)
      return std::string();
    return std::nullopt;
  }
}

void Win32FileSystem::append(std::string_view name, std::string_view bytes) {
  // FILE_APPEND_DATA: each write lands at the end of the file as it is
  // then, whoever else appends.
  const std::wstring path = pathOf(name);
  patiently(calls_, deadline(kPatienceMs), [&] {
    UniqueFile file = open(calls_, path, FILE_APPEND_DATA, kShareReadWrite, OPEN_ALWAYS,
                           FileError::Action::write);
    writeAll(calls_, file.get(), bytes, path);
    closeOrFail(file, FileError::Action::write, path);
  });
}

void Win32FileSystem::replace(std::string_view name, std::string_view bytes) {
  // Write the new content beside the file and move it over the file in one
  // step, so that a failure or a crash part-way never loses memos. The
  // content is written once; only the move waits for a memo.txt that a
  // reader has open (Windows refuses that with "access denied").
  const std::wstring path = pathOf(name);
  const std::wstring temporary = temporaryName(path, GetCurrentProcessId());
  removeAbandonedTemporaries(path);
  const ULONGLONG until = deadline(kPatienceMs);
  try {
    patiently(calls_, until, [&] {
      try {
        UniqueFile file =
            open(calls_, temporary, GENERIC_WRITE, 0, CREATE_NEW, FileError::Action::write);
        writeAll(calls_, file.get(), bytes, temporary);
        if (!FlushFileBuffers(file.get()))
          fail(FileError::Action::write, temporary, GetLastError());
        closeOrFail(file, FileError::Action::write, temporary);
      } catch (const Failure &) {
        DeleteFileW(temporary.c_str());
        throw;
      }
    });
    patiently(calls_, until, [&] {
      if (!MoveFileExW(temporary.c_str(), path.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        // A program that holds memo.txt without sharing its delete (a
        // viewer; a sync client for a moment) and a read-only memo.txt are
        // both "access denied". Either is waited out, as a reader may be
        // gone before the look; each is told as what it is.
        const DWORD error = GetLastError();
        if (error != ERROR_ACCESS_DENIED)
          fail(FileError::Action::replace, path, error);
        throw Failure{FileError::Action::replace, path,
                      heldByAnother(calls_, path) ? ERROR_SHARING_VIOLATION : error, true};
      }
    });
  } catch (const FileError &error) {
    DeleteFileW(temporary.c_str());
    // Whatever step failed, what the user needs to know is that memo.txt
    // was not rewritten and still holds every memo.
    throw FileError(FileError::Action::replace, displayPath(path), error.systemText(),
                    error.heldByAnother());
  }
}

bool Win32FileSystem::takesNewFiles(std::string_view name) {
  return folderTakesNewFiles(calls_, pathOf(name));
}

void Win32FileSystem::emptyInPlace(std::string_view name, std::string_view head) {
  const std::wstring path = pathOf(name);
  patiently(calls_, deadline(kPatienceMs), [&] {
    UniqueFile file =
        open(calls_, path, GENERIC_WRITE, kShareReadWrite, OPEN_EXISTING, FileError::Action::write);
    // A byte order mark written first would stand over the first memo's
    // number until the cut; cut first, and what a failure leaves holds the
    // memos or none. Writing the old bytes back would risk a part of them.
    if (!calls_.cut(file.get()))
      fail(FileError::Action::write, path, GetLastError());
    writeAll(calls_, file.get(), head, path);
    closeOrFail(file, FileError::Action::write, path);
  });
}

std::optional<std::uint64_t> Win32FileSystem::size(std::string_view name) {
  const std::wstring path = pathOf(name);
  std::optional<std::uint64_t> size;
  patiently(calls_, deadline(kPatienceMs), [&] {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
      const DWORD error = GetLastError();
      if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return;
      fail(FileError::Action::query, path, error);
    }
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      fail(FileError::Action::notAFile, path, ERROR_DIRECTORY);
    size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
  });
  return size;
}

std::wstring Win32FileSystem::resolve(std::string_view name) {
  const std::wstring path = extendedPath(fullPathOf(widen(name)));
  // The name itself first, to tell a link by its own reparse tag. No access
  // to the content: a file held without sharing still opens, and so does a
  // folder in the file's place (whose change then fails as such).
  UniqueFile file(calls_.open(path, FILE_READ_ATTRIBUTES, kShareAll, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT));
  if (!file) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
      return path; // the change makes it
    throw FileError(FileError::Action::read, displayPath(path), systemErrorText(error));
  }
  // Only a symbolic link or a mount point leads elsewhere: a cloud file's
  // placeholder is a reparse point too, and is the file itself. Where the
  // tag cannot be had, any reparse point is taken for a link, not cut.
  FILE_ATTRIBUTE_TAG_INFO tag{};
  if (!calls_.tag(file.get(), tag))
    tag = {calls_.look(path), IO_REPARSE_TAG_SYMLINK};
  const bool link =
      (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
      (tag.ReparseTag == IO_REPARSE_TAG_SYMLINK || tag.ReparseTag == IO_REPARSE_TAG_MOUNT_POINT);
  if (link) {
    file = UniqueFile(calls_.open(path, FILE_READ_ATTRIBUTES, kShareAll, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS));
    if (!file) {
      // Its target gone (a sync client between its delete and its new
      // copy): a change made at the link's own path would cut it.
      const DWORD error = GetLastError();
      const bool gone = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
      throw FileError(gone ? FileError::Action::noLinkTarget : FileError::Action::read,
                      displayPath(path), systemErrorText(error));
    }
  }
  if (std::optional<std::wstring> real = finalPathOfFile(file.get()))
    return std::move(*real);
  // A file system that cannot say (some network redirectors): where the name
  // is no link, the file is where it is named; a link is not cut loose.
  if (!link)
    return path;
  throw FileError(FileError::Action::read, displayPath(path), systemErrorText(GetLastError()));
}

Win32FileSystem::Turn Win32FileSystem::takeTurn(const std::wstring &path) {
  const std::wstring lock = path + L".lock";
  Turn turn;
  patiently(
      calls_, deadline(kTurnMs), [&] { turn = tryTurn(lock, path); }, kTurnStepMs);
  return turn;
}

// A file beside memo.txt that only one program can hold open: the file
// system sees it however the folder is spelt (a mapped drive and its UNC
// path, subst, 8.3 names), from every logon session and from every machine
// sharing the folder. It is hidden and deleted when closed, and the system
// closes it when a copy dies, so it neither lingers nor blocks the next
// start. Throws a Failure, busy while another try may succeed.
Win32FileSystem::Turn Win32FileSystem::tryTurn(const std::wstring &lock, const std::wstring &path) {
  UniqueFile turn(calls_.open(lock, GENERIC_READ | DELETE, 0, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE));
  if (turn)
    return {std::move(turn)};
  const DWORD error = GetLastError();
  if (isBusy(error))
    throw Failure{FileError::Action::lock, lock, error, true}; // another copy's turn
  const DWORD attributes = error == ERROR_ACCESS_DENIED ? calls_.look(lock) : 0;
  if (error != ERROR_ACCESS_DENIED || attributes == INVALID_FILE_ATTRIBUTES) {
    // No lock file to be seen. Either its holder's close deleted it since
    // the open (Windows refuses to open a file on its way out), and the turn
    // is free now; or the folder takes no new file, and no copy can make
    // the lock file there: memo.txt itself is held instead. Making a file
    // there tells which.
    if (folderTakesNewFiles(calls_, path))
      throw Failure{FileError::Action::lock, lock, error, error == ERROR_ACCESS_DENIED};
    return {holdWithoutLock(lock, path), true};
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY)
    throw Failure{FileError::Action::lock, lock, error, false};
  // A lock file that no process holds, left by a crash of the whole
  // machine, that Windows will not delete: read-only, another user's, or
  // under an ACL that denies delete. Read-only is undone and the lock opens
  // as usual next time; otherwise holding it without sharing is the turn
  // all the same, and it stays behind for the next copy to take over.
  if ((attributes & FILE_ATTRIBUTE_READONLY) &&
      SetFileAttributesW(lock.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY))
    throw Failure{FileError::Action::lock, lock, error, true};
  UniqueFile leftover(calls_.open(lock, GENERIC_READ, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL));
  if (leftover)
    return {std::move(leftover)};
  // Held by another copy, or not even readable here: waited for, then the
  // user learns which file stands in the way.
  throw Failure{FileError::Action::lock, lock, GetLastError(), true};
}

// Where the folder takes no new file, the turn is memo.txt itself, held
// open for reading and sharing only writing: a copy whose turn begins
// meanwhile waits to read memo.txt, and so changes it after this copy, and
// cannot replace it; this copy's own writes share the hold, and its reads go
// through it. A copy whose turn began before shows by its lock file: the
// hold is let go for it. Nothing is held where memo.txt is missing, which
// the change cannot make there.
UniqueFile Win32FileSystem::holdWithoutLock(const std::wstring &lock, const std::wstring &path) {
  UniqueFile held(
      calls_.open(path, GENERIC_READ, FILE_SHARE_WRITE, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL));
  if (const DWORD error = held ? ERROR_SUCCESS : GetLastError();
      error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND)
    fail(FileError::Action::write, path, error);
  if (calls_.look(lock) != INVALID_FILE_ATTRIBUTES)
    throw Failure{FileError::Action::lock, lock, ERROR_SHARING_VIOLATION, true};
  return held;
}

void Win32FileSystem::exclusively(std::string_view name, FunctionRef change) {
  // A file of its own rather than a share mode on memo.txt: Windows does not
  // replace a file that is held open, and a rewrite ends in a replace.
  const std::wstring path = resolve(name);
  const Turn turn = takeTurn(path); // closing it ends the turn
  changing_ = Changing{std::string(name), path, calls_.now() + kChangeMs,
                       turn.isFile && turn.handle ? turn.handle.get() : nullptr};
  struct Over {
    std::optional<Changing> &changing;
    ~Over() { changing.reset(); }
  } over{changing_};
  change();
}

} // namespace tallynix::win32
