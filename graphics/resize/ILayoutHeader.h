// ILayoutHeader: the source text in which the live layout editor keeps the
// layout it edits. The file "LiveEditLayout.h" declares class
// LiveEditLayout with SetDefaultViewLayout(IGraphics*), filled when the
// plug-in has no window-size manager, and SetGUIResizeLayout(IGraphics*,
// IUnitGUIResize*), one section per view mode when it has one. A developer
// includes it in the GUI construction and calls one of the two after the
// controls are attached, so the edited layout becomes the built-in one.
//
// A section of SetGUIResizeLayout runs from its marker line
// "\t\t// View Mode: (v) ----..." to "\t\t// End (v) ----...". Every control
// of the view (the manager's three handles excepted) gets a comment line
// "        // class <type> <slot>" and a LiveEditSetLayout call, with
// rectangles in unscaled units. Sections of views not edited in this run
// keep the text read from the existing file, byte for byte, so writing,
// reading and writing again gives the same file.
//
// GUI thread only.
#pragma once

#include "graphics/IGraphicsTypes.h"

#include <string>
#include <vector>

class IControl;
class IGraphics;
class IUnitGUIResize;
struct ILiveLayoutState;

class ILayoutHeader
{
public:
  static constexpr const char* kFileName = "LiveEditLayout.h";

  // What the writer works from: the snapshot taken when the graphics were
  // attached, the surface with its current order, the manager (null when
  // there is none), the snapshot indexes deleted in the editor, the view
  // being edited, and the GUI scale. With keepPixels the rectangles are
  // written as they are, else divided by the scale.
  struct Source
  {
    const ILiveLayoutState* snapshot = nullptr;
    IGraphics* graphics = nullptr;
    IUnitGUIResize* manager = nullptr;
    const std::vector<int>* deleted = nullptr;
    int view = 0;
    bool keepPixels = false;
    double scale = 1.0;
  };

  // The folder of the file; "" (the default) is the working directory,
  // any other folder ends without "/".
  void SetFolder(const std::string& folder) { mFolder = folder; }
  std::string Path() const;

  // Reads the sections of nViews view modes from the file; a view whose
  // section is missing or broken gets an empty text. False when the file
  // cannot be read or is not a regular file of at most 4 MB.
  [[nodiscard]] bool Read(int nViews);
  // Rebuilds the edited view's section (with a manager, and applies it to
  // the manager when the order is a true permutation), then writes the
  // whole file through a temporary beside it. False, with the reason
  // logged and kept in LastError and the earlier file as it was, when the
  // file could not be written.
  [[nodiscard]] bool Write(const Source& source);
  // The file text Write would write, with the edited view's section rebuilt.
  std::string Build(const Source& source);

  const std::string& ViewText(int view) const;
  int NViewTexts() const { return static_cast<int>(mViewTexts.size()); }
  const std::string& LastError() const { return mLastError; }

  // The control's class as the source spells it ("IKnobControl").
  static std::string ClassName(IControl* control);

private:
  std::string BuildDefaultBody(const Source& source, const std::vector<IControl*>& order) const;
  std::string BuildViewText(const Source& source, const std::vector<IControl*>& order);
  void EnsureViews(int n);

  std::string mFolder;
  std::vector<std::string> mViewTexts;
  std::string mLastError;
};
