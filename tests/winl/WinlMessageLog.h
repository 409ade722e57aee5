// A log of the messages that window procedures of the tests receive.
#pragma once

#include "winl/WINL_Window.h"

#include <vector>

struct LoggedMessage { HWND hwnd; UINT msg; WPARAM wParam; LPARAM lParam; };

inline std::vector<LoggedMessage>& MessageLog()
{
  static std::vector<LoggedMessage> log;
  return log;
}

// The numbers of the messages hwnd received that are among wanted, in order.
inline std::vector<UINT> MessagesTo(HWND hwnd, const std::vector<UINT>& wanted)
{
  std::vector<UINT> out;
  for (const LoggedMessage& m : MessageLog())
    for (UINT w : wanted)
      if (m.hwnd == hwnd && m.msg == w) out.push_back(m.msg);
  return out;
}

// Logs every message and leaves it to the default procedure.
inline LRESULT LoggingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  MessageLog().push_back({hwnd, msg, wParam, lParam});
  return DefWindowProc(hwnd, msg, wParam, lParam);
}

// A dialog procedure that logs every message and handles none.
inline LRESULT LoggingDlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  MessageLog().push_back({hwnd, msg, wParam, lParam});
  return 0;
}

// The wParam of every WM_COMMAND hwnd received, in order.
inline std::vector<WPARAM> CommandsTo(HWND hwnd)
{
  std::vector<WPARAM> out;
  for (const LoggedMessage& m : MessageLog())
    if (m.hwnd == hwnd && m.msg == WM_COMMAND) out.push_back(m.wParam);
  return out;
}
