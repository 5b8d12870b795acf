#include "posix/file_system_posix.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <limits>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tallynix::posix {
namespace {

std::wstring widen(std::string_view text) { return {text.begin(), text.end()}; }

std::wstring fullPathOf(const std::string &name) {
  if (!name.empty() && name.front() == '/')
    return widen(name);
  char cwd[4096];
  return getcwd(cwd, sizeof cwd) ? widen(std::string(cwd) + "/" + name) : widen(name);
}

[[noreturn]] void fail(FileError::Action action, const std::string &name, int error) {
  throw FileError(action, fullPathOf(name), widen(std::strerror(error)));
}

class Fd {
public:
  Fd(const std::string &name, int flags, FileError::Action action)
      : fd_(::open(name.c_str(), flags | O_CLOEXEC, 0666)) {
    if (fd_ < 0)
      fail(action, name, errno);
  }
  ~Fd() {
    if (fd_ >= 0)
      ::close(fd_);
  }
  Fd(const Fd &) = delete;
  Fd &operator=(const Fd &) = delete;

  int get() const { return fd_; }
  void close(FileError::Action action, const std::string &name) {
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
      fail(action, name, errno);
  }

private:
  int fd_;
};

void writeAll(int fd, std::string_view bytes, const std::string &name) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR)
        continue;
      fail(FileError::Action::write, name, errno);
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

// As on Windows: a temporary file per process, and the ones of processes
// that ended during a rewrite removed by the next rewrite.
std::string temporaryName(const std::string &path, pid_t process) {
  return path + "." + std::to_string(process) + ".tmp";
}

void removeAbandonedTemporaries(const std::string &path) {
  const std::filesystem::path file(path);
  const std::string prefix = file.filename().string() + ".";
  std::error_code error;
  for (const auto &entry : std::filesystem::directory_iterator(
           file.has_parent_path() ? file.parent_path() : ".", error)) {
    const std::string name = entry.path().filename().string();
    if (name.size() <= prefix.size() + 4 || !name.starts_with(prefix) || !name.ends_with(".tmp"))
      continue;
    const std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - 4);
    if (digits.size() > 10 || digits.find_first_not_of("0123456789") != digits.npos)
      continue;
    const long long process = std::stoll(digits);
    const bool ended = process > std::numeric_limits<pid_t>::max() || process == getpid() ||
                       (kill(static_cast<pid_t>(process), 0) != 0 && errno == ESRCH);
    if (ended)
      ::unlink(entry.path().c_str());
  }
}

} // namespace

void PosixFileSystem::touch(std::string_view name) {
  const std::string path(name);
  // Asks for no write access: a read-only memo file still opens for reading.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) {
    const int error = errno;
    struct stat info {};
    if (error == EISDIR || (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)))
      fail(FileError::Action::notAFile, path, EISDIR);
    fail(FileError::Action::create, path, error);
  }
  if (::close(fd) != 0)
    fail(FileError::Action::create, path, errno);
}

std::string PosixFileSystem::read(std::string_view name) {
  const std::string path(name);
  Fd file(path, O_RDONLY, FileError::Action::read);
  struct stat info {};
  if (fstat(file.get(), &info) != 0)
    fail(FileError::Action::read, path, errno);
  if (S_ISDIR(info.st_mode))
    fail(FileError::Action::notAFile, path, EISDIR);
  std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t got = ::read(file.get(), bytes.data() + done, bytes.size() - done);
    if (got < 0) {
      if (errno == EINTR)
        continue;
      fail(FileError::Action::read, path, errno);
    }
    if (got == 0)
      break; // the file shrank while we read it
    done += static_cast<std::size_t>(got);
  }
  bytes.resize(done);
  return bytes;
}

void PosixFileSystem::append(std::string_view name, std::string_view bytes) {
  const std::string path(name);
  Fd file(path, O_WRONLY | O_CREAT | O_APPEND, FileError::Action::write);
  writeAll(file.get(), bytes, path);
  file.close(FileError::Action::write, path);
}

void PosixFileSystem::replace(std::string_view name, std::string_view bytes) {
  // Write the new content beside the file, flush it, and rename it over the
  // file: a failure or a crash part-way never loses memos.
  const std::string path(name);
  const std::string temporary = temporaryName(path, getpid());
  removeAbandonedTemporaries(path);
  try {
    Fd file(temporary, O_WRONLY | O_CREAT | O_EXCL, FileError::Action::write);
    writeAll(file.get(), bytes, temporary);
    if (fsync(file.get()) != 0)
      fail(FileError::Action::write, temporary, errno);
    file.close(FileError::Action::write, temporary);
    if (rewriteWritten)
      rewriteWritten();
    if (std::rename(temporary.c_str(), path.c_str()) != 0)
      fail(FileError::Action::replace, path, errno);
  } catch (const FileError &error) {
    ::unlink(temporary.c_str());
    // Whatever step failed, what the user needs to know is that memo.txt
    // was not rewritten and still holds every memo.
    throw FileError(FileError::Action::replace, fullPathOf(path), error.systemText());
  }
}

bool PosixFileSystem::takesNewFiles(std::string_view name) {
  const std::filesystem::path file{std::string(name)};
  const std::string folder = file.has_parent_path() ? file.parent_path().string() : ".";
  return ::access(folder.c_str(), W_OK) == 0 || errno != EACCES;
}

void PosixFileSystem::emptyInPlace(std::string_view name, std::string_view head) {
  const std::string path(name);
  Fd file(path, O_WRONLY | O_TRUNC, FileError::Action::write); // cut first, as on Windows
  writeAll(file.get(), head, path);
  file.close(FileError::Action::write, path);
}

std::wstring PosixFileSystem::fullPath(std::string_view name) {
  return fullPathOf(std::string(name));
}

std::optional<std::uint64_t> PosixFileSystem::size(std::string_view name) {
  const std::string path(name);
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) {
    if (errno == ENOENT || errno == ENOTDIR)
      return std::nullopt;
    fail(FileError::Action::query, path, errno);
  }
  if (S_ISDIR(info.st_mode))
    fail(FileError::Action::notAFile, path, EISDIR);
  return static_cast<std::uint64_t>(info.st_size);
}

void PosixFileSystem::exclusively(std::string_view name, FunctionRef change) {
  // A lock on the folder rather than on the file: the rewrite replaces the
  // file, and a lock on the old one would not hold the next writer back.
  const std::filesystem::path file{std::string(name)};
  const std::string folder = file.has_parent_path() ? file.parent_path().string() : ".";
  Fd lock(folder, O_RDONLY | O_DIRECTORY, FileError::Action::write);
  while (flock(lock.get(), LOCK_EX) != 0)
    if (errno != EINTR)
      fail(FileError::Action::write, std::string(name), errno);
  change(); // closing the folder releases the lock
}

} // namespace tallynix::posix
