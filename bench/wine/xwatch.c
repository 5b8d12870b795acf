/* xwatch: timestamps what the X server draws, and clicks, for the Wine
 * measurements. Inside a Wine virtual desktop programs have no X windows of
 * their own, so the moment a window's first pixels appear is seen as damage
 * on the root window.
 *
 *   xwatch            (DISPLAY from the environment)
 *
 * Prints "ready" once it watches, then one line per damaged rectangle:
 *   D <t> <x> <y> <width> <height>
 * Reads commands, one per line:
 *   move X Y     moves the pointer (answers "M <t>" once the server has it)
 *   click X Y    moves the pointer there, then presses and releases button 1
 *                (answers "C <t>", t taken just before the press is sent)
 *   quit
 * Every <t> is CLOCK_MONOTONIC in seconds, the clock of Python's
 * time.monotonic(), so the caller can put its own events on the same line.
 */
#define _POSIX_C_SOURCE 200809L
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <poll.h>
#include <stdio.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static double now(void) {
  struct timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return (double)ts.tv_sec + (double)ts.tv_nsec / 1e9;
}

static void drain(Display *dpy, int damageEvent) {
  while (XPending(dpy)) {
    XEvent event;
    XNextEvent(dpy, &event);
    if (event.type == damageEvent + XDamageNotify) {
      const XDamageNotifyEvent *d = (const XDamageNotifyEvent *)&event;
      printf("D %.6f %d %d %d %d\n", now(), d->area.x, d->area.y, d->area.width, d->area.height);
    }
  }
  fflush(stdout);
}

int main(void) {
  Display *dpy = XOpenDisplay(NULL);
  if (!dpy) {
    fputs("xwatch: cannot open the display\n", stderr);
    return 1;
  }
  int damageEvent = 0, damageError = 0, xtestEvent = 0, xtestError = 0, major = 0, minor = 0;
  if (!XDamageQueryExtension(dpy, &damageEvent, &damageError)) {
    fputs("xwatch: no DAMAGE extension\n", stderr);
    return 1;
  }
  if (!XTestQueryExtension(dpy, &xtestEvent, &xtestError, &major, &minor)) {
    fputs("xwatch: no XTEST extension\n", stderr);
    return 1;
  }
  XDamageCreate(dpy, DefaultRootWindow(dpy), XDamageReportRawRectangles);
  XSync(dpy, False);
  printf("ready\n");
  fflush(stdout);

  char line[256];
  size_t used = 0;
  for (;;) {
    struct pollfd fds[2] = {{ConnectionNumber(dpy), POLLIN, 0}, {0, POLLIN, 0}};
    drain(dpy, damageEvent);
    if (poll(fds, 2, -1) < 0)
      continue;
    if (fds[0].revents & (POLLERR | POLLHUP))
      return 1;
    if (fds[1].revents & (POLLIN | POLLHUP)) {
      const ssize_t got = read(0, line + used, sizeof line - 1 - used);
      if (got <= 0)
        break;
      used += (size_t)got;
      line[used] = '\0';
      char *end;
      while ((end = strchr(line, '\n')) != NULL) {
        *end = '\0';
        int x = 0, y = 0;
        if (sscanf(line, "move %d %d", &x, &y) == 2) {
          XTestFakeMotionEvent(dpy, -1, x, y, CurrentTime);
          XSync(dpy, False);
          printf("M %.6f\n", now());
        } else if (sscanf(line, "click %d %d", &x, &y) == 2) {
          XTestFakeMotionEvent(dpy, -1, x, y, CurrentTime);
          XSync(dpy, False);
          const double t = now();
          XTestFakeButtonEvent(dpy, 1, True, CurrentTime);
          XTestFakeButtonEvent(dpy, 1, False, CurrentTime);
          XFlush(dpy);
          printf("C %.6f\n", t);
        } else if (strcmp(line, "quit") == 0) {
          XCloseDisplay(dpy);
          return 0;
        }
        fflush(stdout);
        const size_t consumed = (size_t)(end - line) + 1;
        memmove(line, end + 1, used - consumed + 1);
        used -= consumed;
      }
      if (used == sizeof line - 1)
        used = 0; /* an overlong line: drop it */
    }
  }
  XCloseDisplay(dpy);
  return 0;
}
