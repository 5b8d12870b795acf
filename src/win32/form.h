// A top-level window with a load and an unload handler, the shape every
// window of the program takes. The object outlives its native window: unload
// destroys the window and a later load creates a fresh one, while the
// object's own state is kept.
#pragma once

#include "win32/runtime.h"

#include <windows.h>

namespace tallynix::win32 {

class Form {
public:
  explicit Form(Runtime &runtime) : runtime_(runtime) {}
  virtual ~Form();
  Form(const Form &) = delete;
  Form &operator=(const Form &) = delete;

  // Creates the window, hidden, and runs its load handler. An error there is
  // reported and ends the program.
  void load();
  // Loads when needed, then makes the window visible; a fresh window gives
  // the keyboard focus to its first control.
  void show();
  void hide();
  // Runs the unload handler, then destroys the window.
  void unload();

  bool loaded() const noexcept { return hwnd_ != nullptr; }
  bool visible() const noexcept { return hwnd_ && IsWindowVisible(hwnd_); }
  HWND hwnd() const noexcept { return hwnd_; }
  Runtime &runtime() const noexcept { return runtime_; }
  // The dots per inch the window is laid out for: those of its monitor.
  int dpi() const noexcept { return dpi_; }
  // A design length in twips as pixels at dpi().
  int scale(int twips) const noexcept;

  // The window's outer left and top edges in twips.
  float left() const;
  float top() const;
  void setLeft(float twips);
  void setTop(float twips);

protected:
  // Creates the native window and its controls, hidden. Called by load.
  virtual void create() = 0;
  // Places the controls for dpi(), with fonts made for it, and returns the
  // client size; called by layOutFor.
  virtual SIZE layOut();
  // Lays the window out for the monitor it opens on (layOutFor), then places
  // it: laid out first, it is placed at its size there. By default it stays
  // where it was created. Afterwards it is laid out again only where the
  // system put it on a monitor of another density after all.
  virtual void onLoad();
  virtual void onUnload() {}
  // Handles a message; false passes it on to the default handling.
  virtual bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT &result);
  // Called after the window is shown for the first time after a load.
  virtual void onFirstShow();

  // Registers the class once and creates the window with this object bound.
  HWND createWindow(const WNDCLASSEXW &windowClass, DWORD exStyle, DWORD style, RECT bounds);
  // Lays the window out for `dpi`, its top-left corner staying where it is;
  // also whenever the window comes to a monitor of another density.
  void layOutFor(int dpi);

private:
  static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  void moveTo(float leftTwips, float topTwips);

  Runtime &runtime_;
  HWND hwnd_ = nullptr;
  bool shownSinceLoad_ = false;
  bool loading_ = false;
  int dpi_ = 96;
};

} // namespace tallynix::win32
