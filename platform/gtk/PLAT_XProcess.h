// Finding and raising the top-level window of another process on the X
// display, through a connection of its own, so the toolkit need not be up.
#pragma once

// Looks for a top-level window whose _NET_WM_PID is pid (a window manager's
// client list first, else the root's children); when one is found, asks the
// window manager to activate it and raises it. False when there is no
// display or no such window.
bool PLAT_XRaiseWindowOfProcess(int pid);
