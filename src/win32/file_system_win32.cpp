#include "win32/file_system_win32.h"

#include "win32/handles.h"

#include <cwchar>
#include <limits>

namespace tallynix::win32 {
namespace {

// A sync client or a virus scanner holds a file for a moment; so does
// another copy of the program. A sharing or lock violation is tried again
// for about a second, in short steps, before it is reported.
constexpr ULONGLONG kPatienceMs = 1000;
constexpr DWORD kRetryStepMs = 50;
// Another copy's turn on memo.txt lasts milliseconds: look again soon, or a
// copy that changes memo.txt often could keep the turn from this one.
constexpr DWORD kTurnStepMs = 5;

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
  std::wstring name;
  DWORD error;
  bool busy;
};

[[noreturn]] void fail(FileError::Action action, const std::wstring &name, DWORD error) {
  throw Failure{action, name, error, isBusy(error)};
}

// Runs `attempt` again while it fails on a file that is busy, for about a
// second; then the failure is reported with the file's full path.
template <typename Attempt> auto patiently(Attempt attempt, DWORD stepMs = kRetryStepMs) {
  const ULONGLONG deadline = GetTickCount64() + kPatienceMs;
  for (;;) {
    try {
      return attempt();
    } catch (const Failure &failure) {
      if (!failure.busy || GetTickCount64() >= deadline)
        throw FileError(failure.action, fullPathOf(failure.name), systemErrorText(failure.error));
    }
    Sleep(stepMs);
  }
}

UniqueFile open(const std::wstring &name, DWORD access, DWORD share, DWORD disposition,
                FileError::Action action) {
  UniqueFile file(CreateFileW(name.c_str(), access, share, nullptr, disposition,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file)
    fail(action, name, GetLastError());
  return file;
}

void writeAll(HANDLE file, std::string_view bytes, const std::wstring &name) {
  while (!bytes.empty()) {
    const DWORD chunk =
        static_cast<DWORD>(bytes.size() < (1u << 30) ? bytes.size() : std::size_t{1} << 30);
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0)
      fail(FileError::Action::write, name, GetLastError());
    bytes.remove_prefix(written);
  }
}

void closeOrFail(UniqueFile &file, FileError::Action action, const std::wstring &name) {
  if (!file.close())
    fail(action, name, GetLastError());
}

constexpr DWORD kShareReadWrite = FILE_SHARE_READ | FILE_SHARE_WRITE;

// Each process rewrites through a temporary file of its own, so that two
// copies never install each other's content.
std::wstring temporaryName(const std::wstring &path, DWORD process) {
  return path + L"." + std::to_wstring(process) + L".tmp";
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
  const std::size_t slash = path.find_last_of(L"\\/");
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

// Takes this copy's turn on a memo file through a file beside it that only
// one program can hold open: the file system sees it however the folder is
// spelt (a mapped drive and its UNC path, subst, 8.3 names), from every
// logon session and from every machine sharing the folder. It is hidden and
// deleted when closed, and the system closes it when a copy dies, so it
// neither lingers nor blocks the next start; one left by a crash of the
// whole machine is simply taken over. Nothing when the folder takes no new
// file: the turn is skipped there, as nothing else could take it either.
UniqueFile takeTurn(const std::wstring &lockPath) {
  UniqueFile lock(CreateFileW(lockPath.c_str(), GENERIC_READ | DELETE, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  if (lock)
    return lock;
  const DWORD error = GetLastError();
  // A lock file on its way out (closed, not yet deleted) refuses access too.
  if (error == ERROR_ACCESS_DENIED &&
      GetFileAttributesW(lockPath.c_str()) == INVALID_FILE_ATTRIBUTES &&
      GetLastError() == ERROR_FILE_NOT_FOUND)
    return lock;
  throw Failure{FileError::Action::write, lockPath, error,
                isBusy(error) || error == ERROR_ACCESS_DENIED};
}

// The whole file in one attempt.
std::string readWhole(const std::wstring &path) {
  UniqueFile file =
      open(path, GENERIC_READ, kShareReadWrite, OPEN_EXISTING, FileError::Action::read);
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size))
    fail(FileError::Action::read, path, GetLastError());
  if (static_cast<unsigned long long>(size.QuadPart) > std::numeric_limits<std::size_t>::max() / 2)
    fail(FileError::Action::read, path, ERROR_NOT_ENOUGH_MEMORY);
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    const std::size_t left = bytes.size() - done;
    const DWORD chunk = static_cast<DWORD>(left < (1u << 30) ? left : std::size_t{1} << 30);
    DWORD got = 0;
    if (!ReadFile(file.get(), bytes.data() + done, chunk, &got, nullptr))
      fail(FileError::Action::read, path, GetLastError());
    if (got == 0)
      break; // the file shrank while we read it
    done += got;
  }
  bytes.resize(done);
  return bytes;
}

} // namespace

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

void Win32FileSystem::touch(std::string_view name) {
  // Asks for no write access: a read-only memo file still opens for reading.
  const std::wstring path = widen(name);
  patiently([&] {
    UniqueFile file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                kShareReadWrite | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      const DWORD error = GetLastError();
      const DWORD attributes = GetFileAttributesW(path.c_str());
      if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        fail(FileError::Action::notAFile, path, ERROR_DIRECTORY);
      fail(FileError::Action::create, path, error);
    }
    closeOrFail(file, FileError::Action::create, path);
  });
}

std::string Win32FileSystem::read(std::string_view name) {
  const std::wstring path = widen(name);
  return patiently([&] { return readWhole(path); });
}

std::wstring Win32FileSystem::fullPath(std::string_view name) { return fullPathOf(widen(name)); }

std::optional<std::string> Win32FileSystem::readIfFree(std::string_view name) {
  try {
    return readWhole(widen(name));
  } catch (const Failure &failure) {
    if (failure.error == ERROR_FILE_NOT_FOUND)
      return std::string();
    return std::nullopt;
  }
}

void Win32FileSystem::append(std::string_view name, std::string_view bytes) {
  // FILE_APPEND_DATA: each write lands at the end of the file as it is
  // then, whoever else appends.
  const std::wstring path = widen(name);
  patiently([&] {
    UniqueFile file =
        open(path, FILE_APPEND_DATA, kShareReadWrite, OPEN_ALWAYS, FileError::Action::write);
    writeAll(file.get(), bytes, path);
    closeOrFail(file, FileError::Action::write, path);
  });
}

void Win32FileSystem::replace(std::string_view name, std::string_view bytes) {
  // Write the new content beside the file and move it over the file in one
  // step, so that a failure or a crash part-way never loses memos.
  const std::wstring path = widen(name);
  const std::wstring temporary = temporaryName(path, GetCurrentProcessId());
  removeAbandonedTemporaries(path);
  patiently([&] {
    try {
      UniqueFile file = open(temporary, GENERIC_WRITE, 0, CREATE_NEW, FileError::Action::write);
      writeAll(file.get(), bytes, temporary);
      if (!FlushFileBuffers(file.get()))
        fail(FileError::Action::write, temporary, GetLastError());
      closeOrFail(file, FileError::Action::write, temporary);
      if (!MoveFileExW(temporary.c_str(), path.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        // Windows refuses to replace a file that someone has open (a reader,
        // say) with "access denied": that passes too.
        const DWORD error = GetLastError();
        throw Failure{FileError::Action::replace, path, error,
                      isBusy(error) || error == ERROR_ACCESS_DENIED};
      }
    } catch (const Failure &failure) {
      DeleteFileW(temporary.c_str());
      // Whatever step failed, what the user needs to know is that memo.txt
      // was not rewritten and still holds every memo.
      throw Failure{FileError::Action::replace, path, failure.error, failure.busy};
    }
  });
}

bool Win32FileSystem::takesNewFiles(std::string_view name) {
  // A file of this process's own name, gone again as soon as it is closed.
  const std::wstring probe = temporaryName(widen(name), GetCurrentProcessId());
  UniqueFile file(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  return file || GetLastError() != ERROR_ACCESS_DENIED;
}

void Win32FileSystem::overwrite(std::string_view name, std::string_view bytes,
                                std::string_view previous) {
  const std::wstring path = widen(name);
  patiently([&] {
    UniqueFile file =
        open(path, GENERIC_WRITE, kShareReadWrite, OPEN_EXISTING, FileError::Action::write);
    const auto writeFromStart = [&](std::string_view content) {
      writeAll(file.get(), content, path);
      if (!SetEndOfFile(file.get()))
        fail(FileError::Action::write, path, GetLastError());
    };
    try {
      writeFromStart(bytes);
    } catch (const Failure &) {
      // Whole or nothing: the memos go back where the new bytes failed.
      SetFilePointer(file.get(), 0, nullptr, FILE_BEGIN);
      try {
        writeFromStart(previous);
      } catch (const Failure &) {
      }
      throw;
    }
    closeOrFail(file, FileError::Action::write, path);
  });
}

std::optional<std::uint64_t> Win32FileSystem::size(std::string_view name) {
  const std::wstring path = widen(name);
  return patiently([&]() -> std::optional<std::uint64_t> {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
      const DWORD error = GetLastError();
      if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return std::nullopt;
      fail(FileError::Action::query, path, error);
    }
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      fail(FileError::Action::notAFile, path, ERROR_DIRECTORY);
    return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
  });
}

void Win32FileSystem::exclusively(std::string_view name, const std::function<void()> &change) {
  // A file of its own rather than a share mode on memo.txt: Windows does not
  // replace a file that is held open, and a rewrite ends in a replace.
  const std::wstring path = widen(name);
  UniqueFile turn;
  try {
    turn = patiently([&] { return takeTurn(path + L".lock"); }, kTurnStepMs);
  } catch (const FileError &error) {
    // The user needs to know that memo.txt could not be written.
    throw FileError(FileError::Action::write, fullPathOf(path), error.systemText());
  }
  change(); // closing the lock file ends the turn
}

} // namespace tallynix::win32
