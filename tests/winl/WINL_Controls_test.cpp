// Native controls without a display: frames from dialog units, the combo
// box's items and its bounded reads, text selections, dialog-item numbers,
// check states and sliders. The records hold all of it; no widget is made.
#include "winl/WINL_Controls.h"
#include "winl/WINL_Dialog.h"
#include "winl/WINL_Queue.h"
#include "winl/draw/WINL_GDI.h"

#include "PreferencesDialog.h"
#include "WinlMessageLog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace
{
class WinlControls : public ::testing::Test
{
protected:
  void SetUp() override
  {
    WINL_Internal_PostMessage_Init();
    MessageLog().clear();
    dialog = WINL_CreateDialog(PreferencesResource(), PreferencesResource()->resid, nullptr, LoggingDlgProc, 0);
    ASSERT_NE(dialog, nullptr);
    // The controls a test makes go into the dialog.
    WINL_MakeSetCurParms(1, 1, 0, 0, dialog, false, false);
  }
  void TearDown() override
  {
    EnumWindows([](HWND h, LPARAM) { return DestroyWindow(h); }, 0);
    WINL_MessageQueue_Flush();
  }
  HWND Combo() { return GetDlgItem(dialog, 40018); }
  LRESULT Send(UINT msg, WPARAM w, const char* text)
  {
    return SendMessage(Combo(), msg, w, reinterpret_cast<LPARAM>(text));
  }
  HWND dialog = nullptr;
};

RECT Frame(HWND h)
{
  RECT r{};
  GetWindowRect(h, &r);
  POINT p{r.left, r.top};
  ScreenToClient(GetParent(h), &p);
  return {p.x, p.y, p.x + (r.right - r.left), p.y + (r.top - r.bottom)};
}

// ---- layout ----

// The controls' frames are checked against the widgets on the display.
TEST_F(WinlControls, DefaultButtonIsTheEnabledOne)
{
  EXPECT_EQ(WINL_GetDefaultButtonID(dialog, true), 1);
  EnableWindow(GetDlgItem(dialog, 1), FALSE);
  EXPECT_EQ(WINL_GetDefaultButtonID(dialog, true), 0);
  EXPECT_EQ(WINL_GetDefaultButtonID(dialog, false), 1);
}

TEST_F(WinlControls, MakersPlaceTextsAndFramesByTheLayoutRules)
{
  WINL_MakeSetCurParms(2.0f, 1.5f, 1, 0, dialog, false, false);
  // want: left, top, width, height
  struct Case { const char* name; const char* text; int x, y, w, h; RECT want; const char* shown; } const kCases[] = {
      {"scaled and translated", "&Open", 10, 10, 20, 10, {22, 15, 40, 15}, "Open"},
      {"two ampersands show one", "A&&B", 0, 0, 1, 1, {2, 0, 2, 2}, "A&B"},
      {"negative size is taken as it is", "x", -7, -9, -30, -12, {7, 9, 30, 12}, "x"},
      {"huge units are clamped", "y", 2000000000, 0, 2000000000, 1, {1000000, 0, 1000000, 2}, "y"},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(c.name);
    HWND label = WINL_MakeLabel(-1, c.text, -1, c.x, c.y, c.w, c.h, 0);
    const RECT r = Frame(label);
    EXPECT_EQ(r.left, c.want.left);
    EXPECT_EQ(r.top, c.want.top);
    EXPECT_EQ(r.right - r.left, c.want.right);
    EXPECT_EQ(r.bottom - r.top, c.want.bottom);
    char text[16];
    GetWindowText(label, text, sizeof text);
    EXPECT_STREQ(text, c.shown);
  }
  EXPECT_EQ(WINL_MakeControl("z", 5, "NoSuchClass", 0, 0, 0, 10, 10, 0), nullptr);
  const WINL_DlgResourceEntry unnamed{"text", 6, "", 0, 0, 0, 10, 10, 0};
  const int before = WINL_GetWindowRecordCount();
  WINL_GenerateDialogFromList(&unnamed, 1);
  EXPECT_EQ(WINL_GetWindowRecordCount(), before);
}

// A dialog made while another is being built must not leave the outer
// one's remaining controls in the inner dialog.
HWND gInner = nullptr;
void CreateOuter(HWND hwnd, int)
{
  WINL_MakeSetCurParms(1, 1, 0, 0, hwnd, false, false);
  WINL_MakeButton(0, "first", 11, 0, 0, 10, 10, 0);
  gInner = WINL_CreateDialog(PreferencesResource(), PreferencesResource()->resid, nullptr, nullptr, 0);
  WINL_MakeButton(0, "second", 12, 0, 0, 10, 10, 0);
}

TEST_F(WinlControls, FindWindowExFindsControlsByClassAndCaption)
{
  // The dialog's children in creation order: group, two labels, two
  // combos, a label, a combo, then OK, Apply and Cancel.
  HWND ok = GetDlgItem(dialog, 1);
  HWND cancel = GetDlgItem(dialog, 2);
  HWND group = FindWindowEx(dialog, nullptr, "Button", "MIDI Settings");
  ASSERT_NE(group, nullptr);
  HWND label1 = FindWindowEx(dialog, nullptr, "Static", nullptr);
  ASSERT_NE(label1, nullptr);
  HWND label2 = FindWindowEx(dialog, label1, "Static", nullptr);
  HWND label3 = FindWindowEx(dialog, nullptr, "static", "Output Device");
  struct Case { const char* name; HWND after; const char* cls; const char* title; HWND want; } const kCases[] = {
      {"OK by class and caption", nullptr, "Button", "OK", ok},
      {"OK by caption alone", nullptr, nullptr, "OK", ok},
      {"class without regard to case", nullptr, "BUTTON", "Cancel", cancel},
      {"the first button is the group box", nullptr, "Button", nullptr, group},
      {"after the group box", group, "Button", nullptr, ok},
      {"after Cancel, none", cancel, "Button", nullptr, nullptr},
      {"a label by caption", nullptr, "Static", "Keyboard Input Device", label2},
      {"the third label after the second", label2, "Static", nullptr, label3},
      {"the first combo", nullptr, "ComboBox", nullptr, GetDlgItem(dialog, 40018)},
      {"a caption of another class", nullptr, "Static", "OK", nullptr},
      {"a caption differing in case", nullptr, "Button", "ok", nullptr},
      {"an unknown class", nullptr, "Edit", nullptr, nullptr},
  };
  for (const Case& c : kCases) EXPECT_EQ(FindWindowEx(dialog, c.after, c.cls, c.title), c.want) << c.name;
  EXPECT_NE(label2, nullptr);
  EXPECT_NE(label3, nullptr);
  EXPECT_NE(label3, label2);
}

TEST_F(WinlControls, NestedCreationKeepsTheOuterLayout)
{
  WINL_DialogResourceIndex outer{reinterpret_cast<const char*>(uintptr_t{7}), "outer", 12, CreateOuter, 50, 50,
                                 nullptr};
  HWND o = WINL_CreateDialog(&outer, outer.resid, nullptr, nullptr, 0);
  EXPECT_NE(GetDlgItem(o, 12), nullptr);
  EXPECT_EQ(GetDlgItem(gInner, 12), nullptr);
}

// ---- combo boxes ----

TEST_F(WinlControls, ComboAddsFindsAndSelectsWithoutTellingTheDialog)
{
  EXPECT_EQ(Send(CB_ADDSTRING, 0, "off"), 0);
  EXPECT_EQ(Send(CB_ADDSTRING, 0, "virtual input"), 1);
  EXPECT_EQ(Send(CB_ADDSTRING, 0, "A"), 2);
  struct Case { UINT msg; int start; const char* text; LRESULT want; } const kCases[] = {
      {CB_FINDSTRINGEXACT, -1, "VIRTUAL INPUT", 1}, {CB_FINDSTRINGEXACT, 0, "off", -1},
      {CB_FINDSTRINGEXACT, 1, "a", 2},              {CB_FINDSTRINGEXACT, 2, "a", -1},
      {CB_FINDSTRING, -1, "VIR", 1},                {CB_FINDSTRING, -1, nullptr, -1},
      {CB_FINDSTRINGEXACT, -1, "virtual", -1},
  };
  for (const Case& c : kCases) EXPECT_EQ(Send(c.msg, static_cast<WPARAM>(c.start), c.text), c.want) << c.text;
  EXPECT_EQ(Send(CB_GETCURSEL, 0, nullptr), -1);
  Send(CB_SETCURSEL, 1, nullptr);
  EXPECT_EQ(Send(CB_GETCURSEL, 0, nullptr), 1);
  Send(CB_SETCURSEL, 3, nullptr);
  EXPECT_EQ(Send(CB_GETCURSEL, 0, nullptr), -1);
  EXPECT_TRUE(MessagesTo(dialog, {WM_COMMAND}).empty());
  Send(CB_RESETCONTENT, 0, nullptr);
  EXPECT_EQ(Send(CB_GETCOUNT, 0, nullptr), 0);
}

TEST_F(WinlControls, MissingComboAnswersMinusOne)
{
  EXPECT_EQ(WINL_CB_InsertString(dialog, 555, 0, "x"), -1);
  EXPECT_EQ(WINL_CB_FindString(dialog, 555, -1, "x", true), -1);
  EXPECT_EQ(WINL_CB_GetCurSel(dialog, 555), -1);
}

TEST_F(WinlControls, SortedComboPlacesItemsInOrder)
{
  HWND sorted = WINL_MakeCombo(77, 0, 0, 50, 0, CBS_DROPDOWNLIST | CBS_SORT);
  for (const char* t : {"a", "c", "b"}) SendMessage(sorted, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t));
  char text[4];
  for (int i = 0; i < 3; ++i)
  {
    WINL_CB_GetItemText(dialog, 77, i, text, sizeof text);
    EXPECT_EQ(text[0], "abc"[i]);
  }
}

// The opened list is never narrower than its field (a combo made 50 pixels
// wide); a wider least width is kept and answered.
TEST_F(WinlControls, DroppedWidthIsAtLeastTheField)
{
  HWND combo = WINL_MakeCombo(78, 0, 0, 50, 0, CBS_DROPDOWNLIST);
  EXPECT_EQ(SendMessage(combo, CB_GETDROPPEDWIDTH, 0, 0), 50);
  struct Case { WPARAM asked; LRESULT width; } const kCases[] = {{0, 50}, {49, 50}, {50, 50}, {51, 51}, {400, 400}};
  for (const Case& c : kCases)
  {
    EXPECT_EQ(SendMessage(combo, CB_SETDROPPEDWIDTH, c.asked, 0), c.width) << c.asked;
    EXPECT_EQ(SendMessage(combo, CB_GETDROPPEDWIDTH, 0, 0), c.width) << c.asked;
  }
}

TEST_F(WinlControls, ItemTextReadsStayInsideTheBuffer)
{
  const std::string longName(300, 'p');
  Send(CB_ADDSTRING, 0, longName.c_str());
  // A port-name field of 100 bytes, with nothing after it for the sanitizer
  // to forgive.
  auto field = std::make_unique<char[]>(100);
  EXPECT_EQ(WINL_CB_GetItemText(dialog, 40018, 0, field.get(), 100), 1);
  EXPECT_EQ(std::strlen(field.get()), 99u);

  const LRESULT len = Send(CB_GETLBTEXTLEN, 0, nullptr);
  EXPECT_EQ(len, 364);
  auto exact = std::make_unique<char[]>(301);
  EXPECT_EQ(SendMessage(Combo(), CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(exact.get())), 1);
  EXPECT_EQ(exact.get()[299], 'p');
  EXPECT_EQ(exact.get()[300], 0);

  char untouched = 'u';
  EXPECT_EQ(WINL_CB_GetItemText(dialog, 40018, 0, &untouched, 0), -1);
  EXPECT_EQ(untouched, 'u');
  EXPECT_EQ(WINL_CB_GetItemText(dialog, 40018, 1, field.get(), 100), -1);
  EXPECT_EQ(field.get()[0], 0);
}

// ---- text fields and dialog items ----

TEST_F(WinlControls, SelectionEndsAreClampedAndOrdered)
{
  HWND edit = WINL_MakeEditField(300, 0, 0, 80, 18, 0);
  SetDlgItemText(dialog, 300, "hello");  // five characters
  struct Case { int start, end, wantStart, wantEnd; } const kCases[] = {
      {1, 3, 1, 3}, {-1, 4, 0, 0}, {2, -1, 2, 5}, {4, 6, 4, 5}, {4, 5, 4, 5},
      {4, 4, 4, 4}, {6, 9, 5, 5},  {4, 1, 1, 4}, {-5, 2, 0, 2},
  };
  for (const Case& c : kCases)
  {
    SendMessage(edit, EM_SETSEL, static_cast<WPARAM>(c.start), c.end);
    int start = -9, end = -9;
    SendMessage(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, c.wantStart) << c.start << "," << c.end;
    EXPECT_EQ(end, c.wantEnd) << c.start << "," << c.end;
  }
  EXPECT_EQ(MessagesTo(dialog, {WM_COMMAND}).size(), 1u);  // EN_CHANGE from SetDlgItemText
}

TEST_F(WinlControls, DialogItemNumbersAreCheckedAgainstTheirRange)
{
  WINL_MakeEditField(301, 0, 0, 80, 18, 0);
  struct Case { const char* text; BOOL isSigned; UINT want; BOOL ok; } const kCases[] = {
      {"  42", TRUE, 42, TRUE},           {"\t-7", TRUE, static_cast<UINT>(-7), TRUE},
      {"-7", FALSE, 0, FALSE},            {"2147483647", TRUE, 2147483647u, TRUE},
      {"2147483648", TRUE, 0, FALSE},     {"-2147483648", TRUE, 0x80000000u, TRUE},
      {"-2147483649", TRUE, 0, FALSE},    {"2147483647", FALSE, 2147483647u, TRUE},
      {"2147483648", FALSE, 0, FALSE},    {"12abc", TRUE, 12, TRUE},
      {"", TRUE, 0, FALSE},               {"0", FALSE, 0, TRUE},
      {"0abc", TRUE, 0, TRUE},            {"abc", TRUE, 0, FALSE},
      {"-0", TRUE, 0, FALSE},             {" 0", FALSE, 0, TRUE},
      {"99999999999999999999", TRUE, 0, FALSE},
  };
  for (const Case& c : kCases)
  {
    SetDlgItemText(dialog, 301, c.text);
    BOOL ok = 2;
    EXPECT_EQ(GetDlgItemInt(dialog, 301, &ok, c.isSigned), c.want) << c.text;
    EXPECT_EQ(ok, c.ok) << c.text;
  }
  SetDlgItemInt(dialog, 301, static_cast<UINT>(-12), TRUE);
  char text[8] = "xxxxxxx";
  EXPECT_FALSE(GetDlgItemText(dialog, 301, text, 0));
  EXPECT_EQ(text[0], 'x');
  EXPECT_TRUE(GetDlgItemText(dialog, 301, text, 3));
  EXPECT_STREQ(text, "-1");
  EXPECT_FALSE(GetDlgItemText(dialog, 999, text, sizeof text));
  EXPECT_STREQ(text, "");
}

TEST_F(WinlControls, SetDlgItemTextReportsOnlyEditableOneLineFields)
{
  WINL_MakeEditField(310, 0, 0, 100, 20, 0);
  WINL_MakeEditField(311, 0, 30, 100, 20, ES_READONLY);
  WINL_MakeEditField(312, 0, 60, 100, 60, WS_VSCROLL);
  WINL_MakeCombo(313, 0, 130, 100, 100, 0);
  WINL_MakeLabel(-1, "x", 314, 0, 160, 100, 20, 0);
  // control, and the WM_COMMANDs its parent hears
  struct Case { int id; std::vector<WPARAM> heard; } const kCases[] = {
      {310, {EN_CHANGE << 16 | 310u}},
      {311, {}},
      {312, {}},
      {313, {}},
      {314, {}},
  };
  for (const Case& c : kCases)
  {
    MessageLog().clear();
    EXPECT_TRUE(SetDlgItemText(dialog, c.id, "new text")) << c.id;
    EXPECT_EQ(CommandsTo(dialog), c.heard) << c.id;
  }
}

TEST_F(WinlControls, ButtonCheckStates)
{
  HWND box = WINL_MakeCheckBox("check", 400, 0, 0, 50, 15, 0);
  struct Case { WPARAM set; LRESULT want; } const kCases[] = {{1, 1}, {0, 0}, {3, 2}, {2, 2}, {5, 1}};
  for (const Case& c : kCases)
  {
    SendMessage(box, BM_SETCHECK, c.set, 0);
    EXPECT_EQ(SendMessage(box, BM_GETCHECK, 0, 0), c.want) << c.set;
  }
  CheckDlgButton(dialog, 400, 0);
  EXPECT_EQ(IsDlgButtonChecked(dialog, 400), 0u);
  EXPECT_EQ(IsDlgButtonChecked(dialog, 40018), 0u);
  EXPECT_EQ(GetWindowLong(box, GWL_STYLE), WS_CHILD | BS_AUTOCHECKBOX);
}

TEST_F(WinlControls, SliderRangeAndPosition)
{
  HWND slider = WINL_MakeControl("", 500, "msctls_trackbar32", 0, 0, 0, 100, 20, 0);
  EXPECT_EQ(SendMessage(slider, TBM_SETRANGE, 1, 100 << 16), 1);
  struct Case { int pos; LRESULT want; } const kCases[] = {{-1, 0}, {0, 0}, {1, 1}, {99, 99}, {100, 100}, {101, 100}};
  for (const Case& c : kCases)
  {
    SendMessage(slider, TBM_SETPOS, 1, c.pos);
    EXPECT_EQ(SendMessage(slider, TBM_GETPOS, 0, 0), c.want) << c.pos;
  }
}

TEST_F(WinlControls, TrackbarFunctionsWorkTheSliderByIdentifier)
{
  WINL_MakeControl("", 501, "msctls_trackbar32", 0, 0, 0, 100, 20, 0);
  WINL_TB_SetRange(dialog, 501, 10, 20);
  // position asked for, position read back
  struct Case { int pos, want; } const kCases[] = {{9, 10}, {10, 10}, {15, 15}, {20, 20}, {21, 20}};
  for (const Case& c : kCases)
  {
    WINL_TB_SetPos(dialog, 501, c.pos);
    EXPECT_EQ(WINL_TB_GetPos(dialog, 501), c.want) << c.pos;
  }
  WINL_TB_SetTic(dialog, 501, 12);  // no marks on this slider: nothing changes
  EXPECT_EQ(WINL_TB_GetPos(dialog, 501), 20);
  EXPECT_EQ(WINL_TB_GetPos(dialog, 999), 0);
}

TEST_F(WinlControls, TabsInsertSelectDeleteAndAdjust)
{
  HWND tabs = WINL_MakeControl("", 502, "SysTabControl32", 0, 0, 0, 200, 100, 0);
  HWND notTabs = GetDlgItem(dialog, 1);
  TCITEM item{};
  item.mask = TCIF_TEXT;
  // index asked for and text; the index the tab got
  struct Case { int index; const char* text; int got; } const kCases[] = {
      {0, "Alpha", 0}, {5, "Gamma", 1}, {-3, "Zero", 0}, {1, "Beta", 1},
  };
  for (const Case& c : kCases)
  {
    item.pszText = c.text;
    EXPECT_EQ(TabCtrl_InsertItem(tabs, c.index, &item), c.got) << c.text;
  }
  EXPECT_EQ(TabCtrl_GetItemCount(tabs), 4);
  TCITEM untitled{};
  EXPECT_EQ(TabCtrl_InsertItem(tabs, 0, &untitled), -1);
  untitled.mask = TCIF_TEXT;
  EXPECT_EQ(TabCtrl_InsertItem(tabs, 0, &untitled), -1);
  EXPECT_EQ(TabCtrl_InsertItem(notTabs, 0, &item), -1);
  // The first tab was selected when it came, and the selection stayed on
  // it as tabs were inserted before it: "Alpha" is now at 2. SetCurSel
  // answers the old selection, also when the new one is refused.
  struct Sel { int index; int previous; int after; } const kSel[] = {{1, 2, 1}, {3, 1, 3}, {4, 3, 3}, {-1, 3, 3}, {0, 3, 0}};
  for (const Sel& c : kSel)
  {
    EXPECT_EQ(TabCtrl_SetCurSel(tabs, c.index), c.previous) << c.index;
    EXPECT_EQ(TabCtrl_GetCurSel(tabs), c.after) << c.index;
  }
  EXPECT_EQ(TabCtrl_SetCurSel(notTabs, 0), -1);
  EXPECT_EQ(TabCtrl_GetCurSel(notTabs), 0);
  struct Del { int index; BOOL ok; int count; } const kDel[] = {{4, FALSE, 4}, {-1, FALSE, 4}, {3, TRUE, 3}, {0, TRUE, 2}};
  for (const Del& c : kDel)
  {
    EXPECT_EQ(TabCtrl_DeleteItem(tabs, c.index), c.ok) << c.index;
    EXPECT_EQ(TabCtrl_GetItemCount(tabs), c.count) << c.index;
  }
  EXPECT_EQ(TabCtrl_GetItemCount(notTabs), 0);
  // The display area of a window rectangle and back.
  RECT r{100, 100, 300, 200};
  ASSERT_TRUE(TabCtrl_AdjustRect(tabs, FALSE, &r));
  EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}), (std::vector<LONG>{107, 126, 293, 197}));
  ASSERT_TRUE(TabCtrl_AdjustRect(tabs, TRUE, &r));
  EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}), (std::vector<LONG>{100, 100, 300, 200}));
  EXPECT_FALSE(TabCtrl_AdjustRect(notTabs, TRUE, &r));
  // The program's own changes tell the dialog nothing.
  EXPECT_TRUE(MessagesTo(dialog, {WM_NOTIFY}).empty());
}

TEST_F(WinlControls, ButtonImagesAreSwappedAndReturned)
{
  HWND button = GetDlgItem(dialog, 1);
  HBITMAP a = CreateBitmap(4, 4, 1, 32, nullptr);
  HBITMAP b = CreateBitmap(4, 4, 1, 32, nullptr);
  // wParam, image given; the previous image answered
  struct Case { WPARAM kind; HBITMAP image; LRESULT previous; LRESULT now; } const kCases[] = {
      {0, a, 0, reinterpret_cast<LRESULT>(a)},
      {1, b, reinterpret_cast<LRESULT>(a), reinterpret_cast<LRESULT>(b)},
      {2, a, 0, reinterpret_cast<LRESULT>(b)},
      {0, nullptr, reinterpret_cast<LRESULT>(b), 0},
  };
  for (const Case& c : kCases)
  {
    EXPECT_EQ(SendMessage(button, BM_SETIMAGE, c.kind, reinterpret_cast<LPARAM>(c.image)), c.previous) << c.kind;
    EXPECT_EQ(SendMessage(button, BM_GETIMAGE, 0, 0), c.now) << c.kind;
  }
  DeleteObject(a);
  DeleteObject(b);
}

// Creators that record their calls; the first makes views for "Fader"
// only, the second for any class.
struct CreatorCall { int creator; std::string className; int id, x, y, w, h; };
std::vector<CreatorCall> gCreatorCalls;

HWND FaderCreator(HWND parent, const char*, int id, const char* className, LONG_PTR, int x, int y, int w, int h)
{
  gCreatorCalls.push_back({1, className, id, x, y, w, h});
  if (std::string(className) != "Fader") return nullptr;
  HWND v = WINL_CreateView(parent, LoggingProc, 0);
  SetWindowLong(v, GWL_ID, id);
  return v;
}

HWND AnyCreator(HWND parent, const char*, int id, const char* className, LONG_PTR, int x, int y, int w, int h)
{
  gCreatorCalls.push_back({2, className, id, x, y, w, h});
  return WINL_CreateView(parent, LoggingProc, 0);
}

TEST_F(WinlControls, CustomCreatorsAreTriedInOrderAndCounted)
{
  gCreatorCalls.clear();
  WINL_MakeSetCurParms(2.0f, 1.0f, 5, 0, dialog, false, false);
  WINL_RegisterCustomControlCreator(FaderCreator);
  WINL_RegisterCustomControlCreator(AnyCreator);
  WINL_RegisterCustomControlCreator(FaderCreator);  // a second hold on the first
  HWND fader = WINL_MakeControl("", 601, "Fader", 0, 10, 20, 30, 40, 0x10);
  ASSERT_NE(fader, nullptr);
  EXPECT_EQ(GetWindowLong(fader, GWL_EXSTYLE), 0x10);  // the extended style is applied
  HWND other = WINL_MakeControl("", 602, "Knob", 0, 0, 0, 10, 10, 0);
  ASSERT_NE(other, nullptr);
  // The frame is already transformed: x (10 + 5) * 2, width 30 * 2.
  struct Want { int creator; const char* className; int id, x, y, w, h; } const kWant[] = {
      {1, "Fader", 601, 30, 20, 60, 40}, {1, "Knob", 602, 10, 0, 20, 10}, {2, "Knob", 602, 10, 0, 20, 10}};
  ASSERT_EQ(gCreatorCalls.size(), 3u);
  for (size_t i = 0; i < 3; ++i)
  {
    const CreatorCall& got = gCreatorCalls[i];
    const Want& want = kWant[i];
    EXPECT_EQ((std::vector<int>{got.creator, got.id, got.x, got.y, got.w, got.h}),
              (std::vector<int>{want.creator, want.id, want.x, want.y, want.w, want.h})) << i;
    EXPECT_EQ(got.className, want.className) << i;
  }
  // One release leaves the first creator in place; the second removes it.
  WINL_UnregisterCustomControlCreator(FaderCreator);
  gCreatorCalls.clear();
  WINL_MakeControl("", 603, "Knob", 0, 0, 0, 10, 10, 0);
  ASSERT_EQ(gCreatorCalls.size(), 2u);
  EXPECT_EQ(gCreatorCalls[0].creator, 1);
  WINL_UnregisterCustomControlCreator(FaderCreator);
  gCreatorCalls.clear();
  WINL_MakeControl("", 604, "Knob", 0, 0, 0, 10, 10, 0);
  ASSERT_EQ(gCreatorCalls.size(), 1u);
  EXPECT_EQ(gCreatorCalls[0].creator, 2);
  WINL_UnregisterCustomControlCreator(AnyCreator);
  // Without creators an unknown class makes nothing.
  gCreatorCalls.clear();
  EXPECT_EQ(WINL_MakeControl("", 605, "Knob", 0, 0, 0, 10, 10, 0), nullptr);
  EXPECT_TRUE(gCreatorCalls.empty());
}

TEST_F(WinlControls, MakersBeforeAnySetUpCreateNothing)
{
  // A fresh process has no layout; the closest here is a parent that is gone.
  HWND view = WINL_CreateView(nullptr, nullptr, 0);
  WINL_MakeSetCurParms(1, 1, 0, 0, view, false, false);
  DestroyWindow(view);
  WINL_MessageQueue_Flush();
  EXPECT_EQ(WINL_MakeButton(0, "b", 1, 0, 0, 10, 10, 0), nullptr);
  EXPECT_EQ(WINL_MakeCombo(2, 0, 0, 10, 0, 3), nullptr);
}
}  // namespace
