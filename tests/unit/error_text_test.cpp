#include "core/error_text.h"

#include "core/file_system.h"
#include "core/memo_store.h"

#include <gtest/gtest.h>

using namespace tallynix;

TEST(ErrorText, FileErrorsNameTheFileAndTheSystemsReason) {
  const FileError error(FileError::Action::write, L"C:\\memos\\memo.txt", L"Access is denied.");
  const std::wstring text = describeError(error);
  EXPECT_EQ(text, L"メモファイルに書き込めませんでした。\n\nファイル: C:\\memos\\memo.txt\n"
                  L"理由: Access is denied.");
}

TEST(ErrorText, AFailedReplaceSaysTheMemosAreIntact) {
  const FileError error(FileError::Action::replace, L"memo.txt", L"locked");
  EXPECT_NE(describeError(error).find(L"メモは元のまま残っています"), std::wstring::npos);
}

TEST(ErrorText, ARefusedChangeSaysWhichMemosWouldReadOtherwise) {
  const auto text = [](FileError::Action action) {
    return describeError(FileError(action, L"memo.txt", {}));
  };
  const std::wstring others = L"ほかのメモ";
  const std::wstring encoding = L"文字コード";
  EXPECT_NE(text(FileError::Action::wouldMisread).find(others), std::wstring::npos);
  EXPECT_NE(text(FileError::Action::wouldMisread).find(encoding), std::wstring::npos);
  // Where only the new memo would: no word of other memos.
  EXPECT_EQ(text(FileError::Action::wouldMisreadNew).find(others), std::wstring::npos);
  EXPECT_NE(text(FileError::Action::wouldMisreadNew).find(encoding), std::wstring::npos);
  // Not about the encoding at all.
  EXPECT_EQ(text(FileError::Action::wouldChangeMemos).find(encoding), std::wstring::npos);
}

TEST(ErrorText, ALockIsNamedAsItIsReallyCalled) { // memo.txt a link to D:\Sync\notes.txt
  const std::wstring text =
      describeError(FileError(FileError::Action::lock, L"D:\\Sync\\notes.txt.lock", {}));
  EXPECT_NE(text.find(L"notes.txt.lock を削除してください（メモは notes.txt に"), text.npos)
      << text;
}

TEST(ErrorText, RefusedTextNamesTheCharacterAndSaysWhatToDo) {
  const std::wstring text = describeError(UnrepresentableText(L"\U0001F600"));
  EXPECT_NE(text.find(L"「\U0001F600」"), std::wstring::npos);
  EXPECT_NE(text.find(L"除いてから"), std::wstring::npos);
}

TEST(ErrorText, FatalErrorsSayTheProgramEnds) {
  const std::wstring text = describeFatalError(std::runtime_error("boom"));
  EXPECT_NE(text.find(L"boom"), std::wstring::npos);
  EXPECT_NE(text.find(L"終了します"), std::wstring::npos);
}
