// The program-manager panel as the model tests see it: the row checkboxes,
// the browser rows' selection colours, the name field and the load
// control recorded, and the list controls' mouse events set by the test.
#pragma once

#include "synth/ZephraManagerLink.h"

#include <map>
#include <string>

struct RecordingManager : ZephraManagerLink
{
  ListMouseEvent BankMouse() override { return bankMouse; }
  ListMouseEvent BrowserMouse() override { return browserMouse; }
  void SetRowChecked(int location, bool checked) override { checks[location] = checked; }
  void SetNameField(const char* text) override { nameField = text; }
  void SetBrowserRow(int row, const char* text, bool shown) override { rows[row] = shown ? text : ""; }
  void SetBrowserRowSelected(int row, bool selected) override { red[row] = selected; }
  void SetPlayNoteEnabled(bool enabled) override { playNoteEnabled = enabled; }
  std::string ChooseDirectory(const std::string& /*startFolder*/) override { return chosenFolder; }

  // The locations whose checkbox shows, in rising order.
  std::string Checked() const
  {
    std::string text;
    for (const auto& [location, on] : checks)
      if (on) text += (text.empty() ? "" : ",") + std::to_string(location);
    return text;
  }

  ListMouseEvent bankMouse, browserMouse;
  std::map<int, bool> checks, red;
  std::map<int, std::string> rows;
  std::string nameField, chosenFolder;
  bool playNoteEnabled = true;
};
