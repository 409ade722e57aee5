// Message boxes: a blocking alert with the caption as title and the text
// shown literally, from any thread (see PLAT_Alert.h). Tests queue the
// button each box is answered with and read what was shown.
#pragma once

#include "winl/WINL_Window.h"

#include <string>
#include <vector>

constexpr UINT MB_OK = 0;
constexpr UINT MB_OKCANCEL = 1;
constexpr UINT MB_YESNOCANCEL = 3;
constexpr UINT MB_YESNO = 4;
constexpr UINT MB_RETRYCANCEL = 5;
constexpr int IDRETRY = 4;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Buttons by type, default first: 0 "OK"; 1 "OK", "Cancel"; 3 "Yes",
// "Cancel", "No"; 4 "Yes", "No"; 5 "Retry", "Cancel". Answers IDOK,
// IDCANCEL, IDYES, IDNO or IDRETRY; Escape or closing counts as Cancel (No
// for type 4, OK for type 0). Any other type shows nothing and answers 0,
// as does a box that could not be shown. hwnd is not used. Any thread.
int MessageBox(HWND hwnd, const char* text, const char* caption, UINT type);

// An alert with the buttons given in order, the first the default: the
// index of the button pressed, -1 when dismissed (Escape, closed), -2 when
// it could not be shown. Queued answers of the test seam apply. Any thread.
int WINL_AlertWithButtons(const char* caption, const char* text, const char* const* buttons, int count);

// The application ends: every box open now closes as if cancelled (Escape)
// and later ones answer so at once, unseen. false shows boxes again.
void WINL_CancelMessageBoxes(bool cancel = true);

// ---- test seam ----
struct WINL_ShownMessageBox
{
  std::string caption;
  std::string text;
  std::vector<std::string> buttons;
};
// From now on boxes are not shown: each takes the next queued answer (the
// index of the button pressed, -1 for Escape) and is recorded. A box with
// no answer queued ends the process with a message. Thread-safe.
void WINL_MessageBoxTestQueue(int buttonIndex);
// The boxes recorded since the last call, oldest first; empties the record.
std::vector<WINL_ShownMessageBox> WINL_MessageBoxTestTake();
// Back to real alerts; unused answers are dropped.
void WINL_MessageBoxTestEnd();
