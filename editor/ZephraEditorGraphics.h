// The editor's GUI steps: the graphics object and its resize manager set up
// as the editor wants them, then the panels. Used as the editor set-up's
// buildGui; the panels are handed in, so that each skin (and each test)
// builds its own on the same steps.
#pragma once

#include <functional>

class IGraphics;
class IUnitGUIResize;
class ZephraEditor;

// Attaches the panels' controls to graphics and ends with the editor's
// AttachGraphics, from which on the editor owns graphics.
using ZephraPanelsBuilder = std::function<void(ZephraEditor& editor, IGraphics& graphics)>;

// On graphics (not yet owned by anyone): the resize manager with 16-pixel
// handles, resizing on, view mode 0, scale limits 50 % to 200 %, window
// limits 570 x 400 to 2280 x 1600, the stored view's size (TakeStoredView),
// scaling by the corner handle; artwork stored at twice its drawn size
// (divisor 2); tooltips and mouse-over on; then buildPanels. The manager's cursors go through the window layer.
// Returns the manager, which graphics owns once the panels attached it.
IUnitGUIResize* ZephraSetUpGui(ZephraEditor& editor, IGraphics* graphics, const ZephraPanelsBuilder& buildPanels);

// The buildGui of the desktop application: a desktop surface of 1140 x 800
// pixels at the default 120 frames a second, with the application's
// identifier, through ZephraSetUpGui.
std::function<void(ZephraEditor&)> ZephraDesktopGui(ZephraPanelsBuilder buildPanels);
