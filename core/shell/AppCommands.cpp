// The command table and the menu bar built from it.
#include "core/shell/AppCommands.h"

#include "core/shell/AppResources.h"
#include "winl/WINL_Keys.h"
#include "winl/WINL_Menu.h"

#include <iterator>
#include <string>
#include <vector>

namespace
{
// The layer's virtual keys of Page Up and Page Down.
constexpr int kPageUp = 33;
constexpr int kPageDown = 34;

// Command is the Ctrl key here.
constexpr int kCtrl = WINL_KEYF_VIRTKEY | WINL_KEYF_COMMAND;
constexpr int kCtrlShift = kCtrl | WINL_KEYF_SHIFT;

// In menu order. The program keys leave Ctrl with the arrows to the text
// fields of the surface.
const AppCommand kCommands[] = {
    {AppMenu::kFile, 40025, "Select Directory", 0, 0, 1},
    {AppMenu::kFile, 0, nullptr, 0, 0, -1},
    {AppMenu::kFile, 40026, "Load Program from File to Editor", 0, 0, 2},
    {AppMenu::kFile, 40027, "Save Program from Editor to File", 0, 0, 3},
    {AppMenu::kFile, 40028, "Write Program from File to Zephra", 0, 0, 4},
    {AppMenu::kFile, 40029, "Write all Programs from Files to Zephra", 0, 0, 5},
    {AppMenu::kFile, 40045, "Save Program from Zephra to File", 0, 0, 20},
    {AppMenu::kFile, 40046, "Save All Programs from Zephra to Files", 0, 0, 21},
    {AppMenu::kFile, 0, nullptr, 0, 0, -1},
    {AppMenu::kFile, 40030, "Firmware update", 0, 0, 6},
    {AppMenu::kFile, 0, nullptr, 0, 0, -1},
    {AppMenu::kFile, 40050, "Convert Old Programs\xE2\x80\xA6", 0, 0, 24},
    {AppMenu::kFile, 0, nullptr, 0, 0, -1},
    {AppMenu::kFile, kCmdPreferences, "Preferences\xE2\x80\xA6", 0, 0, -1},
    {AppMenu::kFile, 0, nullptr, 0, 0, -1},
    {AppMenu::kFile, kCmdQuit, "&Quit", 'Q', kCtrl, -1},

    {AppMenu::kEdit, 40051, "&Undo", 'Z', kCtrl, 26},
    {AppMenu::kEdit, 40052, "&Redo", 'Z', kCtrlShift, 27},
    {AppMenu::kEdit, 0, nullptr, 0, 0, -1},
    {AppMenu::kEdit, kCmdLearnController, "Learn Controller", 0, 0, 34},
    {AppMenu::kEdit, kCmdUnlearnController, "Unlearn Controller", 0, 0, 35},
    {AppMenu::kEdit, kCmdClearControllers, "Clear All Learnt Controllers", 0, 0, 36},

    {AppMenu::kView, 40037, "70%", 0, 0, 12},
    {AppMenu::kView, 40038, "80%", 0, 0, 13},
    {AppMenu::kView, 40039, "90%", 0, 0, 14},
    {AppMenu::kView, 40040, "100%", 0, 0, 15},
    {AppMenu::kView, 40041, "110%", 0, 0, 16},
    {AppMenu::kView, 40042, "120%", 0, 0, 17},
    {AppMenu::kView, 40043, "130%", 0, 0, 18},
    {AppMenu::kView, 40044, "200%", 0, 0, 19},
    {AppMenu::kView, 0, nullptr, 0, 0, -1},
    {AppMenu::kView, 40034, "Whole Panel", 0, 0, 10},
    {AppMenu::kView, 40033, "Compact Panel", 0, 0, 11},
    {AppMenu::kView, 0, nullptr, 0, 0, -1},
    {AppMenu::kView, 40047, "Space", 0, 0, 22},
    {AppMenu::kView, 40048, "Solid", 0, 0, 23},
    {AppMenu::kView, 40049, "LCD", 0, 0, 25},
    {AppMenu::kView, 0, nullptr, 0, 0, -1},
    {AppMenu::kView, kCmdManagerOn, "Program Manager", 'M', kCtrl, 33},

    {AppMenu::kProgram, 40055, "Next Program", kPageDown, kCtrl, 28},
    {AppMenu::kProgram, 40056, "Previous Program", kPageUp, kCtrl, 29},
    {AppMenu::kProgram, 40057, "Ten Programs Forward", kPageDown, kCtrlShift, 30},
    {AppMenu::kProgram, 40058, "Ten Programs Back", kPageUp, kCtrlShift, 31},

    {AppMenu::kHelp, 40031, "&User Guide", 0, 0, 7},
    {AppMenu::kHelp, 40032, "&Program Database", 0, 0, 8},
    {AppMenu::kHelp, kCmdAbout, "&About", 0, 0, 0},

    {AppMenu::kNone, kCmdManagerOff, nullptr, 0, 0, 32},
};

// The View menu's scales by command, in menu order.
constexpr struct
{
  int command;
  double scale;
} kScales[] = {{40037, 0.7}, {40038, 0.8}, {40039, 0.9}, {40040, 1.0},
               {40041, 1.1}, {40042, 1.2}, {40043, 1.3}, {40044, 2.0}};
constexpr int kCmdWholePanel = 40034;
constexpr int kCmdCompactPanel = 40033;
// The looks' commands by look number, a range of ids.
constexpr int kCmdLooks[] = {40047, 40048, 40049};

const struct
{
  AppMenu menu;
  const char* title;
} kMenus[] = {
    {AppMenu::kFile, "&File"}, {AppMenu::kEdit, "&Edit"},       {AppMenu::kView, "&View"},
    {AppMenu::kProgram, "&Program"}, {AppMenu::kHelp, "&Help"},
};
}  // namespace

const AppCommand* AppCommandTable(size_t* count)
{
  if (count) *count = sizeof kCommands / sizeof kCommands[0];
  return kCommands;
}

int MenuCommandIndex(int commandId)
{
  const int id = commandId & 0xFFFF;
  if (id == 0) return -1;
  for (const AppCommand& c : kCommands)
    if (c.id == id) return c.index;
  return -1;
}

void BuildMainMenu(HMENU menu)
{
  std::vector<std::string> titles;
  titles.reserve(sizeof kMenus / sizeof kMenus[0]);
  std::vector<WINL_MenuGen_Entry> list;
  for (const auto& m : kMenus)
  {
    titles.push_back(std::string("/.BO^O:") + m.title);
    list.push_back({titles.back().c_str(), 0, 0});
    for (const AppCommand& c : kCommands)
      if (c.menu == m.menu)
        list.push_back({c.label, static_cast<uint16_t>(c.label ? c.id : 0xFFFF), 0});
    list.push_back({"EN%%%^:", 0, 0});
  }
  WINL_GenerateMenuFromList(menu, list.data(), static_cast<int>(list.size()));
  for (const AppCommand& c : kCommands)
    if (c.menu != AppMenu::kNone && c.key) SetMenuItemModifier(menu, c.id, MF_BYCOMMAND, c.key, c.modifiers);
}

void ShowManagerCheck(HMENU bar, bool managerOn)
{
  MENUITEMINFO info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_ID | MIIM_STATE;
  info.wID = managerOn ? kCmdManagerOff : kCmdManagerOn;
  info.fState = managerOn ? MFS_CHECKED : 0;
  if (!SetMenuItemInfo(bar, kCmdManagerOn, FALSE, &info)) SetMenuItemInfo(bar, kCmdManagerOff, FALSE, &info);
}

void ShowLearnChecks(HMENU bar, const AppLearnState& state)
{
  CheckMenuItem(bar, kCmdLearnController, MF_BYCOMMAND | (state.learnArmed ? MF_CHECKED : 0));
  CheckMenuItem(bar, kCmdUnlearnController, MF_BYCOMMAND | (state.unlearnArmed ? MF_CHECKED : 0));
}

void ShowFittingScales(HMENU bar, int workWidth, int workHeight, int frameHeight)
{
  // The GUI is 1140x800 at 100 %.
  if (workWidth <= 0 || workHeight <= 0) return;
  for (const auto& s : kScales)
  {
    const bool fits = 1140.0 * s.scale <= workWidth && frameHeight + 800.0 * s.scale <= workHeight;
    EnableMenuItem(bar, static_cast<UINT>(s.command), MF_BYCOMMAND | (fits ? MF_ENABLED : MF_GRAYED));
  }
}

void ShowViewChoices(HMENU bar, const AppViewState& state)
{
  // A stored scale reads back within a rounding step of the menu's; a
  // dragged one that merely lies near a menu scale is not that scale.
  constexpr double kSameScale = 1e-6;
  int scaleCommand = 0;
  for (const auto& s : kScales)
    if (state.scale > s.scale - kSameScale && state.scale < s.scale + kSameScale) scaleCommand = s.command;
  CheckMenuRadioItem(bar, static_cast<UINT>(kScales[0].command), static_cast<UINT>(std::end(kScales)[-1].command),
                     static_cast<UINT>(scaleCommand), MF_BYCOMMAND);
  CheckMenuRadioItem(bar, kCmdCompactPanel, kCmdWholePanel,
                     static_cast<UINT>(state.compactPanel ? kCmdCompactPanel : kCmdWholePanel), MF_BYCOMMAND);
  const int looks = static_cast<int>(std::size(kCmdLooks));
  const int lookCommand = state.look >= 0 && state.look < looks ? kCmdLooks[state.look] : 0;
  CheckMenuRadioItem(bar, kCmdLooks[0], kCmdLooks[looks - 1], static_cast<UINT>(lookCommand), MF_BYCOMMAND);
}
