#include "memo_corpus.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iconv.h>
#include <iterator>
#include <stdexcept>

namespace bench {
namespace {

// Pieces of everyday memos; a memo is two or three of them. About 20
// characters on average, roughly two thirds of them double-byte in code
// page 932.
const wchar_t *const kPieces[] = {
    L"牛乳を買う",    L"10時 打ち合わせ",  L"田中さんに電話",  L"ToDo:",
    L"会議室B",       L"資料を印刷する",   L"メール返信",      L"PDF を送る",
    L"締切 12/15",    L"歯医者の予約",     L"ゴミ出し(水)",    L"パスワード変更",
    L"見積もり 3 件", L"Zoom 14:30",       L"宅配便 受け取り", L"請求書 No.4521",
    L"週報を書く",    L"バックアップ確認", L"佐藤さん 来社",   L"定例 MTG",
    L"Wi-Fi 設定",    L"印鑑を持っていく", L"経費精算",        L"年賀状",
    L"v2.3 リリース", L"駅前のカフェで",   L"お土産",          L"USB メモリ",
};
constexpr std::uint32_t kPieceCount = sizeof kPieces / sizeof kPieces[0];

std::uint32_t mix(std::uint32_t x) {
  x ^= x >> 16;
  x *= 0x7feb352dU;
  x ^= x >> 15;
  x *= 0x846ca68bU;
  x ^= x >> 16;
  return x;
}

std::string encode(const std::wstring &text, const char *encoding) {
  static_assert(sizeof(wchar_t) == 4);
  iconv_t cd = iconv_open(encoding, "UTF-32LE");
  if (cd == reinterpret_cast<iconv_t>(-1))
    throw std::runtime_error(std::string("iconv cannot convert to ") + encoding);
  std::string out(text.size() * 3, '\0');
  char *in = reinterpret_cast<char *>(const_cast<wchar_t *>(text.data()));
  std::size_t inLeft = text.size() * sizeof(wchar_t);
  char *to = out.data();
  std::size_t outLeft = out.size();
  const std::size_t result = iconv(cd, &in, &inLeft, &to, &outLeft);
  iconv_close(cd);
  if (result == static_cast<std::size_t>(-1))
    throw std::runtime_error(std::string("a benchmark memo is not representable in ") + encoding);
  out.resize(out.size() - outLeft);
  return out;
}

} // namespace

std::wstring typicalMemo(int i) {
  const std::uint32_t h = mix(static_cast<std::uint32_t>(i) * 2654435761U + 1);
  std::wstring memo = kPieces[h % kPieceCount];
  memo += L' ';
  memo += kPieces[(h >> 8) % kPieceCount];
  if ((h >> 16) % 3 == 0) {
    memo += L" ";
    memo += kPieces[(h >> 20) % kPieceCount];
  }
  return memo;
}

std::string memoFileBytes(int count, bool utf8) {
  std::wstring text;
  for (int i = 0; i < count; ++i) {
    std::wstring index = std::to_wstring(i);
    if (index.size() < 3)
      index.insert(0, 3 - index.size(), L'0');
    text += index;
    text += L' ';
    text += typicalMemo(i);
    text += L"\r\n";
  }
  return encode(text, utf8 ? "UTF-8" : "CP932");
}

void writeFile(const std::string &path, const std::string &bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out)
    throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));
}

std::string readFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    throw std::runtime_error("cannot read " + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace bench
