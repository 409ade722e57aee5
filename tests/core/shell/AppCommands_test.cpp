// The menu bar built from the command table: what each menu holds, the key
// of each item and the editor index its command reaches.
#include "core/shell/AppCommands.h"

#include "winl/WINL_Menu.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace
{
constexpr unsigned kShiftBit = 1;  // the toolkit's modifier bits
constexpr unsigned kCtrlBit = 2;

struct Item
{
  std::string title;  // "-" for a separator
  int id;
  int index;          // MenuCommandIndex(id)
  int key;            // 0: none
  unsigned mods;
  bool operator==(const Item& o) const
  {
    return title == o.title && id == o.id && index == o.index && key == o.key && mods == o.mods;
  }
};

std::ostream& operator<<(std::ostream& os, const Item& i)
{
  return os << "{" << i.title << ", " << i.id << ", " << i.index << ", " << i.key << ", " << i.mods << "}";
}

std::string Title(HMENU menu, int position)
{
  char title[256] = {};
  WINL_TestMenuItemTitle(menu, position, title, sizeof title);
  return title;
}

std::vector<Item> ItemsOf(HMENU menu)
{
  std::vector<Item> items;
  for (int i = 0; i < GetMenuItemCount(menu); ++i)
  {
    const int id = GetMenuItemID(menu, i);
    if (id == 0)
    {
      items.push_back({"-", 0, -1, 0, 0});
      continue;
    }
    Item item{Title(menu, i), id, MenuCommandIndex(id), 0, 0};
    WINL_GetMenuItemAccel(menu, static_cast<UINT>(i), MF_BYPOSITION, &item.key, &item.mods);
    items.push_back(item);
  }
  return items;
}

const std::vector<std::string> kMenuTitles = {"File", "Edit", "View", "Program", "Help"};

const std::vector<std::vector<Item>> kMenus = {
    {
        {"Select Directory", 40025, 1, 0, 0},
        {"-", 0, -1, 0, 0},
        {"Load Program from File to Editor", 40026, 2, 0, 0},
        {"Save Program from Editor to File", 40027, 3, 0, 0},
        {"Write Program from File to Zephra", 40028, 4, 0, 0},
        {"Write all Programs from Files to Zephra", 40029, 5, 0, 0},
        {"Save Program from Zephra to File", 40045, 20, 0, 0},
        {"Save All Programs from Zephra to Files", 40046, 21, 0, 0},
        {"-", 0, -1, 0, 0},
        {"Firmware update", 40030, 6, 0, 0},
        {"-", 0, -1, 0, 0},
        {"Convert Old Programs\xE2\x80\xA6", 40050, 24, 0, 0},
        {"-", 0, -1, 0, 0},
        {"Preferences\xE2\x80\xA6", 40006, -1, 0, 0},
        {"-", 0, -1, 0, 0},
        {"Quit", 40007, -1, 'Q', kCtrlBit},
    },
    {
        {"Undo", 40051, 26, 'Z', kCtrlBit},
        {"Redo", 40052, 27, 'Z', kCtrlBit | kShiftBit},
        {"-", 0, -1, 0, 0},
        {"Learn Controller", 40060, 34, 0, 0},
        {"Unlearn Controller", 40061, 35, 0, 0},
        {"Clear All Learnt Controllers", 40062, 36, 0, 0},
    },
    {
        {"70%", 40037, 12, 0, 0},
        {"80%", 40038, 13, 0, 0},
        {"90%", 40039, 14, 0, 0},
        {"100%", 40040, 15, 0, 0},
        {"110%", 40041, 16, 0, 0},
        {"120%", 40042, 17, 0, 0},
        {"130%", 40043, 18, 0, 0},
        {"200%", 40044, 19, 0, 0},
        {"-", 0, -1, 0, 0},
        {"Whole Panel", 40034, 10, 0, 0},
        {"Compact Panel", 40033, 11, 0, 0},
        {"-", 0, -1, 0, 0},
        {"Space", 40047, 22, 0, 0},
        {"Solid", 40048, 23, 0, 0},
        {"LCD", 40049, 25, 0, 0},
        {"-", 0, -1, 0, 0},
        {"Program Manager", 40053, 33, 'M', kCtrlBit},
    },
    {
        {"Next Program", 40055, 28, 34, kCtrlBit},
        {"Previous Program", 40056, 29, 33, kCtrlBit},
        {"Ten Programs Forward", 40057, 30, 34, kCtrlBit | kShiftBit},
        {"Ten Programs Back", 40058, 31, 33, kCtrlBit | kShiftBit},
    },
    {
        {"User Guide", 40031, 7, 0, 0},
        {"Program Database", 40032, 8, 0, 0},
        {"About", 40005, 0, 0, 0},
    },
};

class AppCommands : public ::testing::Test
{
protected:
  void SetUp() override { BuildMainMenu(mBar); }
  void TearDown() override { DestroyMenu(mBar); }
  HMENU mBar = CreatePopupMenu();
};

TEST_F(AppCommands, EveryMenuHoldsItsItemsWithTheirKeysAndIndexes)
{
  ASSERT_EQ(GetMenuItemCount(mBar), static_cast<int>(kMenuTitles.size()));
  for (size_t m = 0; m < kMenuTitles.size(); ++m)
  {
    EXPECT_EQ(Title(mBar, static_cast<int>(m)), kMenuTitles[m]);
    EXPECT_EQ(ItemsOf(GetSubMenu(mBar, static_cast<int>(m))), kMenus[m]) << kMenuTitles[m];
  }
}

TEST_F(AppCommands, TheMenusReachEveryIndexButTheTimerTick)
{
  std::set<int> reached;
  for (int m = 0; m < GetMenuItemCount(mBar); ++m)
    for (const Item& item : ItemsOf(GetSubMenu(mBar, m)))
      if (item.index >= 0) reached.insert(item.index);
  // "Off" is the manager item while the manager is shown.
  ShowManagerCheck(mBar, true);
  for (const Item& item : ItemsOf(GetSubMenu(mBar, 2)))
    if (item.index >= 0) reached.insert(item.index);
  std::set<int> expected;
  for (int i = 0; i <= 36; ++i)
    if (i != 9) expected.insert(i);
  EXPECT_EQ(reached, expected);
}

TEST_F(AppCommands, TheManagerItemIsCheckedAndTurnsItOffWhileItIsShown)
{
  HMENU view = GetSubMenu(mBar, 2);
  const int last = GetMenuItemCount(view) - 1;
  const struct
  {
    bool on;
    int id;
    bool checked;
  } kStates[] = {{true, 40054, true}, {true, 40054, true}, {false, 40053, false}, {false, 40053, false}, {true, 40054, true}};
  for (const auto& s : kStates)
  {
    ShowManagerCheck(mBar, s.on);
    EXPECT_EQ(GetMenuItemID(view, last), s.id) << s.on;
    MENUITEMINFO info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE;
    ASSERT_TRUE(GetMenuItemInfo(view, static_cast<UINT>(last), TRUE, &info));
    EXPECT_EQ((info.fState & MFS_CHECKED) != 0, s.checked) << s.on;
    EXPECT_EQ(Title(view, last), "Program Manager");
  }
}

// Learn and unlearn are checked exactly while armed, each on its own;
// clear all is never checked.
TEST_F(AppCommands, TheLearnItemsAreCheckedWhileTheirGestureIsArmed)
{
  HMENU edit = GetSubMenu(mBar, 1);
  const auto checked = [&](int position) {
    MENUITEMINFO info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE;
    EXPECT_TRUE(GetMenuItemInfo(edit, static_cast<UINT>(position), TRUE, &info));
    return (info.fState & MFS_CHECKED) != 0;
  };
  const struct
  {
    bool learn, unlearn;
  } kStates[] = {{true, false}, {true, true}, {false, true}, {false, false}};
  for (const auto& s : kStates)
  {
    ShowLearnChecks(mBar, AppLearnState{s.learn, s.unlearn});
    EXPECT_EQ(checked(3), s.learn) << s.learn << s.unlearn;
    EXPECT_EQ(checked(4), s.unlearn) << s.learn << s.unlearn;
    EXPECT_FALSE(checked(5));
  }
}

TEST(AppCommandIds, IdsOutsideTheTableAndTheHighBitsMapToNothingOrTheLowId)
{
  const struct
  {
    int id;
    int index;
  } kIds[] = {{40033, 11}, {40034, 10}, {40054, 32}, {40035, -1}, {40036, -1}, {40059, -1}, {40063, -1}, {40024, -1},
              {0, -1},     {0x10000 | 40025, 1}, {0x10000, -1}, {40006, -1}, {40007, -1}, {40004, -1}};
  for (const auto& c : kIds) EXPECT_EQ(MenuCommandIndex(c.id), c.index) << c.id;
}
}  // namespace
