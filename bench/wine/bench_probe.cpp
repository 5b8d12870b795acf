// bench_probe: the few questions the Wine measurements ask inside the prefix,
// each answered without fetching more than needed (the end-to-end probe's
// "combo" verb reads every item, far too slow to poll a list of 10,000).
//
//   bench_probe serve       one command per line on standard input, one JSON
//                           line per answer (the protocol of the end-to-end
//                           harness's Probe class), until "quit" or the end
//
//   find CLASS                        first top-level window of CLASS: hwnd (0: none), pid, visible
//   count HWND ID                     CB_GETCOUNT of control ID of HWND
//   waitcount HWND ID N TIMEOUT_MS    polls until that count is N
//   waitnew CLASS OLD ID N TIMEOUT_MS polls until a visible window of CLASS other
//                                     than OLD holds N items in control ID
//   hide HWND                         ShowWindow(HWND, SW_HIDE) from outside
//
// A window's thread answers a sent message only between its own messages,
// so a count that arrives is the count after whatever the window was doing.
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

std::vector<std::string> words(const char *line) {
  std::vector<std::string> out;
  std::string word;
  for (const char *p = line; *p; ++p) {
    if (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n') {
      if (!word.empty())
        out.push_back(word);
      word.clear();
    } else {
      word += *p;
    }
  }
  if (!word.empty())
    out.push_back(word);
  return out;
}

long long number(const std::string &word) { return std::strtoll(word.c_str(), nullptr, 0); }
HWND handle(const std::string &word) {
  return reinterpret_cast<HWND>(static_cast<INT_PTR>(number(word)));
}
long long value(HWND h) { return static_cast<long long>(reinterpret_cast<INT_PTR>(h)); }

std::wstring widen(const std::string &text) { return std::wstring(text.begin(), text.end()); }

// -1 when the window does not answer within the timeout or has no such control.
long long comboCount(HWND parent, int id, UINT timeoutMs) {
  HWND combo = GetDlgItem(parent, id);
  if (!combo)
    return -1;
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(combo, CB_GETCOUNT, 0, 0, SMTO_NORMAL, timeoutMs, &result))
    return -1;
  return static_cast<long long>(static_cast<LRESULT>(result));
}

void answer(const char *format, ...) {
  va_list args;
  va_start(args, format);
  std::vprintf(format, args);
  va_end(args);
  std::putchar('\n');
  std::fflush(stdout);
}

void fail(const char *what) { answer("{\"ok\":false,\"error\":\"%s\"}", what); }

void run(const std::vector<std::string> &w) {
  const std::string &verb = w[0];
  if (verb == "ping") {
    answer("{\"ok\":true,\"pid\":%lu}", GetCurrentProcessId());
  } else if (verb == "find" && w.size() == 2) {
    HWND h = FindWindowW(widen(w[1]).c_str(), nullptr);
    DWORD pid = 0;
    if (h)
      GetWindowThreadProcessId(h, &pid);
    answer("{\"ok\":true,\"hwnd\":%lld,\"pid\":%lu,\"visible\":%s}", value(h), pid,
           h && IsWindowVisible(h) ? "true" : "false");
  } else if (verb == "count" && w.size() == 3) {
    answer("{\"ok\":true,\"count\":%lld}",
           comboCount(handle(w[1]), static_cast<int>(number(w[2])), 5000));
  } else if (verb == "waitcount" && w.size() == 5) {
    const long long wanted = number(w[3]);
    const DWORD deadline = GetTickCount() + static_cast<DWORD>(number(w[4]));
    long long count = -1;
    for (;;) {
      count = comboCount(handle(w[1]), static_cast<int>(number(w[2])), 5000);
      if (count == wanted || static_cast<LONG>(GetTickCount() - deadline) >= 0)
        break;
      Sleep(1);
    }
    answer("{\"ok\":true,\"reached\":%s,\"count\":%lld}", count == wanted ? "true" : "false",
           count);
  } else if (verb == "waitnew" && w.size() == 6) {
    const std::wstring cls = widen(w[1]);
    HWND old = handle(w[2]);
    const int id = static_cast<int>(number(w[3]));
    const long long wanted = number(w[4]);
    const DWORD deadline = GetTickCount() + static_cast<DWORD>(number(w[5]));
    HWND found = nullptr;
    long long count = -1;
    for (;;) {
      HWND h = FindWindowW(cls.c_str(), nullptr);
      if (h && h != old && IsWindowVisible(h)) {
        found = h;
        count = comboCount(h, id, 5000);
        if (count == wanted)
          break;
      }
      if (static_cast<LONG>(GetTickCount() - deadline) >= 0)
        break;
      Sleep(1);
    }
    answer("{\"ok\":true,\"reached\":%s,\"hwnd\":%lld,\"count\":%lld}",
           count == wanted ? "true" : "false", value(found), count);
  } else if (verb == "hide" && w.size() == 2) {
    HWND h = handle(w[1]);
    if (!IsWindow(h))
      return fail("no such window");
    ShowWindow(h, SW_HIDE);
    answer("{\"ok\":true,\"visible\":%s}", IsWindowVisible(h) ? "true" : "false");
  } else {
    fail("unknown verb or wrong arguments");
  }
}

} // namespace

int wmain(int argc, wchar_t **argv) {
  if (argc != 2 || std::wcscmp(argv[1], L"serve") != 0) {
    std::fputs("usage: bench_probe serve\n", stderr);
    return 2;
  }
  answer("{\"ready\":true,\"pid\":%lu}", GetCurrentProcessId());
  char line[4096];
  while (std::fgets(line, sizeof line, stdin)) {
    const auto w = words(line);
    if (w.empty())
      continue;
    if (w[0] == "quit")
      break;
    run(w);
  }
  return 0;
}
