#include "win32/file_system_win32.h"

#include "win32/handles.h"

#include <limits>

namespace tallynix::win32 {
namespace {

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

[[noreturn]] void fail(FileError::Action action, const std::wstring &name, DWORD error) {
  throw FileError(action, fullPathOf(name), systemErrorText(error));
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
}

std::string Win32FileSystem::read(std::string_view name) {
  const std::wstring path = widen(name);
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

void Win32FileSystem::append(std::string_view name, std::string_view bytes) {
  const std::wstring path = widen(name);
  UniqueFile file =
      open(path, FILE_APPEND_DATA, kShareReadWrite, OPEN_ALWAYS, FileError::Action::write);
  writeAll(file.get(), bytes, path);
  closeOrFail(file, FileError::Action::write, path);
}

void Win32FileSystem::replace(std::string_view name, std::string_view bytes) {
  // Write the new content beside the file and move it over the file in one
  // step, so that a failure or a crash part-way never loses memos. A
  // temporary file left by an earlier crash is simply overwritten here.
  const std::wstring path = widen(name);
  const std::wstring temporary = path + L".tmp";
  try {
    UniqueFile file = open(temporary, GENERIC_WRITE, 0, CREATE_ALWAYS, FileError::Action::write);
    writeAll(file.get(), bytes, temporary);
    if (!FlushFileBuffers(file.get()))
      fail(FileError::Action::write, temporary, GetLastError());
    closeOrFail(file, FileError::Action::write, temporary);
    if (!MoveFileExW(temporary.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      fail(FileError::Action::replace, path, GetLastError());
  } catch (const FileError &error) {
    DeleteFileW(temporary.c_str());
    // Whatever step failed, what the user needs to know is that memo.txt
    // was not rewritten and still holds every memo.
    throw FileError(FileError::Action::replace, fullPathOf(path), error.systemText());
  }
}

void Win32FileSystem::truncate(std::string_view name) {
  const std::wstring path = widen(name);
  UniqueFile file =
      open(path, GENERIC_WRITE, kShareReadWrite, TRUNCATE_EXISTING, FileError::Action::write);
  closeOrFail(file, FileError::Action::write, path);
}

std::optional<std::uint64_t> Win32FileSystem::size(std::string_view name) {
  const std::wstring path = widen(name);
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
}

} // namespace tallynix::win32
