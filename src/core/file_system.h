// The few file operations the memo store needs, behind an interface so that
// the store itself stays portable and its failure paths can be tested.
#pragma once

#include "core/function_ref.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tallynix {

// A file operation that failed. Carries what the user needs to act on it:
// which operation, the file's full path and the system's own error text.
class FileError : public std::runtime_error {
public:
  // wouldMisread, wouldMisreadNew, wouldChangeMemos: the store wrote
  // nothing, as the change would make memo.txt read some memo otherwise:
  // the encoding it is told by would turn for memos already there, or for
  // the new memo alone, or a memo's text would change with the encoding
  // kept. lock: this copy's turn on the file could not be taken; fullPath
  // is then the lock file's.
  enum class Action {
    create,
    read,
    write,
    replace,
    query,
    notAFile,
    wouldMisread,
    wouldMisreadNew,
    wouldChangeMemos,
    lock,
    noLinkTarget
  };

  FileError(Action action, std::wstring fullPath, std::wstring systemText,
            bool heldByAnother = false)
      : std::runtime_error("file operation failed"), action_(action),
        fullPath_(std::move(fullPath)), systemText_(std::move(systemText)),
        heldByAnother_(heldByAnother) {}

  Action action() const noexcept { return action_; }
  const std::wstring &fullPath() const noexcept { return fullPath_; }
  const std::wstring &systemText() const noexcept { return systemText_; }
  // Whether another program held the file open in a way that refused the
  // operation (a viewer that does not share delete refuses a replace),
  // rather than the file or its folder refusing it by itself (read-only,
  // denied by an ACL, a full disk).
  bool heldByAnother() const noexcept { return heldByAnother_; }

private:
  Action action_;
  std::wstring fullPath_;
  std::wstring systemText_;
  bool heldByAnother_;
};

// Files are named relative to the current directory at each call. Every
// operation opens and closes the file within itself; nothing stays open.
class FileSystem {
public:
  virtual ~FileSystem() = default;

  // Creates the file empty when it is missing; an existing file is untouched.
  virtual void touch(std::string_view name) = 0;
  virtual std::string read(std::string_view name) = 0;
  // The bytes as they are now, without waiting for a file that another
  // program holds: nothing when it cannot be read at once. A missing file
  // holds no bytes.
  virtual std::optional<std::string> readIfFree(std::string_view name) {
    try {
      return read(name);
    } catch (const FileError &) {
    }
    try {
      if (!size(name))
        return std::string();
    } catch (const FileError &) {
    }
    return std::nullopt;
  }
  virtual void append(std::string_view name, std::string_view bytes) = 0;
  // Replaces the whole content in one step: afterwards the file holds either
  // the old bytes or the new ones, never a mixture or nothing. Needs a new
  // file beside it.
  virtual void replace(std::string_view name, std::string_view bytes) = 0;
  // Whether the file's folder takes a new file, as replace needs.
  virtual bool takesNewFiles(std::string_view name) = 0;
  // Empties the file through one handle on the file itself, then writes
  // `head` (a byte order mark, or nothing) into it: where the file cannot be
  // replaced (see FileError::heldByAnother). The cut comes first, so that a
  // failure at any point leaves the old bytes or a file that holds no memo.
  virtual void emptyInPlace(std::string_view name, std::string_view head) = 0;
  // The size in bytes, or nothing when the file does not exist.
  virtual std::optional<std::uint64_t> size(std::string_view name) = 0;
  // The file's full path, as the user is told it.
  virtual std::wstring fullPath(std::string_view name) { return {name.begin(), name.end()}; }

  // Runs `change` while no other copy of this program changes the file, so
  // that a read and the write made from it are one step for the others: two
  // copies never number two memos alike nor rewrite over each other's
  // change. The default suits a file system with a single user.
  virtual void exclusively(std::string_view name, FunctionRef change) {
    (void)name;
    change();
  }

  // The operations from `beginCommand` to `endCommand` are one command of
  // the user's. The window's thread answers nothing while they wait (for a
  // busy file, another copy's turn), so their waits end by one deadline
  // together. A command begun within another keeps the outer one's.
  virtual void beginCommand() {}
  virtual void endCommand() {}
};

// One command's file operations, for as long as it lives.
class FileCommand {
public:
  explicit FileCommand(FileSystem &files) : files_(files) { files_.beginCommand(); }
  ~FileCommand() { files_.endCommand(); }
  FileCommand(const FileCommand &) = delete;
  FileCommand &operator=(const FileCommand &) = delete;

private:
  FileSystem &files_;
};

} // namespace tallynix
