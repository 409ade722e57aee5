// The live layout editor driven through the surface as a developer would:
// 'E', presses, drags and the context menu, with the layout header it
// writes compared byte for byte.
#include "support/GuiTestKit.h"

#include "graphics/resize/ILayoutHeader.h"
#include "graphics/resize/ILiveEdit.h"
#include "graphics/resize/IUnitGUIResize.h"
#include "support/FileFaults.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <sys/stat.h>

namespace
{
// A 400 x 300 surface with a panel background and three controls a, b, c,
// optionally with a window-size manager (views 0 and, with two views, 1) at
// a stored GUI scale.
struct LiveFixture
{
  explicit LiveFixture(bool withManager, const char* storedScale = nullptr, int views = 1)
  {
    IGraphics::ClearCachesForTest();
    IUnitGUIResize::ResetProcessStateForTest();
    const std::string folder = dir.Path() + "/Library/Application Support";
    if (storedScale)
    {
      mkdir((dir.Path() + "/Library").c_str(), 0755);
      mkdir(folder.c_str(), 0755);
      mkdir((folder + "/ZephraEditor").c_str(), 0755);
      WriteWholeFile(folder + "/ZephraEditor/settings.ini", std::string("[gui]\nguiscale=") + storedScale + "\n\n");
    }
    gui = new IGraphicsHeadless(&unit, 400, 300);
    gui->SetPath("appsupport", folder.c_str());
    IColor grey(255, 128, 128, 128);
    gui->AttachPanelBackground(&grey);
    a = Add(IRECT(10, 20, 60, 45));
    b = Add(IRECT(100, 100, 150, 130));
    c = Add(IRECT(200, 50, 240, 90));
    if (withManager)
    {
      manager = new IUnitGUIResize(&unit, gui, 16, 16);
      manager->EnableGUIResizing();
      if (views == 2) manager->AddNewView(1, 400, 300);
      manager->SelectViewMode(0);
      manager->SetGUIScaleLimits(50.0, 200.0);
      unit.SetGUIResize(manager);
    }
    gui->SetLiveEditForTest(true);
    edit = gui->GetLiveEdit();
    edit->GetHeader()->SetFolder(dir.Path());
  }
  // Attaches and opens; the editor reads the header on the first repaint.
  void Open()
  {
    unit.AttachGraphics(gui);
    gui->OpenWindow(nullptr);
    unit.ResizeAtGUIOpen();
    Frames();
  }
  ~LiveFixture()
  {
    unit.SetGUIResize(nullptr);
    IUnitGUIResize::ResetProcessStateForTest();
  }
  TestControl* Add(IRECT r)
  {
    auto* control = new TestControl(&unit, r);
    gui->AttachControl(control);
    return control;
  }
  void Frames()
  {
    for (int i = 0; i < 10 && gui->RunFrame(); ++i) {}
  }
  void Key(int key)
  {
    gui->OnKeyDown(0, 0, key);
    Frames();
  }
  void Click(int x, int y)
  {
    IMouseMod left(true, false);
    gui->OnMouseDown(x, y, &left);
    Frames();
    gui->OnMouseUp(x, y, &left);
    Frames();
  }
  void Drag(int x0, int y0, int x1, int y1, bool alt)
  {
    IMouseMod left(true, false, false, false, alt);
    gui->OnMouseDown(x0, y0, &left);
    Frames();
    gui->OnMouseDrag(x1, y1, &left);
    Frames();
    gui->OnMouseUp(x1, y1, &left);
    Frames();
  }
  void Menu(int item)
  {
    gui->QueueMenuChoice({item});
    IMouseMod right(false, true);
    gui->OnMouseDown(5, 5, &right);
    gui->OnMouseUp(5, 5, &right);
    Frames();
  }
  // The list as the names of its controls: "-" for the background, "h"
  // for the manager's three.
  std::string Order()
  {
    std::string names;
    for (int i = 0; i < gui->NControls(); ++i)
    {
      IControl* control = gui->GetControl(i);
      names += control == a ? 'a' : control == b ? 'b' : control == c ? 'c' : i == 0 ? '-' : 'h';
    }
    return names;
  }
  std::string Header() { return ReadWholeFile(edit->GetHeader()->Path()); }
  ILayoutHeader::Source Source(double scale = 1.0)
  {
    ILayoutHeader::Source source;
    source.snapshot = unit.GetLiveLayoutState();
    source.graphics = gui;
    source.manager = manager;
    source.scale = scale;
    return source;
  }

  TempDir dir;
  GuiUnit unit;
  IGraphicsHeadless* gui;  // owned by the unit once attached
  IUnitGUIResize* manager = nullptr;  // owned by the surface
  ILiveEdit* edit;  // owned by the surface
  TestControl *a, *b, *c;
};

constexpr const char* kOpening =
  "// LiveEditLayout.h: the GUI layout as the live layout editor left it. \n"
  "// Include it in the GUI construction and call SetDefaultViewLayout or \n"
  "// SetGUIResizeLayout after the controls are attached. \n"
  "// Written by the editor: edits made by hand are overwritten. \n"
  " \n"
  "#ifndef _LIVEEDITLAYOUT_ \n"
  "#define _LIVEEDITLAYOUT_ \n"
  " \n"
  "#include <vector> \n"
  "#include \"graphics/IGraphics.h\" \n"
  "#include \"graphics/resize/IUnitGUIResize.h\" \n"
  " \n"
  "class LiveEditLayout \n"
  "{ \n"
  "public: \n"
  "\tLiveEditLayout() {} \n"
  "\t~LiveEditLayout() {} \n"
  " \n"
  "\tvoid SetDefaultViewLayout(IGraphics* pGraphics) \n"
  "\t{ \n"
  "\t}\n"
  "\n"
  "\tvoid SetGUIResizeLayout(IGraphics* pGraphics, IUnitGUIResize* pGUIResize)\n"
  "\t{\n";
constexpr const char* kClosing =
  "    }\n"
  "\n"
  "private:\n"
  "\tstd::vector <IControl*> originalPointers;\n"
  "};\n"
  " #endif\n";
// View 0 at scale 2.0: a at pixels (20, 40, 120, 90) and d, whose line is
// longer than 128 characters, in unscaled units.
constexpr const char* kView0 =
  "\n"
  "\t\t// View Mode: (0) --------------------------------------------------------------------\n"
  "        // class IPanelControl 0\n"
  "\t\tpGUIResize->LiveEditSetLayout(0, 0, 0, IRECT(0, 0, 400, 300), IRECT(0, 0, 400, 300), false);\n"
  "        // class TestControl 1\n"
  "\t\tpGUIResize->LiveEditSetLayout(0, 1, 1, IRECT(10, 20, 60, 45), IRECT(10, 20, 60, 45), false);\n"
  "        // class TestControl 2\n"
  "\t\tpGUIResize->LiveEditSetLayout(0, 2, 2, IRECT(100, 100, 150, 130), IRECT(100, 100, 150, 130), false);\n"
  "        // class TestControl 3\n"
  "\t\tpGUIResize->LiveEditSetLayout(0, 3, 3, IRECT(200, 50, 240, 90), IRECT(200, 50, 240, 90), false);\n"
  "        // class TestControl 4\n"
  "\t\tpGUIResize->LiveEditSetLayout(0, 4, 4, IRECT(100000000, 100000000, 100000010, 100000010), "
  "IRECT(100000000, 100000000, 100000010, 100000010), true);\n"
  "\t\t// End (0) --------------------------------------------------------------------\n";
constexpr const char* kView1Empty =
  "\n"
  "\t\t// View Mode: (1) --------------------------------------------------------------------\n"
  "\t\t// End (1) --------------------------------------------------------------------\n";
// View 1 as an earlier run left it.
constexpr const char* kView1Edited =
  "\n"
  "\t\t// View Mode: (1) --------------------------------------------------------------------\n"
  "        // class TestControl 1\n"
  "\t\tpGUIResize->LiveEditSetLayout(1, 1, 2, IRECT(7, 8, 9, 10), IRECT(7, 8, 9, 10), true);\n"
  "\t\t// End (1) --------------------------------------------------------------------\n";
}  // namespace

TEST(LiveEdit, EKeyTogglesEditingAndTheControlsLoseTheMouse)
{
  LiveFixture f(false);
  f.Open();
  struct Step
  {
    int key;
    bool editing;
    const char* events;  // what a press and release on a then reach it
  } kSteps[] = {
    {ILiveEdit::kKeyEdit, true, ""},
    {ILiveEdit::kKeyEdit, false, "down 20,30|up 20,30"},
    {ILiveEdit::kKeyDraw, false, "down 20,30|up 20,30"},
    {ILiveEdit::kKeyEdit, true, ""},
  };
  for (const Step& s : kSteps)
  {
    f.Key(s.key);
    f.a->mEvents.clear();
    f.Click(20, 30);
    EXPECT_EQ(f.edit->Editing(), s.editing);
    EXPECT_EQ(f.a->Events(), s.events);
  }
  // A press while editing selects; 'D' then chooses the draw rectangle and
  // drops the selection.
  EXPECT_EQ(f.edit->GetSelected(), 1);
  f.Key(ILiveEdit::kKeyDraw);
  EXPECT_EQ(f.edit->GetSelected(), -1);
  EXPECT_EQ(f.edit->GetDisplayMode(), 1);
}

// At scale 2.0 the grid step is 2 pixels; a's pixel rectangle is
// (20, 40, 120, 90) and its corner zone the 16 pixels at (104, 74).
TEST(LiveEdit, DragMovesOrResizesByTheSnappedOffsetAndWritesUnscaled)
{
  struct Case
  {
    const char* name;
    int x0, y0, x1, y1;
    bool alt;
    IRECT rect;
    const char* line;
    const char* label;
  } kCases[] = {
    {"odd offset snaps down", 30, 50, 37, 55, false, IRECT(26, 44, 126, 94),
     "LiveEditSetLayout(0, 1, 1, IRECT(13, 22, 63, 47), IRECT(13, 22, 63, 47), false);", "N:1 IRECT(13,22,63,47)"},
    {"alt keeps the offset", 30, 50, 37, 55, true, IRECT(27, 45, 127, 95),
     "LiveEditSetLayout(0, 1, 1, IRECT(13, 22, 63, 47), IRECT(13, 22, 63, 47), false);", "N:1 IRECT(13,22,63,47)"},
    {"even offset", 30, 50, 40, 60, false, IRECT(30, 50, 130, 100),
     "LiveEditSetLayout(0, 1, 1, IRECT(15, 25, 65, 50), IRECT(15, 25, 65, 50), false);", "N:1 IRECT(15,25,65,50)"},
    {"corner zone resizes", 115, 85, 122, 88, false, IRECT(20, 40, 126, 92),
     "LiveEditSetLayout(0, 1, 1, IRECT(10, 20, 63, 46), IRECT(10, 20, 63, 46), false);", "N:1 IRECT(10,20,63,46)"},
    {"just outside the zone moves", 103, 85, 110, 88, false, IRECT(26, 42, 126, 92),
     "LiveEditSetLayout(0, 1, 1, IRECT(13, 21, 63, 46), IRECT(13, 21, 63, 46), false);", "N:1 IRECT(13,21,63,46)"},
  };
  for (const Case& k : kCases)
  {
    SCOPED_TRACE(k.name);
    LiveFixture f(true, "2");
    f.Open();
    f.Key(ILiveEdit::kKeyEdit);
    ASSERT_EQ(f.a->GetRECT(), IRECT(20, 40, 120, 90));
    f.Drag(k.x0, k.y0, k.x1, k.y1, k.alt);
    EXPECT_EQ(f.a->GetRECT(), k.rect);
    EXPECT_EQ(f.a->GetTargetRECT(), k.rect);
    EXPECT_NE(f.Header().find(k.line), std::string::npos);
    // The selection's label shows unscaled units.
    EXPECT_EQ(f.gui->mDrawnTexts.back(), k.label);
    EXPECT_EQ(f.edit->GetHistory()->NUndo(), 1);
  }
}

// Presses on the manager's three controls select what lies under them;
// "Bring to Front" stops below them.
TEST(LiveEdit, HandlesAreNeverSelected)
{
  struct Case
  {
    int x, y, selected;
  } kCases[] = {
    {210, 110, 3},  // c, the last editable control
    {799, 599, 0},  // the corner handle: the background under it
    {783, 583, 0},
    {4, 599, 0},    // the hidden bottom edge handle
  };
  LiveFixture f(true, "2");
  f.Open();
  f.c->SetBounds(IRECT(200, 100, 780, 580), IRECT(200, 100, 780, 580));
  f.Key(ILiveEdit::kKeyEdit);
  for (const Case& k : kCases)
  {
    f.Click(k.x, k.y);
    EXPECT_EQ(f.edit->GetSelected(), k.selected) << k.x << "," << k.y;
  }
  f.Click(30, 50);
  f.Menu(ILiveEdit::kMenuBringToFront);
  EXPECT_EQ(f.Order(), "-bcahhh");
  EXPECT_EQ(f.edit->GetSelected(), 3);
  f.Menu(ILiveEdit::kMenuBringForward);
  EXPECT_EQ(f.Order(), "-bcahhh");
}

TEST(LiveEdit, LayerMovesUndoAndRedoKeepEveryControlOnce)
{
  LiveFixture f(false);
  f.Open();
  f.Key(ILiveEdit::kKeyEdit);
  f.Click(20, 30);  // a
  struct Step
  {
    const char* name;
    int item;  // -1: drag b by (10, 0)
    const char* order;
    int selected;
    IRECT bRect;
  } kSteps[] = {
    {"bring to front", ILiveEdit::kMenuBringToFront, "-bca", 3, IRECT(100, 100, 150, 130)},
    {"send backward", ILiveEdit::kMenuSendBackward, "-bac", 2, IRECT(100, 100, 150, 130)},
    {"drag b", -1, "-bac", 1, IRECT(110, 100, 160, 130)},
    {"undo the drag", ILiveEdit::kMenuUndo, "-bac", -1, IRECT(100, 100, 150, 130)},
    {"undo the swap", ILiveEdit::kMenuUndo, "-bca", -1, IRECT(100, 100, 150, 130)},
    {"undo the move", ILiveEdit::kMenuUndo, "-abc", -1, IRECT(100, 100, 150, 130)},
    {"nothing left to undo", ILiveEdit::kMenuUndo, "-abc", -1, IRECT(100, 100, 150, 130)},
    {"redo the move", ILiveEdit::kMenuRedo, "-bca", -1, IRECT(100, 100, 150, 130)},
    {"redo the swap", ILiveEdit::kMenuRedo, "-bac", -1, IRECT(100, 100, 150, 130)},
    {"redo the drag", ILiveEdit::kMenuRedo, "-bac", -1, IRECT(110, 100, 160, 130)},
    {"nothing left to redo", ILiveEdit::kMenuRedo, "-bac", -1, IRECT(110, 100, 160, 130)},
  };
  for (const Step& s : kSteps)
  {
    SCOPED_TRACE(s.name);
    if (s.item < 0)
      f.Drag(110, 110, 120, 110, false);
    else
      f.Menu(s.item);
    EXPECT_EQ(f.Order(), s.order);
    EXPECT_EQ(f.edit->GetSelected(), s.selected);
    EXPECT_EQ(f.b->GetRECT(), s.bRect);
  }
}

// A deleted control keeps its place in the list: "Reset View to Default"
// after a layer move puts every control back exactly once.
TEST(LiveEdit, DeleteAsksFirstAndResetViewRestoresTheOrder)
{
  const char* kText =
    "If you confirm this dialog, you need to delete control number 3!\n\n"
    "Delete control from plugin constructor immediately, otherwise your GUI layout will be messed up after next "
    "recompile...\n\n"
    "If you want to add new control, just place it after last attached control in plugin constructor.";
  struct Case
  {
    int answer;
    bool deleted;
    const char* orderAfterReset;
  } kCases[] = {
    {2, false, "-abc"},
    {1, true, "-abc"},
  };
  for (const Case& k : kCases)
  {
    SCOPED_TRACE(k.answer);
    LiveFixture f(false);
    f.Open();
    f.Key(ILiveEdit::kKeyEdit);
    f.Click(210, 60);  // c
    f.Menu(ILiveEdit::kMenuSendToBack);
    ASSERT_EQ(f.Order(), "-cab");
    f.gui->QueueMessageBoxResult(k.answer);
    f.Menu(ILiveEdit::kMenuDelete);
    const auto shown = f.gui->MessageBoxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, kText);
    EXPECT_EQ(shown[0].caption, "Warning!!!");
    EXPECT_EQ(shown[0].type, 1);
    EXPECT_EQ(f.c->IsHidden(), k.deleted);
    EXPECT_EQ(f.edit->GetDeleted().size(), k.deleted ? 1u : 0u);
    const std::vector<std::string> notice{" Delete this controls: ", "3 (TestControl), "};
    EXPECT_EQ(std::search(f.gui->mDrawnTexts.begin(), f.gui->mDrawnTexts.end(), notice.begin(), notice.end()) !=
                f.gui->mDrawnTexts.end(),
              k.deleted);
    f.Menu(ILiveEdit::kMenuResetView);
    EXPECT_EQ(f.Order(), k.orderAfterReset);
    EXPECT_EQ(f.c->IsHidden(), k.deleted);
    EXPECT_NE(f.Header().find(k.deleted ? "pGraphics->GetControl(3)->Hide(true); \n"
                                         : "pGraphics->GetControl(3)->Hide(false); \n"),
              std::string::npos);
  }
}

// "Reset View to Default" at any scale writes the snapshot's own
// rectangles; the controls take them at the scale.
TEST(LiveEdit, ResetViewWritesTheSnapshotsRectangles)
{
  struct Case
  {
    const char* scale;
    int x0, y0;  // a press inside a at that scale
    IRECT rect;
  } kCases[] = {{"0.5", 15, 15, IRECT(5, 10, 30, 22)}, {"1.5", 30, 40, IRECT(15, 30, 90, 68)},
                {"2", 30, 50, IRECT(20, 40, 120, 90)}};
  for (const Case& k : kCases)
  {
    SCOPED_TRACE(k.scale);
    LiveFixture f(true, k.scale);
    f.Open();
    f.Key(ILiveEdit::kKeyEdit);
    ASSERT_EQ(f.a->GetRECT(), k.rect);
    f.Drag(k.x0, k.y0, k.x0 + 12, k.y0 + 10, false);
    ASSERT_NE(f.a->GetRECT(), k.rect);
    f.Menu(ILiveEdit::kMenuResetView);
    EXPECT_EQ(f.a->GetRECT(), k.rect);
    EXPECT_NE(f.Header().find("LiveEditSetLayout(0, 1, 1, IRECT(10, 20, 60, 45), IRECT(10, 20, 60, 45), false);"),
              std::string::npos);
  }
}

namespace
{
// The lines a header without a manager holds for control 1, as code: the
// written text must compile against the framework and do what it says.
void ApplyWrittenLines(IGraphics* pGraphics, std::vector<IControl*>& originalPointers)
{
  for (int i = 0; i < pGraphics->GetNControls(); i++)
    originalPointers.push_back(pGraphics->GetControl(i));
  pGraphics->GetControl(1)->Hide(false);
  pGraphics->GetControl(1)->SetDrawRECT(IRECT(10, 20, 60, 45));
  pGraphics->GetControl(1)->SetTargetRECT(IRECT(10, 20, 60, 45));
}
}  // namespace

TEST(LayoutHeader, WithoutAManagerTheLinesAreCodeOfTheFramework)
{
  LiveFixture f(false);
  f.Open();
  f.Key(ILiveEdit::kKeyEdit);
  f.Menu(ILiveEdit::kMenuResetView);
  const std::string header = f.Header();
  for (const char* line : {"\t\tfor (int i = 0; i < pGraphics->GetNControls(); i++)\n"
                           "\t\t\toriginalPointers.push_back(pGraphics->GetControl(i));\n",
                           "\t\tpGraphics->GetControl(1)->Hide(false); \n"
                           "\t\tpGraphics->GetControl(1)->SetDrawRECT(IRECT(10, 20, 60, 45)); \n"
                           "\t\tpGraphics->GetControl(1)->SetTargetRECT(IRECT(10, 20, 60, 45)); \n"})
    EXPECT_NE(header.find(line), std::string::npos) << line;
  f.a->SetBounds(IRECT(0, 0, 5, 5), IRECT(0, 0, 5, 5));
  std::vector<IControl*> pointers;
  ApplyWrittenLines(f.gui, pointers);
  EXPECT_EQ(pointers.size(), static_cast<size_t>(f.gui->NControls()));
  EXPECT_EQ(f.a->GetRECT(), IRECT(10, 20, 60, 45));
  EXPECT_EQ(f.a->GetTargetRECT(), IRECT(10, 20, 60, 45));
}

TEST(LiveEdit, HistoryKeepsTheNewest256States)
{
  struct Case
  {
    int stores, undos, oldestMark;
  } kCases[] = {
    {255, 255, 0},
    {256, 256, 0},
    {257, 256, 1},
  };
  for (const Case& k : kCases)
  {
    ILiveEdit::History history;
    for (int i = 0; i < k.stores; ++i)
    {
      ILiveEdit::LayoutState state;
      state.draws.push_back(IRECT(i, 0, 0, 0));
      history.Store(state);
    }
    int undos = 0, mark = -1;
    ILiveEdit::LayoutState restored;
    while (history.Undo(ILiveEdit::LayoutState(), &restored))
    {
      ++undos;
      mark = restored.draws[0].L;
    }
    EXPECT_EQ(undos, k.undos) << k.stores;
    EXPECT_EQ(mark, k.oldestMark) << k.stores;
    EXPECT_EQ(history.NRedo(), k.undos) << k.stores;
  }
}

// Written at scale 2.0 over a file from an earlier run whose view 1 was
// edited: view 0 is rebuilt, view 1 kept, and reading and writing again
// gives the same bytes.
TEST(LayoutHeader, EditingViewZeroKeepsViewOneAndRoundTrips)
{
  const std::string kWritten = std::string(kOpening) + kView0 + kView1Edited + kClosing;
  struct Case
  {
    const char* name;
    const char* before;  // nullptr: no file yet
    std::string after;
  } kCases[] = {
    {"no file", nullptr, std::string(kOpening) + kView0 + kView1Empty + kClosing},
    {"view 1 edited before", kWritten.c_str(), kWritten},
  };
  for (const Case& k : kCases)
  {
    SCOPED_TRACE(k.name);
    LiveFixture f(true, "2", 2);
    TestControl* d = f.Add(IRECT(100000000, 100000000, 100000010, 100000010));
    d->Hide(true);
    if (k.before) WriteWholeFile(f.dir.File("LiveEditLayout.h"), k.before);
    f.Open();
    ILayoutHeader header;
    header.SetFolder(f.dir.Path());
    const ILayoutHeader::Source source = f.Source(2.0);
    EXPECT_EQ(header.Read(2), k.before != nullptr);
    ASSERT_TRUE(header.Write(source));
    EXPECT_EQ(f.Header(), k.after);
    ILayoutHeader again;
    again.SetFolder(f.dir.Path());
    ASSERT_TRUE(again.Read(2));
    ASSERT_TRUE(again.Write(source));
    EXPECT_EQ(f.Header(), k.after);
  }
}

// A control missing from the list would make the layer order written to
// the manager something other than a permutation: nothing is applied.
TEST(LayoutHeader, OnlyATruePermutationReachesTheManager)
{
  LiveFixture f(true);
  f.Open();
  f.a->SetBounds(IRECT(11, 21, 61, 46), IRECT(11, 21, 61, 46));
  const ILayoutHeader::Source source = f.Source();
  ILayoutHeader header;
  header.SetFolder(f.dir.Path());
  ASSERT_TRUE(header.Write(source));
  EXPECT_EQ(f.manager->GetViewDrawRECT(0, f.a).L, 11.0);

  f.a->SetBounds(IRECT(12, 21, 62, 46), IRECT(12, 21, 62, 46));
  std::unique_ptr<IControl> removed(f.b);
  f.gui->RemoveControl(2);
  ASSERT_TRUE(header.Write(source));
  EXPECT_NE(f.Header().find("LiveEditSetLayout(0, 2, -1, IRECT(100, 100, 150, 130)"), std::string::npos);
  EXPECT_EQ(f.manager->GetViewDrawRECT(0, f.a).L, 11.0);
  EXPECT_EQ(header.LastError(),
            "the edited layer order is not a permutation of the controls; the window-size manager keeps its own");
}

TEST(LayoutHeader, AnUnwritableFolderIsAReportedFailure)
{
  LiveFixture f(false);
  f.edit->GetHeader()->SetFolder(f.dir.Path() + "/missing");
  f.Open();
  f.Key(ILiveEdit::kKeyEdit);
  f.Drag(20, 30, 25, 30, false);
  EXPECT_FALSE(f.edit->LastWriteOk());
  EXPECT_EQ(f.edit->GetHeader()->LastError(),
            "cannot write the layout header " + f.dir.Path() + "/missing/LiveEditLayout.h: No such file or directory");
  // The drag itself went through.
  EXPECT_EQ(f.a->GetRECT(), IRECT(15, 20, 65, 45));
}

// The header is written beside and renamed: a disk that fills keeps the
// earlier header byte for byte, and the failure is reported.
TEST(LayoutHeader, AFullDiskKeepsTheEarlierHeader)
{
  LiveFixture f(true);
  f.Open();
  const std::string earlier = std::string(kOpening) + kView0 + kView1Empty + kClosing;
  WriteWholeFile(f.dir.File("LiveEditLayout.h"), earlier);
  f.a->SetBounds(IRECT(12, 21, 62, 46), IRECT(12, 21, 62, 46));
  const ILayoutHeader::Source source = f.Source();
  ILayoutHeader header;
  header.SetFolder(f.dir.Path());
  ASSERT_TRUE(header.Read(1));
  const bool written = RunWithFileSizeLimit(static_cast<long>(earlier.size() / 2), [&] {
    return !header.Write(source) && header.LastError().find("cannot write the layout header") == 0;
  });
  EXPECT_TRUE(written);
  EXPECT_EQ(f.Header(), earlier);
}

// Only a regular file of a header's size is read: a FIFO would block the
// GUI thread and a link to /dev/zero would be read without end.
TEST(LayoutHeader, ReadsOnlyARegularFile)
{
  for (const char* kind : {"fifo", "zero"})
  {
    SCOPED_TRACE(kind);
    TempDir dir;
    const std::string path = dir.File("LiveEditLayout.h");
    if (std::string(kind) == "fifo")
      MakeFifo(path);
    else
      MakeDevZeroLink(path);
    ILayoutHeader header;
    header.SetFolder(dir.Path());
    EXPECT_FALSE(header.Read(2));
    EXPECT_EQ(header.ViewText(0), "");
  }
}

namespace
{
// Pixels of the draw bitmap along a row (dy 0) or column from (x, y) for n
// steps that are not the grey ground.
int Marked(LiveFixture& f, int x, int y, int dx, int dy, int n)
{
  int marked = 0;
  for (int i = 0; i < n; ++i)
    marked += RAST_GetPixel(f.gui->GetDrawBitmap(), x + i * dx, y + i * dy) != RAST_RGBA(128, 128, 128, 255);
  return marked;
}
}  // namespace

// A Control-drag draws a dashed rectangle and groups every control wholly
// inside it; "Deselect" empties the group.
TEST(LiveEdit, ControlDragGroupsTheControlsInside)
{
  LiveFixture f(false);
  f.Open();
  f.Key(ILiveEdit::kKeyEdit);
  IMouseMod control(true, false, false, true);
  f.gui->OnMouseDown(5, 10, &control);
  f.Frames();
  f.gui->OnMouseDrag(155, 135, &control);
  f.Frames();
  EXPECT_EQ(f.edit->GetGroupBounds(), IRECT(10, 20, 150, 130));
  // Two pixels on, two off along the top edge from the press.
  EXPECT_EQ(Marked(f, 5, 10, 1, 0, 80), 40);
  f.gui->OnMouseUp(155, 135, &control);
  f.Frames();
  EXPECT_EQ(f.edit->GetGroupBounds(), IRECT(10, 20, 150, 130));
  f.Menu(ILiveEdit::kMenuDeselect);
  EXPECT_EQ(f.edit->GetGroupBounds(), IRECT(ILiveEdit::kNone, ILiveEdit::kNone, 0, 0));
}

// With Shift held, a moved edge that meets another control's edge shows a
// dashed guide across the surface; without Shift there is none.
TEST(LiveEdit, ShiftDragShowsAlignmentGuides)
{
  struct Case
  {
    bool shift;
    int x1, y1;  // where b, pressed at (110, 110), is dragged to
    int guideX, guideY;
  } const kCases[] = {
    {true, 20, 110, 10, ILiveEdit::kNone},   // b's left edge on a's
    {true, 120, 30, ILiveEdit::kNone, 20},   // b's top edge on a's
    {true, 23, 110, ILiveEdit::kNone, ILiveEdit::kNone},
    {false, 20, 110, ILiveEdit::kNone, ILiveEdit::kNone},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(testing::Message() << c.shift << " " << c.x1 << "," << c.y1);
    LiveFixture f(false);
    f.Open();
    f.Key(ILiveEdit::kKeyEdit);
    IMouseMod m(true, false, c.shift);
    f.gui->OnMouseDown(110, 110, &m);
    f.Frames();
    f.gui->OnMouseDrag(c.x1, c.y1, &m);
    f.Frames();
    EXPECT_EQ(f.edit->GetGuideX(), c.guideX);
    EXPECT_EQ(f.edit->GetGuideY(), c.guideY);
    // The guide runs across the whole surface, dashed.
    const int guides = (c.guideX != ILiveEdit::kNone ? Marked(f, c.guideX, 200, 0, 1, 100) : 0) +
                       (c.guideY != ILiveEdit::kNone ? Marked(f, 260, c.guideY, 1, 0, 100) : 0);
    EXPECT_EQ(guides, c.guideX != ILiveEdit::kNone || c.guideY != ILiveEdit::kNone ? 50 : 0);
    f.gui->OnMouseUp(c.x1, c.y1, &m);
  }
}

// The grid (a tint over the whole surface at a step of 1) and the mouse
// coordinates come and go with their menu items.
TEST(LiveEdit, GridAndCoordinatesFollowTheirMenuItems)
{
  LiveFixture f(false);
  f.Open();
  f.Key(ILiveEdit::kKeyEdit);
  auto ground = [&f] { return RAST_GetPixel(f.gui->GetDrawBitmap(), 300, 250); };
  auto coordinates = [&f] {
    return std::any_of(f.gui->mDrawnTexts.begin(), f.gui->mDrawnTexts.end(),
                       [](const std::string& t) { return t.rfind("x: ", 0) == 0; });
  };
  const RAST_pixel grey = RAST_RGBA(128, 128, 128, 255);
  EXPECT_EQ(ground(), grey);
  f.Menu(ILiveEdit::kMenuGrid);
  f.gui->SetAllControlsDirty();
  f.Frames();
  EXPECT_NE(ground(), grey);
  f.Menu(ILiveEdit::kMenuGrid);
  f.gui->SetAllControlsDirty();
  f.Frames();
  EXPECT_EQ(ground(), grey);
  f.gui->mDrawnTexts.clear();
  f.Menu(ILiveEdit::kMenuCoordinates);
  f.gui->SetAllControlsDirty();
  f.Frames();
  EXPECT_TRUE(coordinates());
  f.Menu(ILiveEdit::kMenuCoordinates);
  f.gui->mDrawnTexts.clear();
  f.gui->SetAllControlsDirty();
  f.Frames();
  EXPECT_FALSE(coordinates());
}

// The menu's reset, merge and show/hide items on a moved and resized
// control, in the draw-rectangle mode where the two rectangles part.
TEST(LiveEdit, ResetMergeAndShowHide)
{
  LiveFixture f(false);
  f.Open();
  f.Key(ILiveEdit::kKeyEdit);
  f.Drag(20, 30, 50, 60, false);  // a moved by (30, 30)
  EXPECT_EQ(f.a->GetRECT(), IRECT(40, 50, 90, 75));
  f.Drag(85, 70, 95, 80, false);  // its corner zone: resized by (10, 10)
  EXPECT_EQ(f.a->GetRECT(), IRECT(40, 50, 100, 85));
  f.Menu(ILiveEdit::kMenuResetPosition);
  EXPECT_EQ(f.a->GetRECT(), IRECT(10, 20, 70, 55));
  EXPECT_EQ(f.a->GetTargetRECT(), IRECT(10, 20, 70, 55));
  f.Menu(ILiveEdit::kMenuResetSize);
  EXPECT_EQ(f.a->GetRECT(), IRECT(10, 20, 60, 45));

  // Draw rectangle only: a move parts the two, "Merge" joins them again
  // on the draw rectangle.
  f.Key(ILiveEdit::kKeyDraw);
  f.Drag(20, 30, 40, 40, false);
  EXPECT_EQ(f.a->GetRECT(), IRECT(30, 30, 80, 55));
  EXPECT_EQ(f.a->GetTargetRECT(), IRECT(10, 20, 60, 45));
  f.Menu(ILiveEdit::kMenuMerge);
  EXPECT_EQ(f.a->GetTargetRECT(), IRECT(30, 30, 80, 55));

  f.Menu(ILiveEdit::kMenuShowHide);
  EXPECT_TRUE(f.a->IsHidden());
  f.gui->mDrawnTexts.clear();
  f.gui->SetAllControlsDirty();
  f.Frames();
  EXPECT_EQ(f.gui->mDrawnTexts.back(), "N:1 IRECT(30,30,80,55) (HIDDEN)");
  f.Menu(ILiveEdit::kMenuShowHide);
  EXPECT_FALSE(f.a->IsHidden());
}

// 'B', 'D' and 'T' choose the edit mode and drop the selection; with Shift
// they choose only what is shown, and the selection stays.
TEST(LiveEdit, ModeKeysWithAndWithoutShift)
{
  struct Case
  {
    int key;
    bool shift;
    int displayMode, selected;
  } const kCases[] = {
    {ILiveEdit::kKeyDraw, false, 1, -1},  {ILiveEdit::kKeyTarget, false, 2, -1},
    {ILiveEdit::kKeyBoth, false, 0, -1},  {ILiveEdit::kKeyDraw, true, 1, 1},
    {ILiveEdit::kKeyTarget, true, 2, 1},  {ILiveEdit::kKeyBoth, true, 0, 1},
  };
  for (const Case& c : kCases)
  {
    SCOPED_TRACE(testing::Message() << c.key << " " << c.shift);
    LiveFixture f(false);
    f.Open();
    f.Key(ILiveEdit::kKeyEdit);
    f.Click(20, 30);
    ASSERT_EQ(f.edit->GetSelected(), 1);
    // The surface learns Shift from the pointer's last event.
    IMouseMod shift(false, false, c.shift);
    f.gui->OnMouseOver(20, 30, &shift);
    f.Key(c.key);
    EXPECT_EQ(f.edit->GetDisplayMode(), c.displayMode);
    EXPECT_EQ(f.edit->GetSelected(), c.selected);
  }
}
