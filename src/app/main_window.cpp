#include "app/main_window.h"

#include "app/control_ids.h"
#include "core/error_text.h"
#include "core/placement.h"
#include "core/position.h"
#include "win32/monitors.h"

#include <windowsx.h>

namespace tallynix {
namespace {

constexpr const wchar_t *kTip = L"タリニクス";
constexpr COLORREF kDarkBlue = RGB(0, 0, 128);

// Sent by the message loop when a folder holding memo.txt changed.
constexpr UINT kFolderChanged = WM_APP + 1;
// Posted when the drop-down closed with a change pending.
constexpr UINT kClosedUp = WM_APP + 2;
// Sent by the message loop once a shown strip is on the screen.
constexpr UINT kOnScreen = WM_APP + 3;

} // namespace

MainWindow::MainWindow(win32::Runtime &runtime, std::function<void()> showAboutWindow)
    : Form(runtime), showAboutWindow_(std::move(showAboutWindow)),
      taskbarCreated_(RegisterWindowMessageW(L"TaskbarCreated")), watch_(runtime) {}

void MainWindow::create() {
  win32::Runtime &rt = runtime();
  if (!iconImage_)
    iconImage_.reset(static_cast<HICON>(
        LoadImageW(rt.instance(), MAKEINTRESOURCEW(1), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR)));
  if (!background_)
    background_.reset(CreateSolidBrush(kDarkBlue));

  WNDCLASSEXW windowClass{};
  windowClass.hInstance = rt.instance();
  windowClass.lpszClassName = ids::kMainWindowClass;
  windowClass.hIcon = iconImage_.get();
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  // No title bar, no taskbar button, above every other window. The layout
  // gives it its size.
  createWindow(windowClass, WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_CONTROLPARENT,
               WS_POPUP | WS_CLIPCHILDREN, RECT{});
  createControls();
}

SIZE MainWindow::layOut() {
  // Tooltips made for another density are made again on the next hover.
  tooltips_.reset();
  return layout_.apply(hwnd(), dpi());
}

void MainWindow::createControls() {
  win32::Runtime &rt = runtime();
  const auto child = [&](const wchar_t *className, const wchar_t *text, DWORD style, int id) {
    HWND control = CreateWindowExW(
        0, className, text, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | style, 0, 0, 0,
        0, hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), rt.instance(), nullptr);
    if (!control)
      throw std::runtime_error("CreateWindowEx failed for a control");
    return control;
  };

  // Created in tab order; the layout gives them their places.
  memoList_ = child(L"ComboBox", L"", WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, ids::kMemoList);
  child(L"Button", L"加", BS_PUSHBUTTON, ids::kAddButton);
  child(L"Button", L"削", BS_PUSHBUTTON, ids::kDeleteButton);
  child(L"Button", L"消", BS_PUSHBUTTON, ids::kClearButton);
  child(L"Button", L"閉", BS_PUSHBUTTON, ids::kCloseButton);
  // Named for screen readers, yet drawn without a caption: an image button
  // without an image shows no text.
  child(L"Button", L"隠す", BS_PUSHBUTTON | BS_BITMAP, ids::kHideButton);

  // The tray menu: a top-level item that is never shown as a menu bar.
  HMENU items = CreatePopupMenu();
  AppendMenuW(items, MF_STRING, ids::kAboutMenuItem, L"タリニクスについて");
  AppendMenuW(items, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(items, MF_STRING, ids::kExitMenuItem, L"終了");
  menuBar_.reset(CreateMenu());
  AppendMenuW(menuBar_.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(items), L"Infomation");
}

void MainWindow::onLoad() {
  // A new window's list is empty: what the follower and the pick knew was
  // the old window's. Forgotten before anything can activate the window
  // (placing it on top does, under Wine), or that activation would read
  // memo.txt and fill the hidden list, only for the first focus to read and
  // fill it again.
  follower_.loaded();
  win32::Runtime &rt = runtime();
  const Position stored = tallynix::loadPosition(settings_);
  setLeft(stored.left);
  setTop(stored.top);

  // Laid out for the monitor that holds the drag margin, then placed: a strip
  // put flush against an edge of a monitor of another density stays within.
  const std::optional<Point> wanted =
      storedPixelPosition(stored.left, stored.top, rt.twipsPerPixel());
  const std::vector<Monitor> screens = win32::monitors(rt.dpi());
  layOutFor(openingDpi(wanted, StripLayout::dragMargin(rt.dpi()), screens, rt.dpi()));

  RECT window{};
  GetWindowRect(hwnd(), &window);
  const Rect end{window.left, window.top, window.right, window.bottom};
  const Rect start = animationStart(end);
  const RECT from{start.left, start.top, start.right, start.bottom};
  DrawAnimatedRects(hwnd(), IDANI_CAPTION, &from, &window);

  // The strip must open where it can be dragged: by its margin at the left
  // end.
  const Point at = placeOnScreen(wanted, {end.right - end.left, end.bottom - end.top},
                                 StripLayout::dragMargin(dpi()), screens);
  SetWindowPos(hwnd(), HWND_TOPMOST, at.x, at.y, 1, 1, SWP_NOSIZE);

  memos_.touch();
  addIcon();
  // The tray menu stays hidden: it is never attached as the menu bar.
}

void MainWindow::addIcon() {
  icon_.add(win32::iconRecord(reinterpret_cast<std::uintptr_t>(hwnd()),
                              reinterpret_cast<std::uintptr_t>(iconImage_.get()), kTip));
}

void MainWindow::onUnload() {
  watch_.stop();
  tooltips_.reset();
  icon_.remove();
}

void MainWindow::onFirstShow() {
  // The list takes the focus, and with it fills from the memo file.
  SetFocus(memoList_);
}

bool MainWindow::onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT &result) {
  result = 0;
  switch (message) {
  case WM_COMMAND:
    onCommand(LOWORD(wParam), HIWORD(wParam));
    return true;
  case WM_ERASEBKGND: {
    RECT client{};
    GetClientRect(hwnd(), &client);
    FillRect(reinterpret_cast<HDC>(wParam), &client, background_.get());
    result = 1;
    return true;
  }
  case WM_LBUTTONDOWN:
  case WM_RBUTTONDOWN:
  case WM_MBUTTONDOWN:
    // A press with the left button among the pressed ones drags the window
    // as if by its caption. A drag stores nothing.
    if (wParam & MK_LBUTTON) {
      ReleaseCapture();
      SendMessageW(hwnd(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
    }
    return true;
  case WM_MOUSEMOVE: {
    // The notification icon's events arrive as mouse moves whose x carries
    // the mouse message; the window reports x in twips.
    const int tpp = runtime().twipsPerPixel();
    const float x = static_cast<float>(GET_X_LPARAM(lParam)) * static_cast<float>(tpp);
    commands_.onIconMouse(x, static_cast<float>(tpp));
    return true;
  }
  case WM_SETCURSOR:
    tooltips_.onSetCursor(hwnd(), reinterpret_cast<HWND>(wParam), HIWORD(lParam), dpi(),
                          runtime().dpi());
    return false;
  case WM_ACTIVATE:
    return onActivate(LOWORD(wParam) != WA_INACTIVE);
  case WM_ENDSESSION:
    // The process may end as soon as this returns.
    if (wParam)
      commands_.endSession();
    return true;
  case WM_SHOWWINDOW:
    // Only a shown strip watches memo.txt: hidden, nothing wakes it, and
    // showing it again brings the list up to date.
    if (wParam)
      follower_.shown();
    else
      follower_.hidden();
    return false;
  case kOnScreen:
    follower_.onScreen(IsWindowVisible(hwnd()));
    return true;
  case kFolderChanged:
    if (watch_.changed(reinterpret_cast<HANDLE>(lParam)))
      follower_.changed();
    return true;
  case kClosedUp:
    follower_.pendingDue();
    return true;
  default:
    if (message == taskbarCreated_ && taskbarCreated_ != 0) {
      // The shell restarted and forgot every icon: add ours again.
      icon_.restore();
      return true;
    }
    return Form::onMessage(message, wParam, lParam, result);
  }
}

bool MainWindow::onActivate(bool active) {
  if (!active) {
    HWND focus = GetFocus();
    focusBeforeDeactivation_ = focus && IsChild(hwnd(), focus) ? focus : nullptr;
    return true;
  }
  // Coming back to the window restores the focus where it was; that is not
  // the list receiving the focus anew, so it does not refill (and so does
  // not wipe a half-typed memo). Changes made meanwhile are shown, around
  // what the user typed.
  if (focusBeforeDeactivation_ && IsWindow(focusBeforeDeactivation_) &&
      IsChild(hwnd(), focusBeforeDeactivation_)) {
    restoringFocus_ = true;
    SetFocus(focusBeforeDeactivation_);
    restoringFocus_ = false;
    follower_.activated();
    return true;
  }
  follower_.activated();
  return false; // the default handling focuses the window itself
}

void MainWindow::onCommand(int id, int code) {
  switch (id) {
  case ids::kMemoList:
    if (code == CBN_SETFOCUS && !restoringFocus_)
      commands_.refillList();
    else if (code == CBN_DROPDOWN)
      follower_.droppingDown();
    else if (code == CBN_CLOSEUP)
      follower_.closedUp();
    else if (code == CBN_EDITCHANGE)
      follower_.typed();
    break;
  case ids::kAddButton:
    if (code == BN_CLICKED)
      commands_.addMemo();
    break;
  case ids::kDeleteButton:
    if (code == BN_CLICKED)
      commands_.deleteMemo();
    break;
  case ids::kClearButton:
    if (code == BN_CLICKED)
      commands_.clearAll();
    break;
  case ids::kCloseButton:
    if (code == BN_CLICKED)
      commands_.closeProgram();
    break;
  case ids::kHideButton:
    if (code == BN_CLICKED)
      commands_.hideToTray();
    break;
  default:
    break; // Enter and Escape in the list (IDOK, IDCANCEL) do nothing
  }
}

// --- What the commands use of the strip ---

void MainWindow::open() {
  // A strip already in view stays where it is, and so does the keyboard
  // focus of whatever the user is typing in; it only comes back on top of
  // what covers it, as an activated taskbar covers a strip parked over it.
  if (!visible())
    Form::show();
  else
    SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void MainWindow::openForTyping() {
  open();
  if (!hwnd())
    return;
  // An open question keeps the strip disabled: the keyboard goes to it.
  if (!IsWindowEnabled(hwnd())) {
    SetForegroundWindow(GetLastActivePopup(hwnd()));
    return;
  }
  SetForegroundWindow(hwnd());
  // Activating the strip put the focus back where it was, such as on the
  // hide button that hid it. The caret goes into the edit field itself, not
  // to the list: the list's refill on receiving the focus would empty the
  // field, and its first focus would select all of the text.
  COMBOBOXINFO list{};
  list.cbSize = sizeof list;
  if (!GetComboBoxInfo(memoList_, &list) || GetFocus() == list.hwndItem)
    return;
  restoringFocus_ = true;
  SetFocus(list.hwndItem);
  restoringFocus_ = false;
}

std::wstring MainWindow::typedText() {
  const int length = GetWindowTextLengthW(memoList_);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(memoList_, text.data(), length + 1)));
  return text;
}

int MainWindow::selectedIndex() { return follower_.picked(selectedItem(), typedText()); }

std::wstring MainWindow::selectedText() {
  const int selected = selectedItem();
  const int picked = follower_.picked(selected, typedText());
  if (picked != selected)
    return follower_.pickText();
  if (selected < 0)
    return {};
  const auto index = static_cast<WPARAM>(selected);
  const LRESULT length = SendMessageW(memoList_, CB_GETLBTEXTLEN, index, 0);
  if (length == CB_ERR)
    return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const LRESULT got =
      SendMessageW(memoList_, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
  text.resize(got == CB_ERR ? 0 : static_cast<std::size_t>(got));
  return text;
}

void MainWindow::showMemos(std::span<const std::wstring> memos) {
  emptyList();
  withoutRedraw([&] { addItems(memos); });
  follower_.filled(memos);
}

// --- What the follower uses of the list ---

bool MainWindow::droppedDown() { return SendMessageW(memoList_, CB_GETDROPPEDSTATE, 0, 0) != 0; }

int MainWindow::selectedItem() {
  return static_cast<int>(SendMessageW(memoList_, CB_GETCURSEL, 0, 0));
}

void MainWindow::startWatching() { watch_.start(hwnd(), kFolderChanged, kMemoFileName); }
void MainWindow::stopWatching() { watch_.stop(); }
void MainWindow::callOnScreen() { runtime().whenIdle(hwnd(), kOnScreen); }
// Once the drop-down has put its pick in the field.
void MainWindow::callAfterCloseUp() { PostMessageW(hwnd(), kClosedUp, 0, 0); }

void MainWindow::replaceItems(std::span<const std::wstring> memos, int select) {
  // The edit field is left alone: items are deleted one by one, since
  // emptying the list at once empties the field too. Picking an item again
  // puts the same text in the field but selects all of it: the caret and
  // selection go back to where they were.
  DWORD start = 0;
  DWORD end = 0;
  SendMessageW(memoList_, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  withoutRedraw([&] {
    for (auto index = SendMessageW(memoList_, CB_GETCOUNT, 0, 0); index-- > 0;)
      SendMessageW(memoList_, CB_DELETESTRING, static_cast<WPARAM>(index), 0);
    addItems(memos);
    if (select >= 0) {
      SendMessageW(memoList_, CB_SETCURSEL, static_cast<WPARAM>(select), 0);
      SendMessageW(memoList_, CB_SETEDITSEL, 0, MAKELPARAM(start, end));
    }
  });
}

void MainWindow::withoutRedraw(FunctionRef change) {
  // The list is drawn once, after the change, not once per item.
  SendMessageW(memoList_, WM_SETREDRAW, FALSE, 0);
  change();
  SendMessageW(memoList_, WM_SETREDRAW, TRUE, 0);
  RedrawWindow(memoList_, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void MainWindow::addItems(std::span<const std::wstring> memos) {
  // Reserve the list's storage up front.
  std::size_t characters = 0;
  for (const std::wstring &memo : memos)
    characters += memo.size() + 1;
  SendMessageW(memoList_, CB_INITSTORAGE, memos.size(), characters * sizeof(wchar_t));
  for (const std::wstring &memo : memos)
    SendMessageW(memoList_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(memo.c_str()));
}

void MainWindow::clearList() {
  // Only the commands empty the list, right after writing memo.txt: that
  // write is the strip's own, not a change to follow.
  emptyList();
  follower_.wroteFile();
}

void MainWindow::emptyList() {
  SendMessageW(memoList_, CB_RESETCONTENT, 0, 0);
  SetWindowTextW(memoList_, L"");
}

Position MainWindow::position() { return {left(), top()}; }
bool MainWindow::iconShown() { return icon_.shown(); }
bool MainWindow::addIconAgain() { return icon_.addAgain(); }
void MainWindow::hide() { Form::hide(); }
void MainWindow::unload() { Form::unload(); }
void MainWindow::removeIcon() { icon_.remove(); }
void MainWindow::endProgram() { runtime().endProgram(); }

TrayChoice MainWindow::chooseFromTrayMenu(bool fromKeyboard) {
  HWND before = GetForegroundWindow();
  // The menu closes on a click elsewhere only when its owner is in the
  // foreground.
  SetForegroundWindow(hwnd());
  runtime().processPendingEvents();
  HWND window = hwnd();
  if (!window || !menuBar_)
    return TrayChoice::none; // the pending events unloaded the window
  // The mouse may be anywhere when the keyboard opens the menu: it opens by
  // the icon, clear of it, and at the cursor where the shell cannot tell
  // where the icon is.
  const std::optional<RECT> icon = fromKeyboard ? icon_.screenRect() : std::nullopt;
  TPMPARAMS clear{sizeof clear, icon.value_or(RECT{})};
  POINT at{};
  if (icon)
    at = {icon->left, icon->top};
  else
    GetCursorPos(&at);
  const UINT flags = TPM_LEFTALIGN | TPM_RETURNCMD | TPM_NONOTIFY |
                     (icon ? TPM_BOTTOMALIGN | TPM_VERTICAL : TPM_TOPALIGN);
  // Opened from the keyboard, the menu starts on its first item, as a menu
  // opened with the menu key does: the menu's loop reads this Down first.
  if (fromKeyboard)
    PostMessageW(window, WM_KEYDOWN, VK_DOWN, 1);
  const int chosen = static_cast<int>(TrackPopupMenuEx(GetSubMenu(menuBar_.get(), 0), flags, at.x,
                                                       at.y, window, icon ? &clear : nullptr));
  // A menu that did not open left its Down unread.
  if (MSG unread{}; fromKeyboard)
    PeekMessageW(&unread, window, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE);
  // Without this the menu would not close on a click elsewhere next time.
  PostMessageW(window, WM_NULL, 0, 0);
  switch (chosen) {
  case ids::kAboutMenuItem:
    return TrayChoice::about;
  case ids::kExitMenuItem:
    return TrayChoice::exit;
  default:
    // Escape sends the keyboard back where it came from; a click elsewhere
    // has already taken it there.
    if (!(fromKeyboard && GetForegroundWindow() == window && icon_.returnFocus()))
      giveForegroundBack(window, before);
    return TrayChoice::none;
  }
}

void MainWindow::giveForegroundBack(HWND window, HWND before) {
  // A menu dismissed over a hidden strip would leave the keyboard in a window
  // nobody sees. A click on another window has already taken it there.
  if (hwnd() == window && !IsWindowVisible(window) && GetForegroundWindow() == window && before &&
      before != window && IsWindow(before))
    SetForegroundWindow(before);
}

void MainWindow::showAbout() { showAboutWindow_(); }

std::uint32_t MainWindow::milliseconds() { return GetTickCount(); }

bool MainWindow::confirm(std::wstring_view text, std::wstring_view title) {
  const std::wstring message(text);
  const std::wstring caption(title);
  const int answer =
      MessageBoxW(hwnd(), message.c_str(), caption.c_str(), MB_OKCANCEL | MB_DEFBUTTON1);
  // Exit from the tray menu closes the question: then nothing was agreed to.
  return answer == IDOK && !runtime().ending();
}

void MainWindow::tell(std::wstring_view text) {
  const std::wstring message(text);
  MessageBoxW(hwnd(), message.c_str(), kProgramTitle, MB_OK | MB_ICONWARNING);
}

} // namespace tallynix
