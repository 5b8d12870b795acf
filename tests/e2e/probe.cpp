// tallynix_probe: looks at and drives the windows of another process from inside
// the same Wine prefix and desktop, for the end-to-end tests.
//
//   probe.exe VERB ARG...   runs one command and prints one JSON line
//   probe.exe serve         reads one command per line from standard input and
//                           answers each with one JSON line on standard output,
//                           until the input ends or the command "quit"
//
// Arguments are separated by spaces. Numbers are decimal or 0x-prefixed hex.
// A text argument is either plain UTF-8 without spaces or "hex:" followed by
// the hex digits of its UTF-8 bytes (the harness always sends the hex form, so
// no code page ever touches it). Window handles are plain numbers.
//
// Every answer is a JSON object with "ok": true and the verb's fields, or
// "ok": false and "error". Texts in answers are UTF-8.

#include <windows.h>

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

// ---------------------------------------------------------------- errors

struct ProbeError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

[[noreturn]] void fail(const std::string &message) { throw ProbeError(message); }

// ---------------------------------------------------------------- text

std::string toUtf8(std::wstring_view text) {
  if (text.empty())
    return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

std::wstring fromUtf8(std::string_view text) {
  if (text.empty())
    return {};
  const int size = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                       static_cast<int>(text.size()), nullptr, 0);
  if (size == 0)
    fail("argument is not valid UTF-8");
  std::wstring out(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
  return out;
}

// ---------------------------------------------------------------- JSON output

class Json {
public:
  static Json object() { return Json('{', '}'); }
  static Json array() { return Json('[', ']'); }

  Json &add(std::string_view key, const Json &value) { return raw(key, value.str()); }
  Json &add(std::string_view key, std::string_view value) { return raw(key, quote(value)); }
  Json &add(std::string_view key, const char *value) { return add(key, std::string_view(value)); }
  Json &add(std::string_view key, std::wstring_view value) { return add(key, toUtf8(value)); }
  Json &add(std::string_view key, bool value) { return raw(key, value ? "true" : "false"); }
  Json &add(std::string_view key, std::int64_t value) { return raw(key, std::to_string(value)); }
  Json &add(std::string_view key, int value) { return add(key, std::int64_t{value}); }
  Json &add(std::string_view key, unsigned long value) {
    return add(key, static_cast<std::int64_t>(value));
  }
  Json &add(std::string_view key, HWND value) { return add(key, handleValue(value)); }
  Json &add(std::string_view key, const RECT &r) {
    Json list = array();
    for (const LONG v : {r.left, r.top, r.right, r.bottom})
      list.push(std::int64_t{v});
    return add(key, list);
  }

  Json &push(const Json &value) { return raw({}, value.str()); }
  Json &push(std::string_view value) { return raw({}, quote(value)); }
  Json &push(std::wstring_view value) { return push(std::string_view(toUtf8(value))); }
  Json &push(std::int64_t value) { return raw({}, std::to_string(value)); }

  std::string str() const { return body_ + close_; }

  static std::int64_t handleValue(HWND h) {
    return static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(h));
  }

private:
  Json(char open, char close) : body_(1, open), close_(1, close) {}

  Json &raw(std::string_view key, std::string_view value) {
    if (body_.size() > 1)
      body_ += ',';
    if (!key.empty()) {
      body_ += quote(key);
      body_ += ':';
    }
    body_ += value;
    return *this;
  }

  static std::string quote(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
      const auto u = static_cast<unsigned char>(c);
      if (c == '"' || c == '\\') {
        out += '\\';
        out += c;
      } else if (u < 0x20) {
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, "\\u%04x", u);
        out += buffer;
      } else {
        out += c;
      }
    }
    return out + '"';
  }

  std::string body_;
  std::string close_;
};

// ---------------------------------------------------------------- arguments

class Args {
public:
  Args(std::string verb, std::vector<std::string> words)
      : verb_(std::move(verb)), words_(std::move(words)) {}

  const std::string &verb() const { return verb_; }
  size_t size() const { return words_.size(); }
  bool has(size_t i) const { return i < words_.size(); }

  std::int64_t number(size_t i) const {
    std::string_view word = at(i);
    bool negative = false;
    if (word.starts_with('-')) {
      negative = true;
      word.remove_prefix(1);
    }
    int base = 10;
    if (word.starts_with("0x") || word.starts_with("0X")) {
      base = 16;
      word.remove_prefix(2);
    }
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value, base);
    if (error != std::errc{} || end != word.data() + word.size() || word.empty())
      fail("argument " + std::to_string(i + 1) + " is not a number: " + std::string(at(i)));
    const auto signedValue = static_cast<std::int64_t>(value);
    return negative ? -signedValue : signedValue;
  }

  std::int64_t number(size_t i, std::int64_t fallback) const {
    return has(i) ? number(i) : fallback;
  }

  HWND window(size_t i) const {
    return reinterpret_cast<HWND>(static_cast<std::intptr_t>(number(i)));
  }

  std::wstring text(size_t i) const {
    const std::string_view word = at(i);
    if (!word.starts_with("hex:"))
      return fromUtf8(word);
    const std::string_view digits = word.substr(4);
    if (digits.size() % 2 != 0)
      fail("odd number of hex digits in argument " + std::to_string(i + 1));
    std::string bytes;
    for (size_t k = 0; k < digits.size(); k += 2) {
      unsigned value = 0;
      const auto [end, error] =
          std::from_chars(digits.data() + k, digits.data() + k + 2, value, 16);
      if (error != std::errc{} || end != digits.data() + k + 2)
        fail("bad hex digits in argument " + std::to_string(i + 1));
      bytes += static_cast<char>(value);
    }
    return fromUtf8(bytes);
  }

  std::wstring text(size_t i, std::wstring fallback) const {
    return has(i) ? text(i) : std::move(fallback);
  }

  std::string_view word(size_t i) const { return at(i); }

private:
  std::string_view at(size_t i) const {
    if (!has(i))
      fail(verb_ + ": missing argument " + std::to_string(i + 1));
    return words_[i];
  }

  std::string verb_;
  std::vector<std::string> words_;
};

// ---------------------------------------------------------------- window facts

std::wstring className(HWND h) {
  wchar_t buffer[256] = {};
  GetClassNameW(h, buffer, 256);
  return buffer;
}

// WM_GETTEXT works across processes (the system marshals it) where
// GetWindowText only returns the caption the system keeps. A window that
// does not answer (busy, or being destroyed) gets that kept caption.
std::wstring windowText(HWND h) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(h, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) {
    wchar_t kept[512] = {};
    GetWindowTextW(h, kept, 512);
    return kept;
  }
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(h, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, 2000, &copied);
  text.resize(copied);
  return text;
}

RECT clientRectOnScreen(HWND h) {
  RECT r{};
  GetClientRect(h, &r);
  MapWindowPoints(h, nullptr, reinterpret_cast<POINT *>(&r), 2);
  return r;
}

Json windowInfo(HWND h, int zIndex = -1) {
  DWORD pid = 0;
  const DWORD tid = GetWindowThreadProcessId(h, &pid);
  RECT rect{};
  GetWindowRect(h, &rect);
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(h, GWL_STYLE));
  const auto exstyle = static_cast<DWORD>(GetWindowLongPtrW(h, GWL_EXSTYLE));
  Json info = Json::object();
  info.add("hwnd", h)
      .add("pid", pid)
      .add("tid", tid)
      .add("class", className(h))
      .add("title", windowText(h))
      .add("rect", rect)
      .add("client", clientRectOnScreen(h))
      .add("style", std::int64_t{style})
      .add("exstyle", std::int64_t{exstyle})
      .add("visible", IsWindowVisible(h) != FALSE)
      .add("enabled", IsWindowEnabled(h) != FALSE)
      .add("iconic", IsIconic(h) != FALSE)
      .add("topmost", (exstyle & WS_EX_TOPMOST) != 0)
      .add("owner", GetWindow(h, GW_OWNER));
  if (zIndex >= 0)
    info.add("z", zIndex);
  return info;
}

Json controlInfo(HWND parent, HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT *>(&rect), 2);
  Json info = Json::object();
  info.add("hwnd", control)
      .add("id", static_cast<std::int64_t>(GetDlgCtrlID(control)))
      .add("class", className(control))
      .add("text", windowText(control))
      .add("rect", rect)
      .add("style",
           static_cast<std::int64_t>(static_cast<DWORD>(GetWindowLongPtrW(control, GWL_STYLE))))
      .add("exstyle",
           static_cast<std::int64_t>(static_cast<DWORD>(GetWindowLongPtrW(control, GWL_EXSTYLE))))
      .add("visible", IsWindowVisible(control) != FALSE)
      .add("enabled", IsWindowEnabled(control) != FALSE)
      .add("parent", GetParent(control));
  return info;
}

HWND requireWindow(HWND h) {
  if (!IsWindow(h))
    fail("no such window: " + std::to_string(Json::handleValue(h)));
  return h;
}

HWND requireControl(HWND parent, int id) {
  requireWindow(parent);
  HWND control = GetDlgItem(parent, id);
  if (!control)
    fail("window " + std::to_string(Json::handleValue(parent)) + " has no control " +
         std::to_string(id));
  return control;
}

// An enumeration callback (CALLBACK: a lambda has the wrong calling
// convention on 32-bit Windows).
BOOL CALLBACK collectWindow(HWND h, LPARAM list) {
  reinterpret_cast<std::vector<HWND> *>(list)->push_back(h);
  return TRUE;
}

// Top-level windows from the top of the z-order down.
std::vector<HWND> topLevelWindows() {
  std::vector<HWND> found;
  EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

std::vector<HWND> descendants(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(parent, collectWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

std::optional<HWND> findDialogByTitle(std::wstring_view title) {
  for (HWND h : topLevelWindows())
    if (className(h) == L"#32770" && windowText(h) == title)
      return h;
  return std::nullopt;
}

LRESULT sendWithTimeout(HWND h, UINT message, WPARAM w, LPARAM l, UINT timeoutMs, bool &done) {
  DWORD_PTR result = 0;
  done = SendMessageTimeoutW(h, message, w, l, SMTO_NORMAL, timeoutMs, &result) != 0;
  return static_cast<LRESULT>(result);
}

LRESULT sendOrFail(HWND h, UINT message, WPARAM w, LPARAM l) {
  bool done = false;
  const LRESULT result = sendWithTimeout(h, message, w, l, 5000, done);
  if (!done)
    fail("window did not answer message " + std::to_string(message) + " within 5 s");
  return result;
}

// ---------------------------------------------------------------- registry

struct KeyPath {
  HKEY root;
  std::wstring sub;
};

// "HKCU\Software\tallynix" or "HKLM\..."; a path without a root means HKCU.
KeyPath splitKeyPath(const std::wstring &path) {
  const size_t slash = path.find(L'\\');
  const std::wstring head = path.substr(0, slash);
  const std::wstring rest = slash == std::wstring::npos ? L"" : path.substr(slash + 1);
  if (head == L"HKCU" || head == L"HKEY_CURRENT_USER")
    return {HKEY_CURRENT_USER, rest};
  if (head == L"HKLM" || head == L"HKEY_LOCAL_MACHINE")
    return {HKEY_LOCAL_MACHINE, rest};
  return {HKEY_CURRENT_USER, path};
}

class Key {
public:
  Key(const KeyPath &path, bool create) {
    const LONG status = create
                            ? RegCreateKeyExW(path.root, path.sub.c_str(), 0, nullptr, 0,
                                              KEY_ALL_ACCESS, nullptr, &key_, nullptr)
                            : RegOpenKeyExW(path.root, path.sub.c_str(), 0, KEY_ALL_ACCESS, &key_);
    if (status != ERROR_SUCCESS)
      key_ = nullptr;
  }
  ~Key() {
    if (key_)
      RegCloseKey(key_);
  }
  Key(const Key &) = delete;
  Key &operator=(const Key &) = delete;
  HKEY get() const { return key_; }
  explicit operator bool() const { return key_ != nullptr; }

private:
  HKEY key_ = nullptr;
};

// ---------------------------------------------------------------- keyboard

struct NamedKey {
  std::string_view name;
  WORD vk;
};

constexpr NamedKey namedKeys[] = {
    {"Return", VK_RETURN},  {"Enter", VK_RETURN},  {"Escape", VK_ESCAPE}, {"Tab", VK_TAB},
    {"BackSpace", VK_BACK}, {"Delete", VK_DELETE}, {"Up", VK_UP},         {"Down", VK_DOWN},
    {"Left", VK_LEFT},      {"Right", VK_RIGHT},   {"Home", VK_HOME},     {"End", VK_END},
    {"space", VK_SPACE},    {"F4", VK_F4},         {"ctrl", VK_CONTROL},  {"shift", VK_SHIFT},
    {"alt", VK_MENU},
};

bool isExtendedKey(WORD vk) {
  switch (vk) {
  case VK_UP:
  case VK_DOWN:
  case VK_LEFT:
  case VK_RIGHT:
  case VK_HOME:
  case VK_END:
  case VK_DELETE:
  case VK_INSERT:
  case VK_PRIOR:
  case VK_NEXT:
    return true;
  default:
    return false;
  }
}

INPUT virtualKey(WORD vk, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (isExtendedKey(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
  return input;
}

INPUT unicodeKey(wchar_t c, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wScan = c;
  input.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
  return input;
}

WORD lookUpKey(std::string_view name) {
  for (const auto &key : namedKeys)
    if (key.name == name)
      return key.vk;
  if (name.size() == 1 &&
      ((name[0] >= 'a' && name[0] <= 'z') || (name[0] >= '0' && name[0] <= '9')))
    return static_cast<WORD>(name[0] >= 'a' ? name[0] - 'a' + 'A' : name[0]);
  if (name.starts_with("vk:")) {
    unsigned value = 0;
    std::from_chars(name.data() + 3, name.data() + name.size(), value, 16);
    if (value)
      return static_cast<WORD>(value);
  }
  fail("unknown key: " + std::string(name));
}

// Argument i as keys: "Down", "ctrl+a", "vk:0d" press and release one key
// (with modifiers); "text:..." or "hex:..." types the text as Unicode characters.
std::vector<INPUT> keyInputs(const Args &args, size_t i) {
  const std::string_view key = args.word(i);
  std::vector<INPUT> inputs;
  if (key.starts_with("text:") || key.starts_with("hex:")) {
    const std::wstring text = key.starts_with("hex:") ? args.text(i) : fromUtf8(key.substr(5));
    for (const wchar_t c : text) {
      inputs.push_back(unicodeKey(c, false));
      inputs.push_back(unicodeKey(c, true));
    }
    return inputs;
  }
  std::vector<WORD> chord;
  size_t start = 0;
  while (true) {
    const size_t plus = key.find('+', start);
    chord.push_back(lookUpKey(key.substr(start, plus - start)));
    if (plus == std::string_view::npos)
      break;
    start = plus + 1;
  }
  for (const WORD vk : chord)
    inputs.push_back(virtualKey(vk, false));
  for (auto it = chord.rbegin(); it != chord.rend(); ++it)
    inputs.push_back(virtualKey(*it, true));
  return inputs;
}

bool waitFor(const std::function<bool()> &condition, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  while (!condition()) {
    if (GetTickCount64() >= deadline)
      return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageW(&msg);
  }
  return true;
}

// Brings the top-level window that holds `h` to the foreground and waits
// until the system reports it there.
bool bringToForeground(HWND h) {
  HWND top = GetAncestor(h, GA_ROOT);
  if (GetForegroundWindow() == top)
    return true;
  // Wine does not apply Windows' foreground lock: any process may do this.
  SetForegroundWindow(top);
  return waitFor([top] { return GetForegroundWindow() == top; }, 2000);
}

// ---------------------------------------------------------------- verbs

using Verb = std::function<Json(const Args &)>;

Json ok() { return Json::object().add("ok", true); }

Json verbWindows(const Args &args) {
  const std::wstring wanted = args.text(0, L"*");
  const std::optional<std::wstring> title =
      args.has(1) ? std::optional(args.text(1)) : std::nullopt;
  Json list = Json::array();
  int z = 0;
  for (HWND h : topLevelWindows()) {
    const int zIndex = z++;
    if (wanted != L"*" && className(h) != wanted)
      continue;
    if (title && windowText(h) != *title)
      continue;
    list.push(windowInfo(h, zIndex));
  }
  return ok().add("windows", list);
}

// find CLASS: the handles of the top-level windows of one class, from the top
// of the z-order down, with whether each is visible. The system filters by
// class, so this stays quick among thousands of other windows, where
// "windows" asks every window for its class and text.
Json verbFind(const Args &args) {
  const std::wstring wanted = args.text(0);
  Json list = Json::array();
  for (HWND h = FindWindowExW(nullptr, nullptr, wanted.c_str(), nullptr); h;
       h = FindWindowExW(nullptr, h, wanted.c_str(), nullptr))
    list.push(Json::object().add("hwnd", h).add("visible", IsWindowVisible(h) != FALSE));
  return ok().add("windows", list);
}

Json verbWindow(const Args &args) {
  HWND h = args.window(0);
  if (!IsWindow(h))
    return ok().add("exists", false);
  return ok().add("exists", true).add("window", windowInfo(h));
}

Json verbChildren(const Args &args) {
  HWND parent = requireWindow(args.window(0));
  Json list = Json::array();
  for (HWND child : descendants(parent))
    list.push(controlInfo(parent, child));
  return ok().add("children", list);
}

Json verbChild(const Args &args) {
  HWND parent = args.window(0);
  return ok().add("control",
                  controlInfo(parent, requireControl(parent, static_cast<int>(args.number(1)))));
}

Json verbCombo(const Args &args) {
  HWND combo = requireControl(args.window(0), static_cast<int>(args.number(1)));
  const auto count = sendOrFail(combo, CB_GETCOUNT, 0, 0);
  Json items = Json::array();
  for (LRESULT i = 0; i < count; ++i) {
    const auto length = sendOrFail(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
    if (length == CB_ERR)
      fail("CB_GETLBTEXTLEN failed for item " + std::to_string(i));
    std::wstring item(static_cast<size_t>(length) + 1, L'\0');
    const auto copied = sendOrFail(combo, CB_GETLBTEXT, static_cast<WPARAM>(i),
                                   reinterpret_cast<LPARAM>(item.data()));
    item.resize(copied == CB_ERR ? 0 : static_cast<size_t>(copied));
    items.push(item);
  }
  return ok()
      .add("count", static_cast<std::int64_t>(count))
      .add("items", items)
      .add("text", windowText(combo))
      .add("cursel", static_cast<std::int64_t>(sendOrFail(combo, CB_GETCURSEL, 0, 0)))
      .add("dropped", sendOrFail(combo, CB_GETDROPPEDSTATE, 0, 0) != 0);
}

// The text of a control (ID 0: of the window itself).
HWND target(const Args &args) {
  HWND parent = requireWindow(args.window(0));
  const auto id = static_cast<int>(args.number(1));
  return id == 0 ? parent : requireControl(parent, id);
}

Json verbSetText(const Args &args) {
  HWND h = target(args);
  const std::wstring text = args.text(2, L"");
  const auto result = sendOrFail(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  return ok().add("result", static_cast<std::int64_t>(result)).add("text", windowText(h));
}

// Selects an item as a person picking it from the list would: the combo box
// changes its selection and the parent hears CBN_SELCHANGE.
Json verbSelect(const Args &args) {
  HWND parent = requireWindow(args.window(0));
  const auto id = static_cast<int>(args.number(1));
  HWND combo = requireControl(parent, id);
  const auto index = static_cast<WPARAM>(args.number(2));
  const auto result = sendOrFail(combo, CB_SETCURSEL, index, 0);
  sendOrFail(parent, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
  return ok().add("result", static_cast<std::int64_t>(result));
}

// Presses a button and waits until its handler has returned, at most
// TIMEOUT_MS (default 5000). "done": false means the handler is still running,
// typically because it opened a modal window.
Json verbClick(const Args &args) {
  HWND button = requireControl(args.window(0), static_cast<int>(args.number(1)));
  bool done = false;
  sendWithTimeout(button, BM_CLICK, 0, 0, static_cast<UINT>(args.number(2, 5000)), done);
  return ok().add("done", done);
}

// Presses a button without waiting for its handler.
Json verbPostClick(const Args &args) {
  HWND button = requireControl(args.window(0), static_cast<int>(args.number(1)));
  if (!PostMessageW(button, BM_CLICK, 0, 0))
    fail("PostMessage failed");
  return ok();
}

Json verbClose(const Args &args) {
  if (!PostMessageW(requireWindow(args.window(0)), WM_CLOSE, 0, 0))
    fail("PostMessage failed");
  return ok();
}

Json verbMessageBox(const Args &args) {
  const auto box = findDialogByTitle(args.text(0));
  if (!box)
    return ok().add("found", false);
  Json buttons = Json::array();
  std::wstring text;
  for (HWND child : descendants(*box)) {
    const std::wstring kind = className(child);
    if (kind == L"Button")
      buttons.push(Json::object()
                       .add("id", static_cast<std::int64_t>(GetDlgCtrlID(child)))
                       .add("text", windowText(child)));
    else if (kind == L"Static" && GetDlgCtrlID(child) == 0xFFFF)
      text = windowText(child);
  }
  return ok()
      .add("found", true)
      .add("window", windowInfo(*box))
      .add("text", text)
      .add("buttons", buttons);
}

Json verbMessageBoxPress(const Args &args) {
  const auto box = findDialogByTitle(args.text(0));
  if (!box)
    fail("no message box titled as asked");
  HWND button = requireControl(*box, static_cast<int>(args.number(1)));
  if (!PostMessageW(button, BM_CLICK, 0, 0))
    fail("PostMessage failed");
  return ok();
}

Json verbRegGet(const Args &args) {
  const Key key(splitKeyPath(args.text(0)), false);
  if (!key)
    return ok().add("exists", false);
  const std::wstring name = args.text(1, L"");
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return ok().add("exists", false);
  std::vector<BYTE> data(size + sizeof(wchar_t));
  RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, data.data(), &size);
  Json answer = ok().add("exists", true);
  Json bytes = Json::array();
  for (DWORD i = 0; i < size; ++i)
    bytes.push(std::int64_t{data[i]});
  answer.add("bytes", bytes);
  switch (type) {
  case REG_SZ:
  case REG_EXPAND_SZ: {
    std::wstring text(reinterpret_cast<const wchar_t *>(data.data()), size / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0')
      text.pop_back();
    return answer.add("type", "REG_SZ").add("value", text);
  }
  case REG_DWORD:
    return answer.add("type", "REG_DWORD")
        .add("value", std::int64_t{*reinterpret_cast<const DWORD *>(data.data())});
  default:
    return answer.add("type", std::int64_t{type});
  }
}

// reg-set KEY NAME sz TEXT | reg-set KEY NAME dword NUMBER
Json verbRegSet(const Args &args) {
  const Key key(splitKeyPath(args.text(0)), true);
  if (!key)
    fail("cannot create the key");
  const std::wstring name = args.text(1);
  const std::wstring type = args.text(2);
  LONG status = ERROR_INVALID_PARAMETER;
  if (type == L"sz") {
    const std::wstring text = args.text(3, L"");
    status = RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE *>(text.c_str()),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  } else if (type == L"dword") {
    const auto value = static_cast<DWORD>(args.number(3));
    status = RegSetValueExW(key.get(), name.c_str(), 0, REG_DWORD,
                            reinterpret_cast<const BYTE *>(&value), sizeof value);
  } else {
    fail("reg-set: type must be sz or dword");
  }
  if (status != ERROR_SUCCESS)
    fail("RegSetValueEx failed: " + std::to_string(status));
  return ok();
}

// reg-delete KEY [NAME]: deletes one value, or the whole key with its subkeys.
Json verbRegDelete(const Args &args) {
  const KeyPath path = splitKeyPath(args.text(0));
  LONG status;
  if (args.has(1)) {
    const Key key(path, false);
    status = key ? RegDeleteValueW(key.get(), args.text(1).c_str()) : ERROR_FILE_NOT_FOUND;
  } else {
    status = RegDeleteTreeW(path.root, path.sub.c_str());
  }
  return ok().add("deleted", status == ERROR_SUCCESS);
}

// keys HWND KEY...: brings HWND's top-level window to the foreground (and
// HWND itself to the focus when it is a control) and injects the keys.
Json verbKeys(const Args &args) {
  HWND h = requireWindow(args.window(0));
  if (!bringToForeground(h))
    fail("the window did not come to the foreground");
  if (GetAncestor(h, GA_ROOT) != h) {
    const DWORD thread = GetWindowThreadProcessId(h, nullptr);
    AttachThreadInput(GetCurrentThreadId(), thread, TRUE);
    SetFocus(h);
    AttachThreadInput(GetCurrentThreadId(), thread, FALSE);
  }
  std::vector<INPUT> inputs;
  for (size_t i = 1; i < args.size(); ++i) {
    const auto more = keyInputs(args, i);
    inputs.insert(inputs.end(), more.begin(), more.end());
  }
  const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  return ok().add("sent", std::int64_t{sent}).add("foreground", GetForegroundWindow());
}

// The keyboard and mouse state of the thread that owns HWND.
Json verbFocus(const Args &args) {
  HWND h = requireWindow(args.window(0));
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(h, nullptr), &info))
    fail("GetGUIThreadInfo failed");
  return ok()
      .add("focus", info.hwndFocus)
      .add("focus_class", info.hwndFocus ? className(info.hwndFocus) : L"")
      .add("focus_id", info.hwndFocus ? std::int64_t{GetDlgCtrlID(info.hwndFocus)} : 0)
      .add("active", info.hwndActive)
      .add("capture", info.hwndCapture)
      .add("menu_owner", info.hwndMenuOwner)
      .add("in_menu", (info.flags & GUI_INMENUMODE) != 0)
      .add("moving", (info.flags & GUI_INMOVESIZE) != 0)
      .add("popup_menu", (info.flags & GUI_POPUPMENUMODE) != 0)
      .add("foreground", GetForegroundWindow());
}

// Whether a process is still running, by its Windows process id.
Json verbProcess(const Args &args) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE,
                               static_cast<DWORD>(args.number(0)));
  if (!process)
    return ok().add("alive", false);
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  const bool alive = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  Json answer = ok().add("alive", alive);
  if (!alive)
    answer.add("exit_code", std::int64_t{code});
  return answer;
}

// window-at X Y: the top-level window at screen pixel (X, Y), 0 when none.
Json verbWindowAt(const Args &args) {
  const POINT at{static_cast<LONG>(args.number(0)), static_cast<LONG>(args.number(1))};
  HWND h = WindowFromPoint(at);
  return ok().add("hwnd", h ? GetAncestor(h, GA_ROOT) : nullptr);
}

Json verbScreen(const Args &) {
  HDC screen = GetDC(nullptr);
  const int dpiX = GetDeviceCaps(screen, LOGPIXELSX);
  const int dpiY = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  POINT cursor{};
  GetCursorPos(&cursor);
  Json at = Json::array();
  at.push(std::int64_t{cursor.x}).push(std::int64_t{cursor.y});
  return ok()
      .add("width", GetSystemMetrics(SM_CXSCREEN))
      .add("height", GetSystemMetrics(SM_CYSCREEN))
      .add("dpi_x", dpiX)
      .add("dpi_y", dpiY)
      .add("acp", static_cast<std::int64_t>(GetACP()))
      .add("cursor", at)
      .add("foreground", GetForegroundWindow());
}

// Files held open without sharing, as another program locking memo.txt
// would; they stay locked until "unlock" or until the probe exits.
std::map<std::wstring, HANDLE> &lockedFiles() {
  static std::map<std::wstring, HANDLE> files;
  return files;
}

// lock PATH [readers]: opens PATH (a Windows path) for reading and writing
// with no sharing at all, or, with "readers", sharing reading and writing
// but not a delete or a replace.
Json verbLock(const Args &args) {
  const std::wstring path = args.text(0);
  const DWORD share =
      args.has(1) && args.word(1) == "readers" ? FILE_SHARE_READ | FILE_SHARE_WRITE : 0;
  // The program reads memo.txt now and then (on activation, on a change in
  // its folder): an open without sharing meets that read and waits it out,
  // for up to 5 s, as a sync client would.
  const ULONGLONG until = GetTickCount64() + 5000;
  HANDLE file = INVALID_HANDLE_VALUE;
  for (;;) {
    file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION ||
        GetTickCount64() > until)
      break;
    Sleep(10);
  }
  if (file == INVALID_HANDLE_VALUE)
    fail("cannot lock the file: error " + std::to_string(GetLastError()));
  lockedFiles()[path] = file;
  return ok();
}

Json verbUnlock(const Args &args) {
  const auto found = lockedFiles().find(args.text(0));
  if (found == lockedFiles().end())
    fail("that file is not locked");
  CloseHandle(found->second);
  lockedFiles().erase(found);
  return ok();
}

// tray-delete HWND [ID]: removes the notification icon (HWND, ID; ID 1 by
// default) from the shell, as a shell that restarts forgets every icon.
// shell32 is loaded here only, so the probe links without it.
Json verbTrayDelete(const Args &args) {
  using ShellNotifyIconFn = BOOL(WINAPI *)(DWORD, void *);
  HMODULE shell = LoadLibraryW(L"shell32.dll");
  if (!shell)
    fail("cannot load shell32.dll");
  const auto notify = reinterpret_cast<ShellNotifyIconFn>(
      reinterpret_cast<void (*)()>(GetProcAddress(shell, "Shell_NotifyIconW")));
  if (!notify)
    fail("shell32.dll has no Shell_NotifyIconW");
  // The version 1 record: size, window, id, flags, callback, icon, 64-character tip.
  struct {
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    WCHAR szTip[64];
  } data{};
  data.cbSize = sizeof data;
  data.hWnd = args.window(0);
  data.uID = static_cast<UINT>(args.number(1, 1));
  const BOOL done = notify(2 /* NIM_DELETE */, &data);
  return ok().add("deleted", done != FALSE);
}

// notify HWND MESSAGE WPARAM LPARAM...: SendNotifyMessage, unanswered, once
// per LPARAM in a row, as the shell sends a notification icon's events.
Json verbNotify(const Args &args) {
  HWND h = requireWindow(args.window(0));
  for (size_t i = 3; i < args.size(); ++i)
    if (!SendNotifyMessageW(h, static_cast<UINT>(args.number(1)),
                            static_cast<WPARAM>(args.number(2)),
                            static_cast<LPARAM>(args.number(i))))
      fail("SendNotifyMessage failed");
  return ok();
}

// broadcast NAME: posts the registered window message NAME (such as
// "TaskbarCreated") to every top-level window, as the system does.
Json verbBroadcast(const Args &args) {
  const UINT message = RegisterWindowMessageW(args.text(0).c_str());
  if (!message)
    fail("RegisterWindowMessage failed");
  if (!PostMessageW(HWND_BROADCAST, message, 0, 0))
    fail("PostMessage failed");
  return ok().add("message", std::int64_t{message});
}

// combo-count HWND ID: the item count alone, cheap however long the list.
Json verbComboCount(const Args &args) {
  HWND combo = requireControl(args.window(0), static_cast<int>(args.number(1)));
  return ok().add("count", static_cast<std::int64_t>(sendOrFail(combo, CB_GETCOUNT, 0, 0)));
}

// terminate PID: ends a process at once with TerminateProcess, as the task
// manager would; none of its code runs afterwards.
Json verbTerminate(const Args &args) {
  HANDLE process =
      OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, static_cast<DWORD>(args.number(0)));
  if (!process)
    fail("cannot open the process: error " + std::to_string(GetLastError()));
  const bool ended =
      TerminateProcess(process, 9) && WaitForSingleObject(process, 10000) == WAIT_OBJECT_0;
  CloseHandle(process);
  if (!ended)
    fail("the process did not end");
  return ok();
}

// CB_GETCOUNT of control ID of HWND, -1 when the window does not answer
// within the timeout or has no such control. A window's thread answers only
// between its own messages, so a count that arrives is the count after
// whatever the window was doing.
std::int64_t comboCountOrNone(HWND parent, int id, UINT timeoutMs) {
  HWND combo = GetDlgItem(parent, id);
  DWORD_PTR result = 0;
  if (!combo || !SendMessageTimeoutW(combo, CB_GETCOUNT, 0, 0, SMTO_NORMAL, timeoutMs, &result))
    return -1;
  return static_cast<LRESULT>(result);
}

bool pastDeadline(ULONGLONG deadline) { return GetTickCount64() >= deadline; }

// wait-count HWND ID N TIMEOUT_MS: polls every millisecond until the list
// holds N items, for the benchmarks' timings ("combo" reads every item, far
// too slow to poll a list of 10,000).
Json verbWaitCount(const Args &args) {
  HWND parent = args.window(0);
  const auto id = static_cast<int>(args.number(1));
  const std::int64_t wanted = args.number(2);
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(args.number(3));
  std::int64_t count = -1;
  while ((count = comboCountOrNone(parent, id, 5000)) != wanted && !pastDeadline(deadline))
    Sleep(1);
  return ok().add("reached", count == wanted).add("count", count);
}

// wait-new CLASS OLD ID N TIMEOUT_MS: polls until a visible window of CLASS
// other than OLD holds N items in control ID (the strip after a reload).
Json verbWaitNew(const Args &args) {
  const std::wstring cls = args.text(0);
  HWND old = args.window(1);
  const auto id = static_cast<int>(args.number(2));
  const std::int64_t wanted = args.number(3);
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(args.number(4));
  HWND found = nullptr;
  std::int64_t count = -1;
  for (;;) {
    HWND h = FindWindowW(cls.c_str(), nullptr);
    if (h && h != old && IsWindowVisible(h)) {
      found = h;
      count = comboCountOrNone(h, id, 5000);
    }
    if (count == wanted || pastDeadline(deadline))
      break;
    Sleep(1);
  }
  return ok().add("reached", count == wanted).add("hwnd", found).add("count", count);
}

// hide HWND: ShowWindow(SW_HIDE) from outside, for a window without a hide button.
Json verbHide(const Args &args) {
  HWND h = requireWindow(args.window(0));
  ShowWindow(h, SW_HIDE);
  return ok().add("visible", IsWindowVisible(h) != FALSE);
}

// topmost HWND: puts the window at the top of the always-on-top windows, as
// an activated taskbar covers the strip, without activating it.
Json verbTopmost(const Args &args) {
  HWND h = requireWindow(args.window(0));
  if (!SetWindowPos(h, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE))
    fail("SetWindowPos failed");
  return ok();
}

// dpi-changed HWND DPI LEFT TOP RIGHT BOTTOM: sends WM_DPICHANGED as the
// system does when a window comes to a monitor of another density. Its
// suggested rectangle is written into the window's process first: a pointer
// is not carried over between processes.
Json verbDpiChanged(const Args &args) {
  HWND h = requireWindow(args.window(0));
  const auto dpi = static_cast<WORD>(args.number(1));
  const RECT suggested{static_cast<LONG>(args.number(2)), static_cast<LONG>(args.number(3)),
                       static_cast<LONG>(args.number(4)), static_cast<LONG>(args.number(5))};
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
  if (!process)
    fail("cannot open the window's process");
  void *remote =
      VirtualAllocEx(process, nullptr, sizeof suggested, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  bool done = remote && WriteProcessMemory(process, remote, &suggested, sizeof suggested, nullptr);
  if (done)
    sendWithTimeout(h, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(remote), 5000,
                    done);
  if (remote)
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  if (!done)
    fail("WM_DPICHANGED was not delivered");
  return ok();
}

// end-session HWND LPARAM: WM_QUERYENDSESSION to HWND, then, where it agreed,
// WM_ENDSESSION (wParam TRUE), both with LPARAM, as the Restart Manager
// sends them with ENDSESSION_CLOSEAPP (1) to close a program for an
// installer; Wine has none.
Json verbEndSession(const Args &args) {
  HWND h = requireWindow(args.window(0));
  const auto lParam = static_cast<LPARAM>(args.number(1));
  DWORD_PTR agreed = 0;
  if (SendMessageTimeoutW(h, WM_QUERYENDSESSION, 0, lParam, SMTO_ABORTIFHUNG, 5000, &agreed) &&
      agreed)
    SendMessageTimeoutW(h, WM_ENDSESSION, TRUE, lParam, SMTO_ABORTIFHUNG, 5000, nullptr);
  return ok().add("agreed", agreed != 0);
}

const std::map<std::string, Verb, std::less<>> &verbs() {
  static const std::map<std::string, Verb, std::less<>> table = {
      {"windows", verbWindows},
      {"find", verbFind},
      {"window", verbWindow},
      {"children", verbChildren},
      {"child", verbChild},
      {"combo", verbCombo},
      {"settext", verbSetText},
      {"select", verbSelect},
      {"click", verbClick},
      {"post-click", verbPostClick},
      {"close", verbClose},
      {"msgbox", verbMessageBox},
      {"msgbox-press", verbMessageBoxPress},
      {"reg-get", verbRegGet},
      {"reg-set", verbRegSet},
      {"reg-delete", verbRegDelete},
      {"keys", verbKeys},
      {"focus", verbFocus},
      {"process", verbProcess},
      {"screen", verbScreen},
      {"window-at", verbWindowAt},
      {"tray-delete", verbTrayDelete},
      {"broadcast", verbBroadcast},
      {"notify", verbNotify},
      {"combo-count", verbComboCount},
      {"terminate", verbTerminate},
      {"lock", verbLock},
      {"unlock", verbUnlock},
      {"wait-count", verbWaitCount},
      {"wait-new", verbWaitNew},
      {"hide", verbHide},
      {"topmost", verbTopmost},
      {"dpi-changed", verbDpiChanged},
      {"end-session", verbEndSession},
  };
  return table;
}

// ---------------------------------------------------------------- driver

std::string run(const std::vector<std::string> &words) {
  if (words.empty())
    return Json::object().add("ok", false).add("error", "empty command").str();
  try {
    const auto verb = verbs().find(words.front());
    if (verb == verbs().end())
      fail("unknown verb: " + words.front());
    return verb->second(Args(words.front(), {words.begin() + 1, words.end()})).str();
  } catch (const std::exception &error) {
    return Json::object().add("ok", false).add("error", error.what()).str();
  }
}

void writeLine(HANDLE out, std::string line) {
  line += '\n';
  DWORD written = 0;
  WriteFile(out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

std::vector<std::string> splitWords(std::string_view line) {
  std::vector<std::string> words;
  size_t start = 0;
  while (start < line.size()) {
    const size_t end = line.find(' ', start);
    const size_t stop = end == std::string_view::npos ? line.size() : end;
    if (stop > start)
      words.emplace_back(line.substr(start, stop - start));
    start = stop + 1;
  }
  return words;
}

int serve(HANDLE in, HANDLE out) {
  writeLine(out, Json::object()
                     .add("ok", true)
                     .add("ready", true)
                     .add("pid", std::int64_t{GetCurrentProcessId()})
                     .str());
  std::string pending;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(in, buffer, sizeof buffer, &got, nullptr) && got > 0) {
    pending.append(buffer, got);
    size_t newline;
    while ((newline = pending.find('\n')) != std::string::npos) {
      std::string line = pending.substr(0, newline);
      pending.erase(0, newline + 1);
      if (!line.empty() && line.back() == '\r')
        line.pop_back();
      const auto words = splitWords(line);
      if (words.size() == 1 && words.front() == "quit")
        return 0;
      writeLine(out, run(words));
    }
  }
  return 0;
}

} // namespace

int wmain(int argc, wchar_t **argv) {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  std::vector<std::string> words;
  for (int i = 1; i < argc; ++i)
    words.push_back(toUtf8(argv[i]));
  if (words.size() == 1 && words.front() == "serve")
    return serve(GetStdHandle(STD_INPUT_HANDLE), out);
  const std::string answer = run(words);
  writeLine(out, answer);
  return answer.starts_with("{\"ok\":true") ? 0 : 1;
}
