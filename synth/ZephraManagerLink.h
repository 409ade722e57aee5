// ZephraManagerLink: what the program library asks of the program-manager
// panel -- the bank rows' checkboxes, colour cells and texts, the name field,
// the browser rows with their scroll control, and the folder chooser. The
// panel implements it; this base class is the state with no panel: every
// operation does nothing and the chooser is cancelled.
//
// Threads: called with the plug-in mutex held, except ChooseDirectory (GUI
// thread, without the mutex, since it waits for the user).
#pragma once

#include <string>

// The last mouse event a list control took, as its handler reads it.
struct ListMouseEvent
{
  enum Kind
  {
    kDown,
    kUp,
    kDrag,
    kDoubleClick,
  } kind = kDown;
  enum Modifier
  {
    kNone,
    kShift,
    kCommand,
  } modifier = kNone;
  double x = 0, y = 0;  // in base units: the window 1140 wide
};

class ZephraManagerLink
{
public:
  virtual ~ZephraManagerLink() = default;

  // ---- the list controls' last mouse events ----
  virtual ListMouseEvent BankMouse() { return {}; }
  virtual ListMouseEvent BrowserMouse() { return {}; }

  // ---- bank rows, location 1..99 ----
  virtual void SetRowChecked(int /*location*/, bool /*checked*/) {}
  // 0 for an empty location, else category / 6.
  virtual void SetRowCell(int /*location*/, double /*value*/) {}
  // The row's text, redrawn.
  virtual void SetRowText(int /*location*/, const char* /*text*/) {}
  virtual void SetNameField(const char* /*text*/) {}

  // ---- browser rows, 0..46 ----
  virtual void SetBrowserRow(int /*row*/, const char* /*text*/, bool /*shown*/) {}
  // The scroll range past the first 47 records; the control shows only
  // when it is above 0.
  virtual void SetBrowserScroll(int /*range*/) {}
  // A selected row's text is red, the others light grey.
  virtual void SetBrowserRowSelected(int /*row*/, bool /*selected*/) {}
  // The play-note button: greyed out by a selection, enabled again once a
  // double-click has loaded a program.
  virtual void SetPlayNoteEnabled(bool /*enabled*/) {}

  // ---- the sub-panels and the text fields ----
  // The folder-choice panel: its background, the database and local
  // folder buttons.
  virtual void ShowFolderPanel(bool /*shown*/) {}
  // The login panel: its background, the user and password fields, the
  // log-in button and the remember box.
  virtual void ShowLoginPanel(bool /*shown*/) {}
  virtual std::string UserField() { return std::string(); }
  virtual void SetUserField(const char* /*text*/) {}
  virtual std::string PasswordField() { return std::string(); }
  virtual void SetPasswordField(const char* /*text*/) {}
  // The rename field's text.
  virtual std::string NameField() { return std::string(); }

  // The system's folder chooser (folders only, new ones allowed, confirm
  // button "Select Directory"), opened in startFolder: the chosen folder
  // followed by "/", or "" when cancelled or when that would not fit 255
  // bytes.
  virtual std::string ChooseDirectory(const std::string& /*startFolder*/) { return std::string(); }
};
