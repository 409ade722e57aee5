#include "platform/gtk/PLAT_XProcess.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <vector>

namespace
{
// Reads a property of 32-bit items (longs on the client side).
std::vector<unsigned long> Longs(Display* d, Window w, Atom property, Atom type)
{
  std::vector<unsigned long> out;
  Atom actual = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(d, w, property, 0, 1 << 16, False, type, &actual, &format, &count, &after, &data) ==
          Success &&
      actual == type && format == 32 && data)
  {
    const auto* items = reinterpret_cast<const unsigned long*>(data);
    out.assign(items, items + count);
  }
  if (data) XFree(data);
  return out;
}

// The managed windows when a window manager lists them; else the root's
// children (without one, an application's top-level windows are those).
std::vector<Window> TopLevels(Display* d, Window root)
{
  std::vector<Window> windows;
  for (unsigned long w : Longs(d, root, XInternAtom(d, "_NET_CLIENT_LIST", False), XA_WINDOW))
    windows.push_back(static_cast<Window>(w));
  if (!windows.empty()) return windows;
  Window rootOut = 0, parent = 0, *children = nullptr;
  unsigned n = 0;
  if (XQueryTree(d, root, &rootOut, &parent, &children, &n))
  {
    windows.assign(children, children + n);
    XFree(children);
  }
  return windows;
}

// A window that vanished between listing and reading must not end the
// process, as Xlib's default handler would.
int IgnoreErrors(Display*, XErrorEvent*) { return 0; }
}  // namespace

bool PLAT_XRaiseWindowOfProcess(int pid)
{
  if (pid <= 0) return false;
  Display* d = XOpenDisplay(nullptr);
  if (!d) return false;
  XErrorHandler previous = XSetErrorHandler(IgnoreErrors);
  const Window root = DefaultRootWindow(d);
  const Atom pidAtom = XInternAtom(d, "_NET_WM_PID", False);
  Window found = None;
  for (Window w : TopLevels(d, root))
  {
    const std::vector<unsigned long> owner = Longs(d, w, pidAtom, XA_CARDINAL);
    if (!owner.empty() && owner[0] == static_cast<unsigned long>(pid)) found = w;
  }
  if (found != None)
  {
    // Source 2: a pager-like request, which window managers honour without
    // their focus-stealing checks.
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = found;
    e.xclient.message_type = XInternAtom(d, "_NET_ACTIVE_WINDOW", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = 2;
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    XRaiseWindow(d, found);
    XSync(d, False);
  }
  XSetErrorHandler(previous);
  XCloseDisplay(d);
  return found != None;
}
