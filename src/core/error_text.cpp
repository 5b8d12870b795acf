#include "core/error_text.h"

#include "core/file_system.h"
#include "core/memo_store.h"

namespace tallynix {
namespace {

std::wstring whatFailed(const FileError &error) {
  switch (error.action()) {
  case FileError::Action::create:
    return L"メモファイルを作成できませんでした。";
  case FileError::Action::read:
    return L"メモファイルを読み込めませんでした。";
  case FileError::Action::write:
    return L"メモファイルに書き込めませんでした。";
  case FileError::Action::replace:
    return L"メモファイルを書き換えられませんでした。メモは元のまま残っています。";
  case FileError::Action::query:
    return L"メモファイルの大きさを調べられませんでした。";
  case FileError::Action::notAFile:
    return L"メモファイルと同じ名前のフォルダーがあるため、メモを読み書きできません。";
  case FileError::Action::wouldMisread:
    return L"書き込むとメモファイルの文字コード（シフトJIS か UTF-8 か）の見分けが変わり、"
           L"ほかのメモが正しく読めなくなるため、何も書き込みませんでした。"
           L"メモは元のまま残っています。";
  case FileError::Action::wouldMisreadNew:
    return L"書き込むとメモファイルの文字コード（シフトJIS か UTF-8 か）の見分けが変わり、"
           L"このメモが正しく読めなくなるため、追加しませんでした。\n"
           L"メモ帳で memo.txt を文字コード「UTF-8 (BOM 付き)」で保存し直すと、追加できます。";
  case FileError::Action::wouldChangeMemos:
    return L"書き込むとメモの文字が一覧に表示していたものと変わってしまうため、"
           L"何も書き込みませんでした。メモは元のまま残っています。";
  case FileError::Action::lock: {
    // Named as it is there: beside the file that memo.txt leads to, and
    // after it (notes.txt.lock for a link to notes.txt).
    const std::wstring_view path = error.fullPath();
    const std::wstring lock(path.substr(path.find_last_of(L"\\/") + 1));
    const std::wstring memo = lock.substr(0, lock.rfind(L".lock"));
    return L"メモファイルを変更する順番を取れなかったため、何も変更しませんでした。"
           L"順番待ちのファイル " +
           lock + L" を開けません。\nほかのタリニクスが " + memo +
           L" を変更中なら、少し待ってからもう一度試してください。"
           L"どのタリニクスも動いていないのにこのお知らせが出るときは、" +
           lock + L" を削除してください（メモは " + memo + L" に残っています）。";
  }
  case FileError::Action::noLinkTarget:
    return L"memo.txt はほかの場所のファイルへのリンクですが、"
           L"リンク先のファイルが見つからないため、何も変更しませんでした。\n"
           L"同期ソフトがファイルを置き直している途中なら、少し待ってからもう一度試してください。";
  }
  return L"メモファイルを扱えませんでした。";
}

std::wstring widen(const char *ascii) {
  std::wstring text;
  for (; *ascii; ++ascii)
    text += static_cast<wchar_t>(static_cast<unsigned char>(*ascii));
  return text;
}

} // namespace

std::wstring describeError(const std::exception &error) {
  if (const auto *file = dynamic_cast<const FileError *>(&error)) {
    std::wstring text = whatFailed(*file);
    text += L"\n\nファイル: ";
    text += file->fullPath();
    if (!file->systemText().empty()) {
      text += L"\n理由: ";
      text += file->systemText();
    }
    return text;
  }
  if (const auto *text = dynamic_cast<const UnrepresentableText *>(&error))
    return L"このメモには保存できない文字「" + text->character() +
           L"」（シフトJISにない文字）が含まれています。\n"
           L"その文字を除いてから、もう一度追加してください。\n"
           L"メモ帳で memo.txt を文字コード「UTF-8 (BOM 付き)」で保存し直すと、"
           L"どの文字も保存できます。";
  if (dynamic_cast<const std::bad_alloc *>(&error))
    return L"メモリが足りません。";
  std::wstring text = L"予期しないエラーが起きました。\n\n";
  text += widen(error.what());
  return text;
}

std::wstring describeFatalError(const std::exception &error) {
  std::wstring text = describeError(error);
  text += L"\n\nタリニクスを終了します。";
  return text;
}

} // namespace tallynix
