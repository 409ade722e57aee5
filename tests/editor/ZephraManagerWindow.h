// The program manager shown in the real GUI build on the headless surface,
// with the mouse on its lists at the places the user clicks, its boxes and
// buttons, the SysEx it sends, and helpers to read its rows and fields.
#pragma once

#include "ZephraSkinEditor.h"

#include "core/IMidiMsg.h"
#include "editor/ZephraManagerPanel.h"
#include "graphics/controls/ITextControl.h"
#include "graphics/controls/IUserTextControl.h"
#include "synth/ProgramFile.h"
#include "synth/support/ZephraTestPrograms.h"
#include "winl/WINL_FileDialog.h"

#include <functional>
#include <set>


// The locations of the program writes among messages, in order.
inline std::vector<uint8_t> WrittenLocations(const std::vector<std::vector<uint8_t>>& messages)
{
  std::vector<uint8_t> locations;
  for (const std::vector<uint8_t>& m : messages)
    if (m.size() == 213 && m[5] == 0x20) locations.push_back(m[7]);
  return locations;
}

// The synth's answer to a program write: 0x21 taken, 0x22 refused.
inline std::vector<uint8_t> WriteReply(uint8_t code) { return {0xF0, 0x00, 0x3E, 0x5A, 0x03, code, 0xF7}; }

inline const char* kManagerSettings = "[gui]\nbackground=space\nmanager=true\n";

// The browser's rows are 14 high from y 118; the bank's cells 81.2 by 68
// from (308, 108), location n in column n % 10 and row n / 10.
struct Point { int x, y; };
inline Point BrowserRow(int row) { return {120, 125 + 14 * row}; }
inline Point Location(int n) { return {308 + 81 * (n % 10) + 40, 108 + 68 * (n / 10) + 34}; }

struct ManagerWindow : ::testing::Test
{
  SkinEditor t{kManagerSettings};
  IMouseMod left{true, false};
  IMouseMod shift{true, false, true};

  void SetUp() override
  {
    t.editor->SetSysExTap([this](const uint8_t* bytes, size_t size) { sent.emplace_back(bytes, bytes + size); });
  }
  void TearDown() override { WINL_ChooserTestEnd(); }

  void Down(Point p, IMouseMod* mod = nullptr) { t.gui->OnMouseDown(p.x, p.y, mod ? mod : &left); }
  void Up(Point p) { t.gui->OnMouseUp(p.x, p.y, &left); }
  void Click(Point p) { Down(p), Up(p); }
  void DoubleClick(Point p)
  {
    Click(p);
    t.gui->OnMouseDblClick(p.x, p.y, &left);
    Up(p);
  }
  // A folder of program files, each its name's marker values.
  std::string Folder(const std::string& name, const std::vector<std::string>& files)
  {
    const std::string folder = t.dir.File(name);
    mkdir(folder.c_str(), 0755);
    for (const std::string& file : files) WriteWholeFile(folder + "/" + file, MarkerText(kSampleValues));
    return folder + "/";
  }
  static std::vector<std::string> Numbered(const char* prefix, int count)
  {
    std::vector<std::string> files;
    for (int i = 0; i < count; ++i) files.push_back(prefix + std::to_string(1000 + i) + ".pr3");
    return files;
  }
  static std::string Text(ITextControl* control)
  {
    BASE_String text("");
    control->GetText(&text);
    return text.Get();
  }
  std::string RowText(int row) { return Text(t.editor->ManagerPanel()->BrowserRow(row)); }
  std::string NameText(int location) { return Text(t.editor->ManagerPanel()->Name(location)); }
  bool Grey(int param) { return t.ControlOf(param)->IsGrayed(); }
  double Tile(int location) { return t.editor->ManagerPanel()->Tile(location)->GetValue(); }
  IUserTextControl* Field(ManagerRef ref)
  {
    return static_cast<IUserTextControl*>(t.editor->ManagerPanel()->Ref(ref));
  }
  std::vector<std::string> Boxes()
  {
    std::vector<std::string> texts;
    for (const auto& box : t.gui->MessageBoxes()) texts.push_back(box.text);
    return texts;
  }
  // The texts of the boxes shown after the first `before` ones.
  std::vector<std::string> BoxesFrom(size_t before)
  {
    const std::vector<std::string> all = Boxes();
    return std::vector<std::string>(all.begin() + static_cast<long>(std::min(before, all.size())), all.end());
  }
  static std::set<std::string> Files(const std::string& folder) { return FolderNames(folder); }
  void Receive(uint8_t code)
  {
    const Bytes reply = WriteReply(code);
    ISysEx sysEx(0, reply.data(), static_cast<int>(reply.size()));
    t.editor->ProcessSysEx(&sysEx);
  }
  // The locations of the program writes sent so far, in order.
  std::vector<uint8_t> Written() const { return WrittenLocations(sent); }
  std::vector<Bytes> sent;
};

