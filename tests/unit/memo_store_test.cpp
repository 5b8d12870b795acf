#include "core/memo_store.h"

#include "core/memo_format.h"
#include "memo_corpus.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>
#include <thread>

using namespace tallynix;
using tallynix::testing::readBytes;
using tallynix::testing::writeBytes;
using Texts = std::vector<std::wstring>;

namespace {

class MemoStoreTest : public ::testing::Test {
protected:
  tallynix::testing::ScratchFolder folder;
  std::unique_ptr<FileSystem> files = tallynix::testing::makeRealFileSystem();
  std::string memo = folder.file("memo.txt");
  MemoStore store{*files, memo};
};

TEST_F(MemoStoreTest, TouchCreatesAnEmptyFileAndLeavesAnExistingOneAlone) {
  store.touch();
  ASSERT_TRUE(std::filesystem::exists(memo));
  EXPECT_EQ(readBytes(memo), "");
  writeBytes(memo, "000 keep\r\n");
  store.touch();
  EXPECT_EQ(readBytes(memo), "000 keep\r\n");
}

TEST_F(MemoStoreTest, AppendWritesCodePage932LinesByteForByte) {
  store.append(L"first");
  store.append(L"  日本語  ");
  store.append(L" ");
  EXPECT_EQ(readBytes(memo), "000 first\r\n"
                             "001   \x93\xfa\x96\x7b\x8c\xea  \r\n"
                             "002  \r\n");
  EXPECT_EQ(store.readAll(), (Texts{L"first", L"  日本語  ", L" "}));
}

TEST_F(MemoStoreTest, AppendTurnsLineBreaksIntoSpaces) {
  store.append(L"one\r\ntwo\nthree");
  EXPECT_EQ(readBytes(memo), "000 one two three\r\n");
}

TEST_F(MemoStoreTest, AppendRefusesTextOutsideCodePage932AndNamesTheFirstSuchCharacter) {
  store.append(L"keep");
  const std::pair<const wchar_t *, std::wstring> refused[] = {
      {L"絵文字\U0001F600と\u00E9", L"\U0001F600"}, {L"한국어", L"한"}, {L"x\u203Ey", L"\u203E"}};
  for (const auto &[text, first] : refused) {
    try {
      store.append(text);
      ADD_FAILURE() << "stored";
    } catch (const UnrepresentableText &error) {
      EXPECT_EQ(error.character(), first);
    }
  }
  EXPECT_EQ(readBytes(memo), "000 keep\r\n");
}

TEST_F(MemoStoreTest, AppendStoresTextFromTheWebAsShiftJis) {
  store.append(L"9:00\u301C10:00 \u2212\u00A5500");
  EXPECT_EQ(readBytes(memo), "000 9:00\x81\x60"
                             "10:00 \x81\x7C\x5C"
                             "500\r\n");
}

TEST_F(MemoStoreTest, AppendNumbersFromTheFileAndEndsAnUnterminatedLine) {
  writeBytes(memo, "000 a\r\n001 b"); // as an editor saved it
  store.append(L"new");
  EXPECT_EQ(readBytes(memo), "000 a\r\n001 b\r\n002 new\r\n");
  writeBytes(memo, "000 a\r\n001 x\r\n001 b\r\n");
  store.append(L"new");
  EXPECT_EQ(readBytes(memo), "000 a\r\n001 x\r\n001 b\r\n003 new\r\n");
}

TEST_F(MemoStoreTest, ReadAllOfAMissingFileIsAnErrorWithThePath) {
  try {
    store.readAll();
    FAIL() << "no error";
  } catch (const FileError &error) {
    EXPECT_EQ(error.action(), FileError::Action::read);
    EXPECT_NE(error.fullPath().find(L"memo.txt"), std::wstring::npos);
    EXPECT_FALSE(error.systemText().empty());
  }
}

TEST_F(MemoStoreTest, ReadAllSurvivesAnyBytes) {
  std::string junk("\x00\xff\x81\r\n\x82\r\x80\xa0\n\xfc\xfc\xfc", 13);
  writeBytes(memo, junk);
  const Texts texts = store.readAll();
  EXPECT_EQ(texts.size(), 3u); // CR LF, then a lone CR, then the rest
}

TEST_F(MemoStoreTest, ReadAllHandlesALongLine) {
  const std::string text(10 * 1024 * 1024, 'x');
  writeBytes(memo, "000 " + text + "\r\n");
  const Texts texts = store.readAll();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].size(), text.size());
}

TEST_F(MemoStoreTest, RemoveSelectedDeletesTheSelectedMemoOrNothing) {
  writeBytes(memo, "000 b\r\n001 c\r\n002 b\r\n002 c\r\n");
  EXPECT_TRUE(store.removeSelected(1, L"c")); // not the other memo numbered 002
  EXPECT_EQ(readBytes(memo), "000 b\r\n001 b\r\n002 c\r\n");
  EXPECT_FALSE(store.removeSelected(2, L"b")); // gone from 2, twice elsewhere
  EXPECT_FALSE(store.removeSelected(0, L"a"));
  EXPECT_EQ(readBytes(memo), "000 b\r\n001 b\r\n002 c\r\n");
  EXPECT_TRUE(store.removeSelected(0, L"b"));
  EXPECT_EQ(readBytes(memo), "000 b\r\n001 c\r\n");
  EXPECT_TRUE(store.removeSelected(1, L"c"));
  EXPECT_TRUE(store.removeSelected(0, L"b"));
  EXPECT_EQ(readBytes(memo), "");
  EXPECT_TRUE(tallynix::testing::leftoverTemporaries(folder).empty());
}

TEST_F(MemoStoreTest, TheProgramsOwnShiftJisStaysShiftJis) {
  // 繻子 and 莉子 in Shift-JIS are well-formed UTF-8 too (㌎q, 从q).
  store.touch();
  store.append(L"繻子");
  store.append(L"莉子");
  store.append(L"卵");
  EXPECT_EQ(readBytes(memo), "000 \xE3\x8C\x8E\x71\r\n001 \xE4\xBB\x8E\x71\r\n002 \x97\x91\r\n");
  EXPECT_EQ(store.readAll(), (Texts{L"繻子", L"莉子", L"卵"}));
  writeBytes(memo, "000 \x8B\x8D\x93\xfb\r\n001 \xE4\xBB\x94\x54\r\n"); // 牛乳, 莉乃
  EXPECT_TRUE(store.removeSelected(0, L"牛乳"));
  store.append(L"卵");
  EXPECT_EQ(readBytes(memo), "000 \xE4\xBB\x94\x54\r\n001 \x97\x91\r\n");
  EXPECT_EQ(store.readAll(), (Texts{L"莉乃", L"卵"}));
}

TEST_F(MemoStoreTest, AUtf8FileIsReadAndWrittenAsUtf8) {
  const std::string bom = "\xEF\xBB\xBF";
  writeBytes(memo, "000 買い物\r\n001 Hokkaidō\r\n"); // as Notepad saves it
  EXPECT_EQ(store.readAll(), (Texts{L"買い物", L"Hokkaidō"}));
  store.append(L"卵😀");
  store.append(L"Dvořák");
  EXPECT_EQ(readBytes(memo), "000 買い物\r\n001 Hokkaidō\r\n002 卵😀\r\n003 Dvořák\r\n");
  EXPECT_TRUE(store.removeSelected(0, L"買い物"));
  EXPECT_EQ(readBytes(memo), "000 Hokkaidō\r\n001 卵😀\r\n002 Dvořák\r\n");
  // Memos of plain ASCII alone would no longer tell that the file is UTF-8:
  // the byte order mark goes in front.
  writeBytes(memo, "000 牛乳\r\n001 milk\r\n");
  EXPECT_TRUE(store.removeSelected(0, L"牛乳"));
  EXPECT_EQ(readBytes(memo), bom + "000 milk\r\n");
  store.append(L"😀");
  EXPECT_EQ(store.readAll(), (Texts{L"milk", L"😀"}));
  // So does a file where a new line would read as Shift-JIS: 从q has the
  // bytes of 莉子.
  writeBytes(memo, "000 牛乳\r\n");
  store.append(L"从q");
  EXPECT_EQ(readBytes(memo), bom + "000 牛乳\r\n001 从q\r\n");
}

TEST(MemoStoreWrites, AChangeThatWouldTurnHowTheRestReadsWritesNothing) {
  tallynix::testing::MemoryFileSystem files;
  // A Shift-JIS file holding the mojibake 縺ゅ＞, beside two lines of kana
  // that keep it Shift-JIS: beside one, those bytes would read as UTF-8 あい.
  const std::string file = "000 \x82\xa0\r\n001 \x82\xa2\r\n002 \xE3\x81\x82\xE3\x81\x84\r\n";
  files.files["memo.txt"] = file;
  MemoStore store(files);
  ASSERT_EQ(store.readAll(), (Texts{L"あ", L"い", L"縺ゅ＞"}));
  try {
    store.removeSelected(0, L"あ");
    FAIL() << "written";
  } catch (const FileError &error) {
    EXPECT_EQ(error.action(), FileError::Action::wouldMisread);
  }
  EXPECT_EQ(files.files["memo.txt"], file);
  EXPECT_EQ(files.replaces, 0);
}

TEST(MemoStoreWrites, ARefusalSaysWhichMemosWouldReadOtherwiseAndWhy) {
  tallynix::testing::MemoryFileSystem files;
  MemoStore store(files);
  const auto refusal = [&](const std::string &file, FunctionRef change) {
    files.files["memo.txt"] = file;
    try {
      change();
    } catch (const FileError &error) {
      EXPECT_EQ(files.files["memo.txt"], file);
      return error.action();
    }
    return FileError::Action::create; // stands for "written"
  };
  // 縺ｱ in Shift-JIS reads as UTF-8 ぱ: only the new memo would read
  // otherwise, in an empty file and beside memos of ASCII alike; beside one
  // that three of Shift-JIS keep Shift-JIS, 縺ｲ would turn the file and make
  // it read ぱ.
  for (const std::string file : {"", "000 a\r\n"})
    EXPECT_EQ(refusal(file, [&] { store.append(L"縺ｱ"); }), FileError::Action::wouldMisreadNew);
  const std::string others = "000 \xE3\x81\xB1\r\n001 \x93\xfa\r\n002 \x8c\x8e\r\n003 \x89\xce\r\n";
  ASSERT_EQ(store.memosOf(others), (Texts{L"縺ｱ", L"日", L"月", L"火"}));
  EXPECT_EQ(refusal(others, [&] { store.append(L"縺ｲ"); }), FileError::Action::wouldMisread);
  // Renumbered, a Shift-JIS line of a UTF-8 file would become UTF-8: the
  // file's encoding stays, a memo's text would not.
  const std::string mixed = "\xEF\xBB\xBF"
                            "000 a\r\n\x82\xa0"
                            "xyz\xE3\x81\x82\r\n";
  EXPECT_EQ(refusal(mixed, [&] { store.removeSelected(0, L"a"); }),
            FileError::Action::wouldChangeMemos);
}

TEST(MemoStoreWrites, ClearAllInAFolderThatTakesNoNewFileWritesThroughTheFileItself) {
  tallynix::testing::MemoryFileSystem files;
  files.newFilesAllowed = false;
  files.files["memo.txt"] = "\xEF\xBB\xBF"
                            "000 あ\r\n";
  MemoStore store(files);
  EXPECT_TRUE(store.clear(*store.snapshot()));
  EXPECT_EQ(files.files["memo.txt"], "\xEF\xBB\xBF");
  store.append(L"い"); // an append needs no new file
  EXPECT_EQ(files.files["memo.txt"], "\xEF\xBB\xBF"
                                     "000 い\r\n");
  EXPECT_THROW(store.removeSelected(0, L"い"), FileError); // a rewrite does
}

TEST_F(MemoStoreTest, AFileWithAByteOrderMarkKeepsItAndEveryOtherLinesBytes) {
  const std::string bom = "\xEF\xBB\xBF";
  const std::string shiftJisLine = "001 \x82\xa4\r\n"; // appended by an earlier version
  writeBytes(memo, bom + "000 あ\r\n" + shiftJisLine + "002 い\r\n");
  EXPECT_EQ(store.readAll(), (Texts{L"あ", L"う", L"い"}));
  EXPECT_TRUE(store.removeSelected(0, L"あ"));
  EXPECT_EQ(readBytes(memo), bom + "000 \x82\xa4\r\n001 い\r\n");
  store.append(L"え");
  EXPECT_EQ(readBytes(memo), bom + "000 \x82\xa4\r\n001 い\r\n002 え\r\n");
  const auto asked = store.snapshot();
  ASSERT_TRUE(asked);
  EXPECT_TRUE(store.clear(*asked));
  EXPECT_EQ(readBytes(memo), bom); // still UTF-8, and no memos
  EXPECT_EQ(store.snapshot()->memos, Texts{});
  store.append(L"😀");
  EXPECT_EQ(readBytes(memo), bom + "000 😀\r\n");
}

TEST_F(MemoStoreTest, ARewriteRemovesTheTemporaryFilesOfEndedProcessesOnly) {
  writeBytes(memo, "000 a\r\n001 b\r\n");
  // Left by copies that ended during a rewrite: an id no process has, and
  // this process's own (a dead process had it before).
  const std::string dead = memo + ".4000000000.tmp";
  const std::string own = memo + "." + std::to_string(tallynix::testing::processId()) + ".tmp";
  writeBytes(dead, "000 half-written\r\n");
  writeBytes(own, "000 half-written\r\n");
  const std::string other = folder.file("other.txt.4000000000.tmp");
  writeBytes(other, "not ours");
  const auto running = tallynix::testing::anotherRunningProcessId();
  const std::string live = running ? memo + "." + std::to_string(*running) + ".tmp" : "";
  if (running)
    writeBytes(live, "000 another copy's rewrite\r\n");
  EXPECT_TRUE(store.removeSelected(0, L"a"));
  EXPECT_EQ(readBytes(memo), "000 b\r\n");
  EXPECT_FALSE(std::filesystem::exists(dead));
  EXPECT_FALSE(std::filesystem::exists(own));
  EXPECT_TRUE(std::filesystem::exists(other));
  if (running) {
    EXPECT_EQ(readBytes(live), "000 another copy's rewrite\r\n");
  }
}

TEST_F(MemoStoreTest, ClearEmptiesOnlyWhatTheUserWasAskedAbout) {
  EXPECT_EQ(store.snapshot(), std::nullopt); // no memo.txt
  writeBytes(memo, "000 a\r\n");
  const auto asked = store.snapshot();
  ASSERT_TRUE(asked);
  EXPECT_EQ(asked->memos, Texts{L"a"});
  writeBytes(memo, "000 a\r\n001 new\r\n"); // another copy added one meanwhile
  EXPECT_FALSE(store.clear(*asked));
  EXPECT_EQ(readBytes(memo), "000 a\r\n001 new\r\n");
  EXPECT_TRUE(store.clear(*store.snapshot()));
  EXPECT_EQ(readBytes(memo), "");
  std::filesystem::remove(memo);
  EXPECT_FALSE(store.clear(*asked));
  EXPECT_FALSE(std::filesystem::exists(memo));
}

TEST_F(MemoStoreTest, AFolderNamedLikeTheFileIsAnErrorNotACrash) {
  std::filesystem::create_directory(memo);
  try {
    store.touch();
    FAIL() << "no error";
  } catch (const FileError &error) {
    EXPECT_EQ(error.action(), FileError::Action::notAFile);
  }
  EXPECT_THROW(store.readAll(), FileError);
  EXPECT_THROW(store.snapshot(), FileError);
  EXPECT_THROW(store.append(L"x"), FileError);
}

TEST(MemoStoreFailures, AnAddThatCannotReadTheFileSaysItCouldNotWrite) {
  tallynix::testing::MemoryFileSystem files;
  files.files["memo.txt"] = "000 a\r\n";
  MemoStore store(files);
  // Resolving the name and the turn, then the size and the read.
  for (const auto &[failing, told] :
       {std::pair{3, FileError::Action::query}, std::pair{4, FileError::Action::write}}) {
    files.operations = 0;
    files.failAt = failing;
    try {
      store.append(L"b");
      ADD_FAILURE() << "no error";
    } catch (const FileError &error) {
      EXPECT_EQ(error.action(), told) << failing;
    }
  }
  EXPECT_EQ(files.files["memo.txt"], "000 a\r\n");
}

TEST(MemoStoreFailures, AFailedRemoveKeepsTheFileAsItWas) {
  tallynix::testing::MemoryFileSystem files;
  files.files["memo.txt"] = "000 a\r\n001 b\r\n";
  MemoStore store(files);
  files.failWrites = true;
  EXPECT_THROW(store.removeSelected(0, L"a"), FileError);
  EXPECT_EQ(files.files["memo.txt"], "000 a\r\n001 b\r\n");
}

} // namespace

#ifndef _WIN32
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Makes a file read-only even for root (which ignores permission bits), for
// as long as it lives.
class ReadOnlyFile {
public:
  explicit ReadOnlyFile(std::string path) : path_(std::move(path)) {
    chmod(path_.c_str(), 0444);
    if (geteuid() == 0)
      immutable_ = std::system(("chattr +i '" + path_ + "' 2>/dev/null").c_str()) == 0;
  }
  ~ReadOnlyFile() {
    if (immutable_)
      std::system(("chattr -i '" + path_ + "'").c_str());
    chmod(path_.c_str(), 0644);
  }
  bool effective() const { return geteuid() != 0 || immutable_; }

private:
  std::string path_;
  bool immutable_ = false;
};

TEST(MemoStoreReadOnly, AReadOnlyFileCanBeTouchedAndReadButNotChanged) {
  tallynix::testing::ScratchFolder folder;
  const std::string memo = folder.file("memo.txt");
  writeBytes(memo, "000 keep\r\n001 also\r\n");
  const ReadOnlyFile readOnly(memo);
  if (!readOnly.effective())
    GTEST_SKIP() << "cannot make a file read-only for root here";
  auto files = tallynix::testing::makeRealFileSystem();
  MemoStore store(*files, memo);
  store.touch();
  EXPECT_EQ(store.readAll(), (Texts{L"keep", L"also"}));
  EXPECT_THROW(store.append(L"x"), FileError);
  EXPECT_THROW(store.clear(*store.snapshot()), FileError);
  EXPECT_THROW(store.removeSelected(0, L"keep"), FileError);
  EXPECT_EQ(readBytes(memo), "000 keep\r\n001 also\r\n");
  EXPECT_TRUE(tallynix::testing::leftoverTemporaries(folder).empty());
}

} // namespace
#endif

namespace {

// Two writers on one file at once, as two copies of the program in one
// folder that spell its path differently (a mapped drive and its UNC path):
// each adds memos and deletes every other one of its own, by what its list
// would show. Every memo ends where its writer left it, numbered once.
TEST(MemoStoreTwoWriters, AddAndDeleteAtOnceLoseNothingAndNumberEachMemoOnce) {
  tallynix::testing::ScratchFolder folder;
  const std::string memo = folder.file("memo.txt");
#ifdef _WIN32
  const std::string spelling[] = {memo, "\\\\?\\" + memo};
#else
  std::filesystem::create_directory_symlink(folder.path(), folder.path() / "alias");
  const std::string spelling[] = {memo, folder.file("alias/memo.txt")};
#endif
  writeBytes(memo, "");
  const auto writer = [&](wchar_t name) {
    auto files = tallynix::testing::makeRealFileSystem();
    MemoStore store(*files, spelling[name - L'A']);
    try {
      for (int k = 0; k < 100; ++k) {
        const std::wstring text = name + std::to_wstring(k);
        store.append(text);
        if (k % 2 == 0) {
          const Texts shown = store.readAll();
          const auto at = std::find(shown.begin(), shown.end(), text) - shown.begin();
          EXPECT_TRUE(store.removeSelected(static_cast<int>(at), text)) << text.size();
        }
      }
    } catch (const FileError &error) {
      ADD_FAILURE() << "file error " << static_cast<int>(error.action());
    }
  };
  std::thread a(writer, L'A');
  std::thread b(writer, L'B');
  a.join();
  b.join();
  const std::string file = readBytes(memo);
  const Texts left = MemoStore(*tallynix::testing::makeRealFileSystem(), memo).readAll();
  ASSERT_EQ(left.size(), 100u);
  std::string expected;
  for (std::size_t k = 0; k < left.size(); ++k)
    expected += tallynix::memo::formatLine(static_cast<int>(k),
                                           std::string(left[k].begin(), left[k].end()));
  EXPECT_EQ(file, expected);
  for (const wchar_t name : {L'A', L'B'})
    for (int k = 1; k < 100; k += 2)
      EXPECT_EQ(std::count(left.begin(), left.end(), name + std::to_wstring(k)), 1);
}

TEST(MemoStoreFailures, AFailedRewriteNamesTheMemoFileNotTheTemporaryOne) {
  tallynix::testing::ScratchFolder folder;
  const std::string memo = folder.file("memo.txt");
  writeBytes(memo, "000 a\r\n001 b\r\n");
  // A folder where the temporary file would go makes its creation fail.
  std::filesystem::create_directory(memo + "." + std::to_string(tallynix::testing::processId()) +
                                    ".tmp");
  auto files = tallynix::testing::makeRealFileSystem();
  MemoStore store(*files, memo);
  try {
    store.removeSelected(0, L"a");
    FAIL() << "no error";
  } catch (const FileError &error) {
    EXPECT_EQ(error.action(), FileError::Action::replace);
    EXPECT_EQ(error.fullPath().substr(error.fullPath().size() - 8), L"memo.txt");
  }
  EXPECT_EQ(readBytes(memo), "000 a\r\n001 b\r\n");
}

} // namespace

#ifdef _WIN32
namespace {

// Another program holds memo.txt without sharing it for `ms` milliseconds,
// as a sync client or a virus scanner does.
class BriefLock {
public:
  // `watched`: a file whose bytes are taken just before the hold ends.
  BriefLock(const std::string &path, DWORD ms, std::string watched = {})
      : ms_(ms), watched_(std::move(watched)) {
    file_ = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
    thread_ = CreateThread(nullptr, 0, &BriefLock::release, this, 0, nullptr);
  }
  ~BriefLock() {
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
  }
  bool held() const { return file_ != INVALID_HANDLE_VALUE && thread_; }
  // The watched file's bytes, once the hold is over.
  std::string seenWhileHeld() {
    WaitForSingleObject(thread_, INFINITE);
    return seen_;
  }

private:
  static DWORD WINAPI release(void *self) {
    auto *lock = static_cast<BriefLock *>(self);
    Sleep(lock->ms_); // the other program's hold, not a wait for a result
    if (!lock->watched_.empty())
      lock->seen_ = readBytes(lock->watched_);
    CloseHandle(lock->file_);
    return 0;
  }
  DWORD ms_;
  std::string watched_;
  std::string seen_;
  HANDLE file_;
  HANDLE thread_;
};

TEST(MemoStoreLocked, ABriefSharingViolationIsRiddenOutALongOneReported) {
  tallynix::testing::ScratchFolder folder;
  const std::string memo = folder.file("memo.txt");
  writeBytes(memo, "000 a\r\n001 b\r\n");
  auto files = tallynix::testing::makeRealFileSystem();
  MemoStore store(*files, memo);
  {
    BriefLock lock(memo, 400);
    ASSERT_TRUE(lock.held());
    EXPECT_TRUE(store.removeSelected(0, L"a"));
  }
  {
    // Another copy's turn on the file, or a lock file a crash left behind:
    // waited for, then taken over, and gone once the add is done.
    writeBytes(memo + ".lock", "");
    BriefLock turn(memo + ".lock", 400, memo);
    ASSERT_TRUE(turn.held());
    store.append(L"c");
    EXPECT_EQ(turn.seenWhileHeld(), "000 b\r\n");
  }
  EXPECT_FALSE(std::filesystem::exists(memo + ".lock"));
  {
    BriefLock lock(memo, 400);
    EXPECT_EQ(store.readAll(), (Texts{L"b", L"c"}));
  }
  EXPECT_EQ(readBytes(memo), "000 b\r\n001 c\r\n");
  BriefLock lock(memo, 3000);
  try {
    store.append(L"d");
    FAIL() << "no error";
  } catch (const FileError &error) {
    EXPECT_EQ(error.action(), FileError::Action::write);
  }
}

} // namespace
#endif

namespace {

// Random adds, deletes and clears on files of either encoding and on UTF-8
// files with Shift-JIS lines, with memos people write and, now and then, a
// rare kanji with one half-width katakana behind it, which alone in a
// Shift-JIS file reads as UTF-8. After every step each memo reads as a model
// of the file says, in the model's encoding; a step is refused exactly where
// the model's file would read otherwise. Each step runs first with each of
// its file operations failing in turn: then the file holds its bytes from
// before the step or from after it, and the user is told (an exception), or
// the step wrote nothing and said why.
class MemoStoreProperty : public ::testing::Test {
protected:
  struct Model {
    Encoding encoding = Encoding::shiftJis;
    Texts memos;
  };
  enum class Step { add, remove, clear };

  const Cp932 codec;
  std::mt19937 random{8122026};
  std::vector<std::wstring> texts;
  tallynix::testing::MemoryFileSystem files;
  MemoStore store{files};
  int refusals = 0;

  void SetUp() override {
    for (const std::string_view utf8 : tallynix::testing::memoCorpus()) {
      std::wstring text;
      ASSERT_TRUE(tallynix::utf8::appendDecoded(utf8, text));
      texts.push_back(std::move(text));
    }
  }

  std::size_t below(std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
  }
  std::wstring anyText() {
    if (below(8) != 0)
      return texts[below(texts.size())];
    // A kanji of JIS level 2 and one half-width katakana whose Shift-JIS
    // bytes are UTF-8 too (縺ｱ is ぱ).
    for (;;) {
      const auto lead = static_cast<char>(0xE0 + below(11));
      const auto trail = static_cast<char>(0x80 + below(64));
      const std::string bytes{lead, trail, static_cast<char>(0xA1 + below(31))};
      const std::wstring text = codec.decode(bytes);
      if (tallynix::utf8::isValid(bytes) && text.size() == 2 && codec.encode(text) == bytes)
        return text;
    }
  }
  std::string &file() { return files.files["memo.txt"]; }

  // A file to start from: Shift-JIS, UTF-8 with or without the byte order
  // mark, or UTF-8 with Shift-JIS lines, holding up to five memos. Nothing
  // when the texts drawn do not read back as written: the rule's rare doubts
  // are measured elsewhere, this is about what the writes do.
  std::optional<Model> startFile() {
    const int kind = static_cast<int>(below(4));
    Model model{kind == 0 ? Encoding::shiftJis : Encoding::utf8, {}};
    std::string bytes = kind == 2 ? std::string(kUtf8Bom) : std::string();
    const std::size_t count = below(6);
    for (std::size_t k = 0; k < count; ++k) {
      const std::wstring &text = anyText();
      const bool shiftJis = kind == 0 || (kind == 3 && k > 0 && below(2));
      std::optional<std::string> encoded =
          shiftJis ? codec.encode(text) : tallynix::utf8::encode(text);
      if (!encoded)
        return std::nullopt;
      bytes += tallynix::memo::formatLine(static_cast<int>(k), *encoded);
      model.memos.push_back(shiftJis ? codec.decode(*encoded) : text);
    }
    const tallynix::memo::MemoFile reads = tallynix::memo::decodeMemos(bytes, codec);
    if (reads.reading.encoding != model.encoding || reads.memos != model.memos)
      return std::nullopt;
    file() = bytes;
    return model;
  }

  // What the model becomes by a step; nothing for a text that the model's
  // file cannot store.
  std::optional<Model> modelAfter(Step step, const Model &model, const std::wstring &text,
                                  std::size_t place) {
    Model after = model;
    if (step == Step::add) {
      const auto encoded =
          model.encoding == Encoding::utf8 ? tallynix::utf8::encode(text) : codec.encode(text);
      if (!encoded)
        return std::nullopt;
      after.memos.push_back(
          tallynix::memo::decodeText(*encoded, model.encoding == Encoding::utf8, codec));
    } else if (step == Step::remove) {
      after.memos.erase(after.memos.begin() + static_cast<std::ptrdiff_t>(place));
    } else {
      after.memos.clear();
    }
    return after;
  }

  // Whether the model's file would read otherwise after the step: a
  // Shift-JIS file of the model's memos, as the program writes them, read
  // as UTF-8. (A UTF-8 file takes the byte order mark where it needs it.)
  bool misreads(const std::optional<Model> &after) {
    if (!after || after->encoding != Encoding::shiftJis)
      return false;
    std::string bytes;
    for (std::size_t k = 0; k < after->memos.size(); ++k)
      bytes += tallynix::memo::formatLine(static_cast<int>(k), *codec.encode(after->memos[k]));
    const tallynix::memo::MemoFile reads = tallynix::memo::decodeMemos(bytes, codec);
    return reads.reading.encoding != Encoding::shiftJis || reads.memos != after->memos;
  }

  // Runs one step; what the model becomes when it succeeds.
  Model run(Step step, const Model &model, const std::wstring &text, std::size_t place) {
    switch (step) {
    case Step::add:
      store.append(text);
      break;
    case Step::remove:
      EXPECT_TRUE(store.removeSelected(static_cast<int>(place), model.memos[place]));
      break;
    case Step::clear:
      if (const auto asked = store.snapshot()) {
        EXPECT_TRUE(store.clear(*asked));
      }
      break;
    }
    return *modelAfter(step, model, text, place);
  }

  // The step with each file operation failing in turn, then as it is.
  Model runAndFail(Step step, const Model &model) {
    const std::wstring text = anyText();
    const std::size_t place = model.memos.empty() ? 0 : below(model.memos.size());
    if (step == Step::remove && model.memos.empty())
      step = Step::add;
    const std::string before = file();
    // The step as it goes without failures, for the bytes after it.
    std::optional<std::string> after;
    files.operations = 0;
    try {
      run(step, model, text, place);
      after = file();
    } catch (const UnrepresentableText &) {
    } catch (const FileError &) {
    }
    for (int failing = 1;; ++failing) {
      file() = before;
      files.operations = 0;
      files.failAt = failing;
      bool told = false;
      try {
        run(step, model, text, place);
      } catch (const UnrepresentableText &) {
        told = true;
      } catch (const FileError &) {
        told = true;
      }
      files.failAt = 0;
      if (files.operations < failing)
        break; // every operation has failed once
      EXPECT_TRUE(told) << "operation " << failing << " failed silently";
      EXPECT_TRUE(file() == before || (after && file() == *after)) << "operation " << failing;
    }
    file() = before;
    files.operations = 0;
    const bool refusable = misreads(modelAfter(step, model, text, place));
    try {
      const Model after = run(step, model, text, place);
      EXPECT_FALSE(refusable) << "stored what reads otherwise";
      return after;
    } catch (const UnrepresentableText &) {
      EXPECT_EQ(model.encoding, Encoding::shiftJis);
    } catch (const FileError &error) {
      if (files.newFilesAllowed || error.action() != FileError::Action::replace) {
        EXPECT_TRUE(refusable) << "refused what reads right";
        EXPECT_TRUE(error.action() == FileError::Action::wouldMisread ||
                    error.action() == FileError::Action::wouldMisreadNew)
            << static_cast<int>(error.action());
        ++refusals;
      }
    }
    EXPECT_EQ(file(), before);
    return model;
  }
};

TEST_F(MemoStoreProperty, EveryStepReadsAsTheModelSaysOrLeavesTheFileAsItWas) {
  int steps = 0;
  for (int sequence = 0; sequence < 300; ++sequence) {
    std::optional<Model> model = startFile();
    if (!model)
      continue;
    files.newFilesAllowed = below(8) != 0;
    for (int k = 0; k < 12; ++k, ++steps) {
      const std::size_t roll = below(10);
      const Step step = roll < 6 ? Step::add : roll < 9 ? Step::remove : Step::clear;
      *model = runAndFail(step, *model);
      const tallynix::memo::MemoFile reads = tallynix::memo::decodeMemos(file(), codec);
      ASSERT_EQ(reads.reading.encoding, model->encoding)
          << "sequence " << sequence << " step " << k;
      ASSERT_EQ(reads.memos, model->memos) << "sequence " << sequence << " step " << k;
    }
  }
  std::printf("memo store: %d steps, %d refused as they would turn how the file reads\n", steps,
              refusals);
  EXPECT_GT(steps, 1000);
  EXPECT_GT(refusals, 0);
}

} // namespace
