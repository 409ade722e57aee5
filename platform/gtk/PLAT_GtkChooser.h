// File and folder choosers: the toolkit's chooser dialog, run modally in a
// nested main loop (timers and posted messages keep running). Main thread.
#pragma once

#include <string>
#include <vector>

class PLAT_GtkView;

enum class PLAT_ChooserKind
{
  Save,    // one new or existing file; asks before replacing one
  Folder,  // one folder; new folders may be made
  Open,    // one or several existing files
};

struct PLAT_ChooserRequest
{
  PLAT_ChooserKind kind = PLAT_ChooserKind::Open;
  std::string title;
  std::string folder;                 // empty: the toolkit's choice
  std::string file;                   // the name offered (Save) or selected (Open)
  std::vector<std::string> patterns;  // shell patterns; empty allows every file
  bool multiple = false;
  std::string accept;                 // the accept button's label; empty: "_Open" or "_Save"
  // Shown below the chooser's own widgets while it runs; stays the caller's.
  PLAT_GtkView* accessory = nullptr;
};

// The chosen paths; empty when the user cancelled or no chooser can be
// shown (no display).
std::vector<std::string> PLAT_ChooserRun(const PLAT_ChooserRequest& request);

// The application ends: the chooser running now (and its replace question)
// closes as cancelled, so that its nested loop returns.
void PLAT_ChooserCancelRunning();

// ---- for tests of the real chooser ----
// The chooser running now, or null.
struct PLAT_ChooserTest;
PLAT_ChooserTest* PLAT_ChooserTestCurrent();
// Types the name into the chooser and presses its accept button, as the user
// would (a Save chooser then asks before replacing an existing file).
void PLAT_ChooserTestAccept(PLAT_ChooserTest* chooser, const char* path);
void PLAT_ChooserTestCancel(PLAT_ChooserTest* chooser);
// Closes the chooser as Escape does (its window's close button likewise).
void PLAT_ChooserTestClose(PLAT_ChooserTest* chooser);
// The text of the question shown over the chooser (the replace question),
// or "" when none is shown; answers it with yes or no.
std::string PLAT_ChooserTestQuestion();
void PLAT_ChooserTestAnswerQuestion(bool yes);
