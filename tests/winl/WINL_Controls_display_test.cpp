// Native controls on the (virtual) display: the Preferences dialog's
// widgets get exactly their frames, also after long items; only the user's
// picks and typing reach the dialog; labels that ask for clicks report them;
// the dialog procedure colours text and paints owner-drawn buttons.
#include "winl/WINL_Controls.h"
#include "winl/WINL_Dialog.h"
#include "winl/draw/WINL_GDI.h"
#include "platform/gtk/PLAT_GtkTestKeys.h"

#include "PreferencesDialog.h"
#include "WinlGtkTest.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace
{
using WinlControlsGtk = WinlGtkTest;

HWND ShownPreferences()
{
  HWND d = WINL_CreateDialog(PreferencesResource(), PreferencesResource()->resid, nullptr, LoggingDlgProc, 0);
  ShowWindow(d, SW_SHOW);
  LoopUntil([d] { return PLAT_GtkTestIsViewable(WINL_GetNativeView(GetDlgItem(d, 2))); });
  PLAT_GtkTestSettle();
  return d;
}

// Runs the loop until done() holds (a minute at most), then a little
// more so that style changes are applied and what waits is painted.
template <class Done>
void SpinUntil(Done done)
{
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  for (int after = 0; after < 20;)
  {
    PLAT_GtkTestSettle();
    if (!PLAT_LoopIterate(false)) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    if (done() || std::chrono::steady_clock::now() > end) ++after;
  }
}

// A small dialog of its own, 200 x 100: two labels (the second asking for
// clicks), a check box, an editable combo and an owner-drawn button.
void CreateSampler(HWND hwnd, int)
{
  WINL_MakeSetCurParms(1.0f, 1.0f, 0, 0, hwnd, false, false);
  WINL_MakeLabel(-1, "MMMMMM", 10, 10, 10, 80, 20, 0);
  WINL_MakeLabel(-1, "MMMMMM", 11, 100, 10, 80, 20, SS_NOTIFY);
  WINL_MakeCheckBox("MMMM", 12, 10, 40, 80, 20, 0);
  WINL_MakeCombo(13, 100, 40, 80, 100, 0);
  WINL_MakeControl("", 14, "Button", BS_OWNERDRAW, 10, 70, 50, 20, 0);
}

WINL_DialogResourceIndex gSampler{reinterpret_cast<const char*>(uintptr_t{61}), "Sampler", 12, CreateSampler,
                                  200, 100, nullptr};

int gStaticColour = -1;      // what the procedure sets for WM_CTLCOLORSTATIC; -1 nothing
DRAWITEMSTRUCT gLastItem{};  // what the last WM_DRAWITEM carried

LRESULT SamplerProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
  MessageLog().push_back({h, m, w, l});
  if (m == WM_CTLCOLORSTATIC && gStaticColour >= 0) SetTextColor(reinterpret_cast<HDC>(w), gStaticColour);
  if (m != WM_DRAWITEM) return 0;
  gLastItem = *reinterpret_cast<const DRAWITEMSTRUCT*>(l);
  HBRUSH green = CreateSolidBrush(0x00FF00);
  WINL_FillRect(gLastItem.hDC, &gLastItem.rcItem, green);
  DeleteObject(green);
  return 1;
}

HWND ShownSampler()
{
  HWND d = WINL_CreateDialog(&gSampler, gSampler.resid, nullptr, SamplerProc, 0);
  ShowWindow(d, SW_SHOW);
  SpinUntil([d] { return PLAT_GtkTestIsViewable(WINL_GetNativeView(d)); });
  return d;
}

// The wParam and lParam of every WM_COMMAND to d, in order. A field's
// EN_SETFOCUS comes whenever the display gives the window the keyboard, so
// it is left out.
std::vector<std::pair<WPARAM, LPARAM>> Commands(HWND d)
{
  std::vector<std::pair<WPARAM, LPARAM>> out;
  for (const LoggedMessage& m : MessageLog())
    if (m.hwnd == d && m.msg == WM_COMMAND && (m.wParam >> 16) != EN_SETFOCUS) out.push_back({m.wParam, m.lParam});
  return out;
}

// Whether the rectangle of the dialog's picture holds a pixel of the colour.
bool HasPixel(HWND d, const RECT& r, uint32_t colour)
{
  int w = 0, h = 0;
  const std::vector<uint32_t> pixels = PLAT_GtkTestSnapshot(WINL_GetNativeView(d), &w, &h);
  for (int y = r.top; y < r.bottom && y < h; ++y)
    for (int x = r.left; x < r.right && x < w; ++x)
      if (pixels[static_cast<size_t>(y) * w + x] == colour) return true;
  return false;
}

void ExpectFrames(HWND dialog)
{
  struct Case { int x, y, w, h; } const kCases[] = {
      {5, 4, 300, 123}, {20, 25, 100, 20}, {180, 25, 120, 20}, {20, 43, 150, 18}, {180, 43, 120, 18},
      {20, 70, 100, 20}, {20, 88, 150, 18}, {192, 133, 50, 20}, {132, 133, 50, 20}, {252, 133, 50, 20},
  };
  int i = 0;
  for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT), ++i)
  {
    ASSERT_LT(i, 10);
    int x, y, w, h;
    ASSERT_TRUE(PLAT_GtkTestAllocation(WINL_GetNativeView(c), WINL_GetNativeView(dialog), &x, &y, &w, &h)) << i;
    EXPECT_EQ(x, kCases[i].x) << i;
    EXPECT_EQ(y, kCases[i].y) << i;
    EXPECT_EQ(w, kCases[i].w) << i;
    EXPECT_EQ(h, kCases[i].h) << i;
  }
  EXPECT_EQ(i, 10);
}

TEST_F(WinlControlsGtk, PreferencesWidgetsHoldTheirFramesWithLongItems)
{
  HWND d = ShownPreferences();
  ExpectFrames(d);
  const std::string longItem(100, 'W');
  for (int id : {40018, 40035, 40019})
  {
    WINL_CB_AddString(d, id, longItem.c_str());
    WINL_CB_SetCurSel(d, id, 0);
  }
  Pump(20);
  ExpectFrames(d);
}

TEST_F(WinlControlsGtk, OnlyTheUsersPickSendsSelChange)
{
  HWND d = ShownPreferences();
  HWND combo = GetDlgItem(d, 40018);
  // A port name that is not UTF-8 still shows.
  for (const char* t : {"off", "virtual input", "Port \xE9"}) SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t));
  SendMessage(combo, CB_SETCURSEL, 1, 0);
  SendMessage(combo, CB_RESETCONTENT, 0, 0);
  for (const char* t : {"off", "virtual input", "A"}) SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t));
  EXPECT_TRUE(MessagesTo(d, {WM_COMMAND}).empty());

  PLAT_GtkTestPickItem(WINL_GetNativeView(combo), 2);
  ASSERT_EQ(MessagesTo(d, {WM_COMMAND}).size(), 1u);
  for (const LoggedMessage& m : MessageLog())
    if (m.msg == WM_COMMAND)
    {
      EXPECT_EQ(m.wParam, (CBN_SELCHANGE << 16 | 40018u));
      EXPECT_EQ(m.lParam, reinterpret_cast<LPARAM>(combo));
    }
  EXPECT_EQ(SendMessage(combo, CB_GETCURSEL, 0, 0), 2);
}

TEST_F(WinlControlsGtk, DialogProcedureColoursLabelTextAtCreationAndOnUpdate)
{
  // atCreation -1: the procedure sets no colour
  struct Case { const char* name; int atCreation; int atUpdate; bool redAfterCreation; bool redAfterUpdate; }
  const kCases[] = {
      {"set, then none: the theme's colour comes back", 0xFF0000, -1, true, false},
      {"none, then set", -1, 0xFF0000, false, true},
  };
  const RECT kLabels[] = {{10, 10, 90, 30}, {100, 10, 180, 30}};
  for (const Case& c : kCases)
  {
    MessageLog().clear();
    gStaticColour = c.atCreation;
    HWND d = ShownSampler();
    // One question per kind of control, about the first of its kind.
    std::vector<std::pair<UINT, LPARAM>> asked;
    for (const LoggedMessage& m : MessageLog())
      if (m.msg == WM_CTLCOLORSTATIC || m.msg == WM_CTLCOLORBTN) asked.push_back({m.msg, m.lParam});
    EXPECT_EQ(asked, (std::vector<std::pair<UINT, LPARAM>>{
                         {WM_CTLCOLORSTATIC, reinterpret_cast<LPARAM>(GetDlgItem(d, 10))},
                         {WM_CTLCOLORBTN, reinterpret_cast<LPARAM>(GetDlgItem(d, 12))}}))
        << c.name;
    for (const RECT& r : kLabels) EXPECT_EQ(HasPixel(d, r, 0xFF0000), c.redAfterCreation) << c.name;

    gStaticColour = c.atUpdate;
    SendMessage(d, WM_DISPLAYCHANGE, 0, 0);
    SpinUntil([] { return true; });
    for (const RECT& r : kLabels) EXPECT_EQ(HasPixel(d, r, 0xFF0000), c.redAfterUpdate) << c.name;
    DestroyWindow(d);
  }
  gStaticColour = -1;
}

TEST_F(WinlControlsGtk, OnlyALabelAskingForClicksReportsThem)
{
  HWND d = ShownSampler();
  MessageLog().clear();
  // The plain label, then the one made with SS_NOTIFY.
  for (int x : {20, 110})
  {
    PLAT_GtkTestButton(WINL_GetNativeView(d), x, 15, 1, true);
    PLAT_GtkTestButton(WINL_GetNativeView(d), x, 15, 1, false);
  }
  SpinUntil([d] { return !Commands(d).empty(); });
  EXPECT_EQ(Commands(d), (std::vector<std::pair<WPARAM, LPARAM>>{
                             {STN_CLICKED << 16 | 11u, reinterpret_cast<LPARAM>(GetDlgItem(d, 11))}}));
}

TEST_F(WinlControlsGtk, ADoubleClickOnALabelAskingForClicksSendsDblClk)
{
  HWND d = ShownSampler();
  int x = 0, y = 0;
  ASSERT_TRUE(PLAT_GtkTestScreenPoint(WINL_GetNativeView(d), 110, 15, &x, &y));
  MessageLog().clear();
  // Away first: a move to where the pointer already is waits for nothing.
  const std::string cmd = "xdotool mousemove --sync 1 1 mousemove --sync " + std::to_string(x) + " " +
                          std::to_string(y) + " click --repeat 2 --delay 60 1";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  SpinUntil([d] { return Commands(d).size() >= 2; });
  const LPARAM label = reinterpret_cast<LPARAM>(GetDlgItem(d, 11));
  EXPECT_EQ(Commands(d), (std::vector<std::pair<WPARAM, LPARAM>>{{STN_CLICKED << 16 | 11u, label},
                                                                 {STN_DBLCLK << 16 | 11u, label}}));
}

// Three 200-unit-wide "OK" buttons with the size-to-fit flag on: made as a
// push button, as a "Button" control, and as an owner-drawn one.
void CreateWideButtons(HWND hwnd, int)
{
  WINL_MakeSetCurParms(1.0f, 1.0f, 0, 0, hwnd, false, true);
  WINL_MakeButton(0, "OK", 30, 10, 10, 200, 20, 0);
  WINL_MakeControl("OK", 31, "Button", 0, 10, 40, 200, 20, 0);
  WINL_MakeControl("OK", 32, "Button", BS_OWNERDRAW, 10, 70, 200, 20, 0);
}

WINL_DialogResourceIndex gWideButtons{reinterpret_cast<const char*>(uintptr_t{66}), "Wide", 12, CreateWideButtons,
                                      240, 100, nullptr};

TEST_F(WinlControlsGtk, OnlyButtonsMadeAsControlsAndNotOwnerDrawnAreSizedToFit)
{
  HWND d = WINL_CreateDialog(&gWideButtons, gWideButtons.resid, nullptr, LoggingDlgProc, 0);
  ASSERT_NE(d, nullptr);
  const auto width = [d](int id) {
    RECT r{};
    GetClientRect(GetDlgItem(d, id), &r);
    return r.right - r.left;
  };
  EXPECT_EQ(width(30), 200);
  EXPECT_LT(width(31), 200);
  EXPECT_GT(width(31), 0);
  EXPECT_EQ(width(32), 200);
}

// Radio buttons with check boxes among them, 200 x 160: 50 (a group's
// first), check box 51, 52, check box 53, 54.
void CreateRadios(HWND hwnd, int)
{
  WINL_MakeSetCurParms(1.0f, 1.0f, 0, 0, hwnd, false, false);
  WINL_MakeControl("A", 50, "Button", BS_AUTORADIOBUTTON | WS_GROUP, 10, 10, 80, 20, 0);
  WINL_MakeControl("c", 51, "Button", BS_AUTOCHECKBOX, 10, 35, 80, 20, 0);
  WINL_MakeControl("B", 52, "Button", BS_AUTORADIOBUTTON, 10, 60, 80, 20, 0);
  WINL_MakeControl("D", 53, "Button", BS_AUTOCHECKBOX, 10, 85, 80, 20, 0);
  WINL_MakeControl("E", 54, "Button", BS_AUTORADIOBUTTON, 10, 110, 80, 20, 0);
}

WINL_DialogResourceIndex gRadios{reinterpret_cast<const char*>(uintptr_t{67}), "Radios", 12, CreateRadios, 200, 160,
                                 nullptr};

// A real click in the middle of a dialog's control.
void ClickControl(HWND d, int id)
{
  PLAT_GtkView* v = WINL_GetNativeView(GetDlgItem(d, id));
  SpinUntil([v] { return PLAT_GtkTestIsViewable(v); });
  int x = 0, y = 0;
  ASSERT_TRUE(PLAT_GtkTestScreenPoint(v, 10, 10, &x, &y));
  const std::string cmd = "xdotool mousemove --sync 1 1 mousemove --sync " + std::to_string(x) + " " +
                          std::to_string(y) + " click 1";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
}

std::vector<LRESULT> Checks(HWND d)
{
  std::vector<LRESULT> out;
  for (int id = 50; id <= 54; ++id) out.push_back(SendMessage(GetDlgItem(d, id), BM_GETCHECK, 0, 0));
  return out;
}

TEST_F(WinlControlsGtk, RadioGroupsPassCheckBoxesAndARestyledCheckBoxStartsOne)
{
  HWND d = WINL_CreateDialog(&gRadios, gRadios.resid, nullptr, LoggingDlgProc, 0);
  ShowWindow(d, SW_SHOW);
  for (int id : {50, 51}) SendMessage(GetDlgItem(d, id), BM_SETCHECK, 1, 0);
  ClickControl(d, 52);
  SpinUntil([d] { return SendMessage(GetDlgItem(d, 52), BM_GETCHECK, 0, 0) == 1; });
  // The check box between them does not part 50 from 52; it keeps its mark.
  EXPECT_EQ(Checks(d), (std::vector<LRESULT>{0, 1, 1, 0, 0}));

  HWND box = GetDlgItem(d, 53);
  EXPECT_EQ(SetWindowLong(box, GWL_STYLE, BS_AUTORADIOBUTTON | WS_GROUP), BS_AUTOCHECKBOX | WS_CHILD);
  EXPECT_EQ(GetWindowLong(box, GWL_STYLE), BS_AUTORADIOBUTTON | WS_GROUP | WS_CHILD);
  SendMessage(GetDlgItem(d, 54), BM_SETCHECK, 1, 0);
  ClickControl(d, 53);
  SpinUntil([d] { return SendMessage(GetDlgItem(d, 53), BM_GETCHECK, 0, 0) == 1; });
  // 53 starts a group of its own: 54 goes off, 52 stays on.
  EXPECT_EQ(Checks(d), (std::vector<LRESULT>{0, 1, 1, 1, 0}));
  // A second click leaves an automatic radio button on: once the click is
  // told (BN_CLICKED of 53), the marks are as they were.
  MessageLog().clear();
  ClickControl(d, 53);
  const std::pair<WPARAM, LPARAM> clicked{BN_CLICKED << 16 | 53u, reinterpret_cast<LPARAM>(box)};
  SpinUntil([&] { return !Commands(d).empty(); });
  EXPECT_EQ(Commands(d), (std::vector<std::pair<WPARAM, LPARAM>>{clicked}));
  EXPECT_EQ(Checks(d), (std::vector<LRESULT>{0, 1, 1, 1, 0}));
}

TEST_F(WinlControlsGtk, OwnerDrawnButtonIsPaintedByTheDialogProcedure)
{
  gLastItem = {};
  HWND d = ShownSampler();
  int w = 0, h = 0;
  const std::vector<uint32_t> pixels = PLAT_GtkTestSnapshot(WINL_GetNativeView(d), &w, &h);
  ASSERT_EQ(w, 200);
  ASSERT_EQ(h, 100);
  struct Case { int x, y; uint32_t pixel; } const kCases[] = {
      {9, 70, 0xECECEC}, {10, 70, 0x00FF00}, {59, 89, 0x00FF00}, {60, 89, 0xECECEC}, {59, 90, 0xECECEC},
  };
  for (const Case& c : kCases) EXPECT_EQ(pixels[static_cast<size_t>(c.y) * w + c.x], c.pixel) << c.x << "," << c.y;
  const DRAWITEMSTRUCT& i = gLastItem;
  EXPECT_EQ((std::vector<LONG_PTR>{i.CtlType, i.CtlID, i.rcItem.left, i.rcItem.top, i.rcItem.right, i.rcItem.bottom}),
            (std::vector<LONG_PTR>{4, 14, 0, 0, 50, 20}));
  EXPECT_EQ(i.hwndItem, GetDlgItem(d, 14));
}

TEST_F(WinlControlsGtk, TypingInAnEditableComboSendsEditChange)
{
  HWND d = ShownSampler();
  HWND combo = GetDlgItem(d, 13);
  SetFocus(combo);
  SpinUntil([] { return true; });
  MessageLog().clear();
  for (char c : {'a', 'b'})
  {
    PLAT_GtkTestKey(WINL_GetNativeView(d), c, true);
    PLAT_GtkTestKey(WINL_GetNativeView(d), c, false);
  }
  SpinUntil([d] { return Commands(d).size() >= 2; });
  const std::pair<WPARAM, LPARAM> change{CBN_EDITCHANGE << 16 | 13u, reinterpret_cast<LPARAM>(combo)};
  EXPECT_EQ(Commands(d), (std::vector<std::pair<WPARAM, LPARAM>>{change, change}));
  char text[8] = {};
  GetDlgItemText(d, 13, text, sizeof text);
  EXPECT_STREQ(text, "ab");
  // The program's own change is not the user's.
  MessageLog().clear();
  SetDlgItemText(d, 13, "xyz");
  SpinUntil([] { return true; });
  EXPECT_TRUE(Commands(d).empty());
}

TEST_F(WinlControlsGtk, AComboOpenedWithThePointerSendsDropDown)
{
  HWND d = ShownPreferences();
  HWND combo = GetDlgItem(d, 40019);
  for (const char* t : {"off", "virtual output"}) SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t));
  MessageLog().clear();
  int x = 0, y = 0;
  ASSERT_TRUE(PLAT_GtkTestScreenPoint(WINL_GetNativeView(combo), 20, 9, &x, &y));
  const std::string click = "xdotool mousemove --sync " + std::to_string(x) + " " + std::to_string(y) + " click 1";
  ASSERT_EQ(std::system(click.c_str()), 0);
  SpinUntil([d] { return !Commands(d).empty(); });
  EXPECT_EQ(Commands(d), (std::vector<std::pair<WPARAM, LPARAM>>{
                             {CBN_DROPDOWN << 16 | 40019u, reinterpret_cast<LPARAM>(combo)}}));
  // Closing the list without a pick says nothing more: once the list is
  // shown and then gone again, the drop-down is all that was told.
  SpinUntil([] { return PLAT_GtkTestShownPopupCount() > 0; });
  ASSERT_GT(PLAT_GtkTestShownPopupCount(), 0);
  ASSERT_EQ(std::system("xdotool key Escape"), 0);
  SpinUntil([] { return PLAT_GtkTestShownPopupCount() == 0; });
  EXPECT_EQ(PLAT_GtkTestShownPopupCount(), 0);
  EXPECT_EQ(Commands(d).size(), 1u);
  // The program's own selection opens nothing.
  MessageLog().clear();
  SendMessage(combo, CB_SETCURSEL, 1, 0);
  SpinUntil([] { return true; });
  EXPECT_TRUE(Commands(d).empty());
}

// Three one-line fields, 200 x 100.
void CreateFields(HWND hwnd, int)
{
  WINL_MakeSetCurParms(1.0f, 1.0f, 0, 0, hwnd, false, false);
  WINL_MakeEditField(20, 10, 10, 80, 20, 0);
  WINL_MakeEditField(21, 100, 10, 80, 20, 0);
  WINL_MakeEditField(22, 10, 40, 170, 20, 0);
}

WINL_DialogResourceIndex gFields{reinterpret_cast<const char*>(uintptr_t{62}), "Fields", 12, CreateFields, 200, 100,
                                 nullptr};

TEST_F(WinlControlsGtk, TabOutOfAFieldSendsKillFocus)
{
  HWND d = WINL_CreateDialog(&gFields, gFields.resid, nullptr, LoggingDlgProc, 0);
  ShowWindow(d, SW_SHOW);
  SpinUntil([d] { return PLAT_GtkTestIsViewable(WINL_GetNativeView(GetDlgItem(d, 22))); });
  // field left, what WM_COMMANDs its parent hears, and the field Tab goes to
  struct Case { int from; std::vector<UINT> codes; int to; } const kCases[] = {
      {20, {EN_KILLFOCUS}, 21},
      {21, {EN_KILLFOCUS}, 22},
  };
  for (const Case& c : kCases)
  {
    SetFocus(GetDlgItem(d, c.from));
    SpinUntil([] { return true; });
    MessageLog().clear();
    ASSERT_TRUE(PLAT_GtkTestKeyval(WINL_GetNativeView(d), 0xFF09, 0, true));
    ASSERT_TRUE(PLAT_GtkTestKeyval(WINL_GetNativeView(d), 0xFF09, 0, false));
    SpinUntil([&] { return !Commands(d).empty(); });
    std::vector<std::pair<WPARAM, LPARAM>> want;
    for (UINT code : c.codes)
      want.push_back({code << 16 | static_cast<unsigned>(c.from), reinterpret_cast<LPARAM>(GetDlgItem(d, c.from))});
    EXPECT_EQ(Commands(d), want) << c.from;
    SpinUntil([&] { return GetFocus() == GetDlgItem(d, c.to); });
    EXPECT_EQ(GetFocus(), GetDlgItem(d, c.to)) << c.from;
  }
  // Tab from the last control goes round to the first.
  MessageLog().clear();
  ASSERT_TRUE(PLAT_GtkTestKeyval(WINL_GetNativeView(d), 0xFF09, 0, true));
  ASSERT_TRUE(PLAT_GtkTestKeyval(WINL_GetNativeView(d), 0xFF09, 0, false));
  SpinUntil([&] { return GetFocus() == GetDlgItem(d, 20); });
  EXPECT_EQ(GetFocus(), GetDlgItem(d, 20));
  EXPECT_EQ(Commands(d), (std::vector<std::pair<WPARAM, LPARAM>>{
                             {EN_KILLFOCUS << 16 | 22u, reinterpret_cast<LPARAM>(GetDlgItem(d, 22))}}));
}

// Tabs and a slider, 300 x 150; the procedure keeps every WM_NOTIFY's
// header, which lives only during the message.
std::vector<NMHDR> gNotes;

LRESULT RangesProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
  MessageLog().push_back({h, m, w, l});
  if (m == WM_NOTIFY) gNotes.push_back(*reinterpret_cast<const NMHDR*>(l));
  return 0;
}

void CreateRanges(HWND hwnd, int)
{
  WINL_MakeSetCurParms(1.0f, 1.0f, 0, 0, hwnd, false, false);
  WINL_MakeControl("", 40, "SysTabControl32", 0, 10, 10, 280, 60, 0);
  WINL_MakeControl("", 41, "msctls_trackbar32", 0, 10, 100, 200, 30, 0);
}

WINL_DialogResourceIndex gRanges{reinterpret_cast<const char*>(uintptr_t{64}), "Ranges", 12, CreateRanges, 300, 150,
                                 nullptr};

TEST_F(WinlControlsGtk, TheUsersTabAndSliderChangesNotifyTheProgramsDoNot)
{
  gNotes.clear();
  HWND d = WINL_CreateDialog(&gRanges, gRanges.resid, nullptr, RangesProc, 0);
  HWND tabs = GetDlgItem(d, 40);
  HWND slider = GetDlgItem(d, 41);
  TCITEM item{};
  item.mask = TCIF_TEXT;
  for (const char* t : {"Osc", "Filter", "Amp"})
  {
    item.pszText = t;
    TabCtrl_InsertItem(tabs, 9, &item);
  }
  WINL_TB_SetRange(d, 41, 0, 100);
  ShowWindow(d, SW_SHOW);
  SpinUntil([d] { return PLAT_GtkTestIsViewable(WINL_GetNativeView(GetDlgItem(d, 41))); });
  // The program's own changes.
  TabCtrl_SetCurSel(tabs, 1);
  WINL_TB_SetPos(d, 41, 30);
  SpinUntil([] { return true; });
  EXPECT_TRUE(gNotes.empty());
  EXPECT_TRUE(MessagesTo(d, {WM_HSCROLL}).empty());
  // The user's.
  MessageLog().clear();
  PLAT_GtkTestPickItem(WINL_GetNativeView(tabs), 2);
  SpinUntil([] { return !gNotes.empty(); });
  ASSERT_EQ(gNotes.size(), 1u);
  EXPECT_EQ(gNotes[0].hwndFrom, tabs);
  EXPECT_EQ(gNotes[0].idFrom, 40u);
  EXPECT_EQ(static_cast<int>(gNotes[0].code), -551);
  for (const LoggedMessage& m : MessageLog())
    if (m.msg == WM_NOTIFY)
    {
      EXPECT_EQ(m.wParam, 40u);
    }
  EXPECT_EQ(TabCtrl_GetCurSel(tabs), 2);
  PLAT_GtkTestPickItem(WINL_GetNativeView(slider), 70);
  SpinUntil([d] { return !MessagesTo(d, {WM_HSCROLL}).empty(); });
  ASSERT_EQ(MessagesTo(d, {WM_HSCROLL}).size(), 1u);
  for (const LoggedMessage& m : MessageLog())
    if (m.msg == WM_HSCROLL)
    {
      EXPECT_EQ(m.wParam, 0u);
      EXPECT_EQ(m.lParam, reinterpret_cast<LPARAM>(slider));
    }
  EXPECT_EQ(WINL_TB_GetPos(d, 41), 70);
}

// A label, a button and a combo made at the x scale of gScale.
float gScale = 1.0f;

void CreateScaled(HWND hwnd, int)
{
  WINL_MakeSetCurParms(gScale, 1.0f, 0, 0, hwnd, false, false);
  WINL_MakeLabel(-1, "Label", 50, 5, 5, 50, 15, 0);
  WINL_MakeButton(0, "Push", 51, 5, 25, 50, 15, 0);
  WINL_MakeCombo(52, 5, 45, 50, 60, 3);
}

TEST_F(WinlControlsGtk, ControlFontsFollowTheXScale)
{
  static WINL_DialogResourceIndex res{reinterpret_cast<const char*>(uintptr_t{65}), "Scaled", 12, CreateScaled, 220,
                                      120, nullptr};
  // x scale; then the label's, the button's and the combo's text size in
  // pixels (from 1.81 on the controls' own, 11 in the test theme). The
  // scale comes as a 32-bit float: 1.81f lies just below 1.81.
  struct Case { float scale; double label, button, combo; } const kCases[] = {
      {0.5f, 8, 8, 10},    {0.99f, 8, 8, 10},    {1.0f, 10, 10, 10}, {1.8f, 10, 10, 10},
      {1.81f, 10, 10, 10}, {1.82f, 11, 11, 10}, {2.0f, 11, 11, 10},
  };
  for (const Case& c : kCases)
  {
    gScale = c.scale;
    HWND d = WINL_CreateDialog(&res, res.resid, nullptr, LoggingDlgProc, 0);
    ShowWindow(d, SW_SHOW);
    SpinUntil([d] { return PLAT_GtkTestIsViewable(WINL_GetNativeView(GetDlgItem(d, 52))); });
    EXPECT_EQ(PLAT_GtkTestFontSize(WINL_GetNativeView(GetDlgItem(d, 50))), c.label) << c.scale;
    EXPECT_EQ(PLAT_GtkTestFontSize(WINL_GetNativeView(GetDlgItem(d, 51))), c.button) << c.scale;
    EXPECT_EQ(PLAT_GtkTestFontSize(WINL_GetNativeView(GetDlgItem(d, 52))), c.combo) << c.scale;
    DestroyWindow(d);
  }
  gScale = 1.0f;
}

// A row that lets a growing label push its neighbour: a label sized to its
// long text, a button close after it on the same row, a button far to the
// right of it, and a button on the next row.
void CreateRow(HWND hwnd, int)
{
  WINL_MakeSetCurParms(1.0f, 1.0f, 0, 0, hwnd, true, true);
  WINL_MakeLabel(-1, "A label whose text is long", 70, 10, 10, 40, 20, 0);
  WINL_MakeButton(0, "Near", 71, 60, 10, 40, 20, 0);
  WINL_MakeLabel(-1, "Another long label text", 72, 10, 40, 40, 20, 0);
  WINL_MakeButton(0, "Far", 73, 90, 40, 40, 20, 0);
  WINL_MakeButton(0, "Below", 74, 60, 70, 40, 20, 0);
}

int LeftOf(HWND dialog, int id)
{
  int x = 0, y = 0, w = 0, h = 0;
  PLAT_GtkTestAllocation(WINL_GetNativeView(GetDlgItem(dialog, id)), WINL_GetNativeView(dialog), &x, &y, &w, &h);
  return x;
}

int RightOf(HWND dialog, int id)
{
  int x = 0, y = 0, w = 0, h = 0;
  PLAT_GtkTestAllocation(WINL_GetNativeView(GetDlgItem(dialog, id)), WINL_GetNativeView(dialog), &x, &y, &w, &h);
  return x + w;
}

TEST_F(WinlControlsGtk, AutoRowMovesTheNextControlByTheLabelsGrowth)
{
  static WINL_DialogResourceIndex res{reinterpret_cast<const char*>(uintptr_t{66}), "Row", 12, CreateRow, 400, 120,
                                      nullptr};
  HWND d = WINL_CreateDialog(&res, res.resid, nullptr, LoggingDlgProc, 0);
  ShowWindow(d, SW_SHOW);
  SpinUntil([d] { return PLAT_GtkTestIsViewable(WINL_GetNativeView(GetDlgItem(d, 74))); });
  // The labels grew to their texts, well past the 40 units asked for.
  const int growth = RightOf(d, 70) - 50;
  ASSERT_GT(growth, 20);
  // Within 32 of the label's asked-for right edge and on its row: moved by
  // the growth. 40 away: not moved. On the next row: not moved.
  EXPECT_EQ(LeftOf(d, 71), 60 + growth);
  EXPECT_EQ(LeftOf(d, 73), 90);
  EXPECT_EQ(LeftOf(d, 74), 60);
}

// A text view of several lines, 200 x 100.
void CreateNotes(HWND hwnd, int)
{
  WINL_MakeSetCurParms(1.0f, 1.0f, 0, 0, hwnd, false, false);
  WINL_MakeEditField(80, 10, 10, 180, 60, WS_VSCROLL);
}

TEST_F(WinlControlsGtk, ATextViewTakesAFontAndScrollsToItsEnds)
{
  static WINL_DialogResourceIndex res{reinterpret_cast<const char*>(uintptr_t{67}), "Notes", 12, CreateNotes, 200,
                                      100, nullptr};
  HWND d = WINL_CreateDialog(&res, res.resid, nullptr, LoggingDlgProc, 0);
  HWND notes = GetDlgItem(d, 80);
  std::string text;
  for (int i = 0; i < 60; ++i) text += "line " + std::to_string(i) + "\n";
  SetDlgItemText(d, 80, text.c_str());
  ShowWindow(d, SW_SHOW);
  SpinUntil([notes] { return PLAT_GtkTestIsViewable(WINL_GetNativeView(notes)); });
  double value = -1, largest = -1;
  // wParam of EM_SCROLL, then where the view stands: 7 the end, 6 the
  // start, anything else where it was
  struct Case { WPARAM code; bool atEnd; } const kCases[] = {{7, true}, {1, true}, {6, false}, {8, false}, {7, true}};
  for (const Case& c : kCases)
  {
    EXPECT_EQ(SendMessage(notes, EM_SCROLL, c.code, 0), 0);
    SpinUntil([] { return true; });
    ASSERT_TRUE(PLAT_GtkTestTextScroll(WINL_GetNativeView(notes), &value, &largest));
    ASSERT_GT(largest, 100);
    EXPECT_EQ(value, c.atEnd ? largest : 0) << c.code;
  }
  HFONT bold = CreateFont(20, 0, 0, 0, 700, 0, 0, 0, 0, 0, 0, 0, 0, "DejaVu Sans");
  EXPECT_EQ(SendMessage(notes, WM_SETFONT, reinterpret_cast<WPARAM>(bold), 1), 0);
  std::string family;
  int weight = 0;
  ASSERT_TRUE(PLAT_GtkTestFontFace(WINL_GetNativeView(notes), &family, &weight));
  EXPECT_EQ(family, "DejaVu Sans");
  EXPECT_EQ(weight, 700);
  EXPECT_EQ(PLAT_GtkTestFontSize(WINL_GetNativeView(notes)), 20);
  // Not a font: nothing changes.
  EXPECT_EQ(SendMessage(notes, WM_SETFONT, 1234, 1), 0);
  EXPECT_EQ(PLAT_GtkTestFontSize(WINL_GetNativeView(notes)), 20);
  DeleteObject(bold);
}

// Two push buttons, the second with style bit 0x20.
void CreatePictureButtons(HWND hwnd, int)
{
  WINL_MakeSetCurParms(1.0f, 1.0f, 0, 0, hwnd, false, false);
  WINL_MakeControl("Left", 90, "Button", 0, 10, 10, 80, 30, 0);
  WINL_MakeControl("Right", 91, "Button", 0x20, 100, 10, 80, 30, 0);
}

TEST_F(WinlControlsGtk, ButtonPicturesShowBesideTheCaption)
{
  static WINL_DialogResourceIndex res{reinterpret_cast<const char*>(uintptr_t{68}), "Pictures", 12,
                                      CreatePictureButtons, 200, 60, nullptr};
  HWND d = WINL_CreateDialog(&res, res.resid, nullptr, LoggingDlgProc, 0);
  HBITMAP bitmap = CreateBitmap(12, 9, 1, 32, nullptr);
  ShowWindow(d, SW_SHOW);
  SpinUntil([d] { return PLAT_GtkTestIsViewable(WINL_GetNativeView(GetDlgItem(d, 91))); });
  struct Case { int id; bool right; } const kCases[] = {{90, false}, {91, true}};
  for (const Case& c : kCases)
  {
    HWND button = GetDlgItem(d, c.id);
    int width = 0, height = 0;
    bool right = !c.right;
    EXPECT_FALSE(PLAT_GtkTestButtonImage(WINL_GetNativeView(button), &width, &height, &right)) << c.id;
    SendMessage(button, BM_SETIMAGE, 0, reinterpret_cast<LPARAM>(bitmap));
    ASSERT_TRUE(PLAT_GtkTestButtonImage(WINL_GetNativeView(button), &width, &height, &right)) << c.id;
    EXPECT_EQ((std::vector<int>{width, height}), (std::vector<int>{12, 9})) << c.id;
    EXPECT_EQ(right, c.right) << c.id;
    SendMessage(button, BM_SETIMAGE, 0, 0);
    EXPECT_FALSE(PLAT_GtkTestButtonImage(WINL_GetNativeView(button), &width, &height, &right)) << c.id;
  }
  DestroyWindow(d);
  DeleteObject(bitmap);
}
}  // namespace

TEST_F(WinlControlsGtk, PreferencesFocusStartsAtTheFirstCombo)
{
  HWND d = ShownPreferences();
  HWND first = GetDlgItem(d, 40018);
  ASSERT_NE(first, nullptr);
  std::vector<WPARAM> init;
  for (const LoggedMessage& m : MessageLog())
    if (m.hwnd == d && m.msg == WM_INITDIALOG) init.push_back(m.wParam);
  // The group box and the labels before it cannot hold the keyboard.
  EXPECT_EQ(init, (std::vector<WPARAM>{reinterpret_cast<WPARAM>(first)}));
  SpinUntil([&] { return GetFocus() == first; });
  EXPECT_EQ(GetFocus(), first);
  // Tab goes on to the next combo.
  ASSERT_TRUE(PLAT_GtkTestKeyval(WINL_GetNativeView(d), 0xFF09, 0, true));
  ASSERT_TRUE(PLAT_GtkTestKeyval(WINL_GetNativeView(d), 0xFF09, 0, false));
  SpinUntil([&] { return GetFocus() == GetDlgItem(d, 40035); });
  EXPECT_EQ(GetFocus(), GetDlgItem(d, 40035));
}
