#include "core/memo_store.h"

#include "test_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

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
  store.append(0, L"first");
  store.append(1, L"  日本語  ");
  store.append(2, L" ");
  EXPECT_EQ(readBytes(memo), "000 first\r\n"
                             "001   \x93\xfa\x96\x7b\x8c\xea  \r\n"
                             "002  \r\n");
  EXPECT_EQ(store.readAll(), (Texts{L"first", L"  日本語  ", L" "}));
}

TEST_F(MemoStoreTest, AppendTurnsLineBreaksIntoSpaces) {
  store.append(0, L"one\r\ntwo\nthree");
  EXPECT_EQ(readBytes(memo), "000 one two three\r\n");
}

TEST_F(MemoStoreTest, AppendRefusesTextOutsideCodePage932AndWritesNothing) {
  store.append(0, L"keep");
  EXPECT_THROW(store.append(1, L"絵文字\U0001F600"), UnrepresentableText);
  EXPECT_THROW(store.append(1, L"한국어"), UnrepresentableText);
  EXPECT_EQ(readBytes(memo), "000 keep\r\n");
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

TEST_F(MemoStoreTest, RemoveByIndexRewritesTheFile) {
  writeBytes(memo, "000 a\r\n001 b\r\n001 b2\r\n002 c\r\n");
  store.removeByIndex(1);
  EXPECT_EQ(readBytes(memo), "000 a\r\n001 c\r\n");
  store.removeByIndex(0);
  store.removeByIndex(0);
  EXPECT_EQ(readBytes(memo), "");
  EXPECT_FALSE(std::filesystem::exists(memo + ".tmp"));
}

TEST_F(MemoStoreTest, RemoveByIndexReplacesALeftoverTemporaryFile) {
  writeBytes(memo, "000 a\r\n001 b\r\n");
  writeBytes(memo + ".tmp", "000 half-written\r\n");
  store.removeByIndex(0);
  EXPECT_EQ(readBytes(memo), "000 b\r\n");
  EXPECT_FALSE(std::filesystem::exists(memo + ".tmp"));
}

TEST_F(MemoStoreTest, TruncateEmptiesAndCreates) {
  writeBytes(memo, "000 a\r\n");
  store.truncate();
  EXPECT_EQ(readBytes(memo), "");
  std::filesystem::remove(memo);
  store.truncate();
  EXPECT_TRUE(std::filesystem::exists(memo));
}

TEST_F(MemoStoreTest, SizeInBytesIsNothingForAMissingFile) {
  EXPECT_EQ(store.sizeInBytes(), std::nullopt);
  writeBytes(memo, "000 abc\r\n");
  EXPECT_EQ(store.sizeInBytes(), 9u);
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
  EXPECT_THROW(store.sizeInBytes(), FileError);
  EXPECT_THROW(store.append(0, L"x"), FileError);
}

TEST(MemoStoreFailures, AFailedRemoveKeepsTheFileAsItWas) {
  tallynix::testing::MemoryFileSystem files;
  files.files["memo.txt"] = "000 a\r\n001 b\r\n";
  MemoStore store(files);
  files.failWrites = true;
  EXPECT_THROW(store.removeByIndex(0), FileError);
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
  EXPECT_THROW(store.append(2, L"x"), FileError);
  EXPECT_THROW(store.truncate(), FileError);
  EXPECT_THROW(store.removeByIndex(0), FileError);
  EXPECT_EQ(readBytes(memo), "000 keep\r\n001 also\r\n");
  EXPECT_FALSE(std::filesystem::exists(memo + ".tmp"));
}

} // namespace
#endif

namespace {

TEST(MemoStoreFailures, AFailedRewriteNamesTheMemoFileNotTheTemporaryOne) {
  tallynix::testing::ScratchFolder folder;
  const std::string memo = folder.file("memo.txt");
  writeBytes(memo, "000 a\r\n001 b\r\n");
  // A folder where the temporary file would go makes its creation fail.
  std::filesystem::create_directory(memo + ".tmp");
  auto files = tallynix::testing::makeRealFileSystem();
  MemoStore store(*files, memo);
  try {
    store.removeByIndex(0);
    FAIL() << "no error";
  } catch (const FileError &error) {
    EXPECT_EQ(error.action(), FileError::Action::replace);
    EXPECT_EQ(error.fullPath().substr(error.fullPath().size() - 8), L"memo.txt");
  }
  EXPECT_EQ(readBytes(memo), "000 a\r\n001 b\r\n");
}

} // namespace
