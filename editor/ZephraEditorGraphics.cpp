#include "editor/ZephraEditorGraphics.h"

#include "editor/ZephraEditor.h"
#include "graphics/gtk/IGraphicsGtk.h"
#include "graphics/resize/IUnitGUIResize.h"
#include "winl/WINL_Cursor.h"

#include <utility>

namespace
{
constexpr int kGuiWidth = 1140;
constexpr int kGuiHeight = 800;
constexpr int kHandleSize = 16;
constexpr const char* kBundleID = "com.brindleaudio.standalone.ZephraEditor.macOS";

// The handles' cursor ids are the window layer's.
void SetResizeCursor(int cursorId, void*)
{
  WINL_SetCursor(WINL_LoadCursor(cursorId));
}
}  // namespace

IUnitGUIResize* ZephraSetUpGui(ZephraEditor& editor, IGraphics* graphics, const ZephraPanelsBuilder& buildPanels)
{
  auto* resizer = new IUnitGUIResize(&editor, graphics, kHandleSize, kHandleSize);
  // The scale lives beside the editor's other settings, whatever surface
  // draws it.
  if (!editor.SettingsPath().empty()) resizer->UseSettingsFile(editor.SettingsPath());
  editor.SetGUIResize(resizer);
  resizer->EnableGUIResizing();
  resizer->SelectViewMode(0);
  resizer->SetGUIScaleLimits(50.0, 200.0);
  resizer->SetWindowSizeLimits(0, 570.0, 400.0, 2280.0, 1600.0);
  editor.TakeStoredView(resizer);
  resizer->UseHandleForGUIScaling(true);
  resizer->SetCursorSink(SetResizeCursor, nullptr);
  // The artwork is drawn at twice the size it is shown at.
  graphics->SetBitmapDivisor(2);
  graphics->EnableTooltips(true);
  graphics->HandleMouseOver(true);
  if (buildPanels) buildPanels(editor, *graphics);
  // Panels that did not attach the graphics leave it to here: the editor
  // owns it either way.
  if (editor.GetGUI() != graphics) editor.AttachGraphics(graphics);
  return resizer;
}

std::function<void(ZephraEditor&)> ZephraDesktopGui(ZephraPanelsBuilder buildPanels)
{
  return [panels = std::move(buildPanels)](ZephraEditor& editor) {
    auto* graphics = new IGraphicsMac(&editor, kGuiWidth, kGuiHeight, 0);
    graphics->SetBundleID(kBundleID);
    ZephraSetUpGui(editor, graphics, panels);
  };
}
