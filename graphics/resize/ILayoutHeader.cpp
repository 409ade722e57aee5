// ILayoutHeader: building, writing and reading "LiveEditLayout.h".
#include "graphics/resize/ILayoutHeader.h"

#include "core/BASE_FileWhole.h"
#include "core/IGraphicsLink.h"
#include "graphics/IGraphics.h"
#include "graphics/controls/IControl.h"
#include "graphics/resize/IUnitGUIResize.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cxxabi.h>
#include <memory>
#include <typeinfo>

#include <syslog.h>

namespace
{
// A header of every view mode is some tens of kilobytes.
constexpr size_t kLayoutHeaderMaxBytes = 4u << 20;

// Every line of the opening block ends in a blank before the line feed.
constexpr const char* kHead =
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
  "\t{ \n";

constexpr const char* kDashes = "--------------------------------------------------------------------";

__attribute__((format(printf, 1, 2))) std::string Format(const char* format, ...)
{
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int n = vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string out;
  if (n > 0)
  {
    out.resize(static_cast<size_t>(n) + 1);
    vsnprintf(&out[0], out.size(), format, again);
    out.resize(static_cast<size_t>(n));
  }
  va_end(again);
  return out;
}

std::string ViewMarker(int view)
{
  return Format("\t\t// View Mode: (%i)", view);
}

std::string EndMarker(int view)
{
  return Format("\t\t// End (%i)", view);
}

// Unscaled units: the integer part of (x + 0.4999) / scale.
IRECT Unscale(const IRECT& r, double scale)
{
  const double k = scale > 0.0 ? 1.0 / scale : 1.0;
  auto u = [k](int x) { return static_cast<int>((x + 0.4999) * k); };
  return IRECT(u(r.L), u(r.T), u(r.R), u(r.B));
}

std::string RectArgs(const IRECT& r)
{
  return Format("IRECT(%i, %i, %i, %i)", r.L, r.T, r.R, r.B);
}

int PositionIn(const std::vector<IControl*>& order, IControl* control)
{
  const auto at = std::find(order.begin(), order.end(), control);
  return at == order.end() ? -1 : static_cast<int>(at - order.begin());
}

IControl* SnapshotControl(const ILiveLayoutState* snapshot, int i)
{
  return static_cast<IControl*>(snapshot->mControls.Get()[i]);
}

void LogError(const std::string& message)
{
  syslog(LOG_ERR, "ZephraEditor: %s", message.c_str());
}
}  // namespace

std::string ILayoutHeader::Path() const
{
  return mFolder.empty() ? std::string(kFileName) : mFolder + "/" + kFileName;
}

std::string ILayoutHeader::ClassName(IControl* control)
{
  if (!control) return "IControl";
  const char* mangled = typeid(*control).name();
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> readable(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                                  std::free);
  return status == 0 && readable ? std::string(readable.get()) : std::string(mangled);
}

const std::string& ILayoutHeader::ViewText(int view) const
{
  static const std::string kNone;
  return view >= 0 && view < NViewTexts() ? mViewTexts[static_cast<size_t>(view)] : kNone;
}

void ILayoutHeader::EnsureViews(int n)
{
  if (NViewTexts() < n) mViewTexts.resize(static_cast<size_t>(n));
}

// ---- writing ----

std::string ILayoutHeader::BuildDefaultBody(const Source& source, const std::vector<IControl*>& order) const
{
  const ILiveLayoutState* snapshot = source.snapshot;
  const int n = snapshot->mControls.GetSize();
  std::string text = "\t    // Backup original control pointers\n"
                     "\t\tfor (int i = 0; i < pGraphics->GetNControls(); i++)\n"
                     "\t\t\toriginalPointers.push_back(pGraphics->GetControl(i));\n"
                     "\n";
  text += Format("\t    // %s\n", kDashes);
  for (int i = 1; i < n; ++i)
  {
    IControl* c = SnapshotControl(snapshot, i);
    text += Format("        // class %s %i\n", ClassName(c).c_str(), i);
    text += Format("\t\tpGraphics->GetControl(%i)->Hide(%s); \n", i, c->IsHidden() ? "true" : "false");
    text += Format("\t\tpGraphics->GetControl(%i)->SetDrawRECT(%s); \n", i, RectArgs(c->GetRECT()).c_str());
    text += Format("\t\tpGraphics->GetControl(%i)->SetTargetRECT(%s); \n", i,
                   RectArgs(c->GetTargetRECT()).c_str());
    text += "\n";
  }
  text += Format("\t    // %s\n", kDashes);
  text += "\t    // Reordering control layers\n";
  for (int i = 0; i < n; ++i)
    text += Format("\t\tpGraphics->ReplaceControl(%i, originalPointers[%i]); \n",
                   PositionIn(order, SnapshotControl(snapshot, i)), i);
  return text;
}

std::string ILayoutHeader::BuildViewText(const Source& source, const std::vector<IControl*>& order)
{
  struct Placement
  {
    int slot, index;
    IRECT draw, target;
    bool hidden;
  };
  const ILiveLayoutState* snapshot = source.snapshot;
  const int n = std::max(0, snapshot->mControls.GetSize() - 3);
  const std::vector<int> none;
  const std::vector<int>& deleted = source.deleted ? *source.deleted : none;
  std::vector<Placement> placements;
  std::string text;
  int skipped = 0;
  for (int p = 0; p < n; ++p)
  {
    if (std::find(deleted.begin(), deleted.end(), p) != deleted.end())
    {
      ++skipped;
      continue;
    }
    IControl* c = SnapshotControl(snapshot, p);
    const int position = PositionIn(order, c);
    int o = position;
    if (position >= 0)
      o -= static_cast<int>(std::count_if(deleted.begin(), deleted.end(), [&](int d) { return d <= position; }));
    IRECT draw = c->GetRECT(), target = c->GetTargetRECT();
    if (!source.keepPixels)
    {
      draw = Unscale(draw, source.scale);
      target = Unscale(target, source.scale);
    }
    const bool hidden = c->IsHidden();
    text += Format("        // class %s %i\n", ClassName(c).c_str(), p - skipped);
    text += Format("\t\tpGUIResize->LiveEditSetLayout(%i, %i, %i, %s, %s, %s);\n", source.view, p - skipped, o,
                   RectArgs(draw).c_str(), RectArgs(target).c_str(), hidden ? "true" : "false");
    placements.push_back(Placement{p, position, draw, target, hidden});
  }

  // The manager's layers must stay a permutation of its controls: a
  // control missing from the list, or two slots naming one control, would
  // leave a control at two places once the layers are rearranged.
  std::vector<bool> used(order.size(), false);
  bool permutation = true;
  for (const Placement& place : placements)
  {
    if (place.index < 0 || place.index >= static_cast<int>(order.size()) || used[static_cast<size_t>(place.index)])
    {
      permutation = false;
      break;
    }
    used[static_cast<size_t>(place.index)] = true;
  }
  if (!permutation)
  {
    mLastError = "the edited layer order is not a permutation of the controls; the window-size manager keeps its own";
    LogError(mLastError);
  }
  else
  {
    for (const Placement& place : placements)
      source.manager->LiveEditSetLayout(source.view, place.slot, place.index, place.draw, place.target, place.hidden);
  }
  return text;
}

std::string ILayoutHeader::Build(const Source& source)
{
  std::string text = kHead;
  std::vector<IControl*> order;
  if (source.graphics)
    for (int i = 0; i < source.graphics->NControls(); ++i) order.push_back(source.graphics->GetControl(i));
  const bool canBuild = source.snapshot && source.graphics;

  if (canBuild && !source.manager) text += BuildDefaultBody(source, order);
  text += "\t}\n\n";
  text += "\tvoid SetGUIResizeLayout(IGraphics* pGraphics, IUnitGUIResize* pGUIResize)\n\t{\n";

  EnsureViews(source.manager ? source.manager->GetViewModeSize() : 1);
  if (canBuild && source.manager && source.view >= 0 && source.view < NViewTexts())
    mViewTexts[static_cast<size_t>(source.view)] = BuildViewText(source, order);

  for (int v = 0; v < NViewTexts(); ++v)
  {
    text += "\n";
    text += ViewMarker(v) + " " + kDashes + "\n";
    text += mViewTexts[static_cast<size_t>(v)];
    text += EndMarker(v) + " " + kDashes;
    text += "\n";
  }
  text += "    }\n\n";
  text += "private:\n\tstd::vector <IControl*> originalPointers;\n";
  text += "};\n #endif\n";
  return text;
}

bool ILayoutHeader::Write(const Source& source)
{
  mLastError.clear();
  const std::string text = Build(source);
  const std::string path = Path();
  // Written beside and renamed: a failed write keeps the earlier layout.
  if (!BASE_ReplaceFile(path, text))
  {
    mLastError = "cannot write the layout header " + path + ": " + strerror(errno);
    LogError(mLastError);
    return false;
  }
  return true;
}

// ---- reading ----

bool ILayoutHeader::Read(int nViews)
{
  EnsureViews(nViews);
  // Only a regular file of a header's size: a link to a device or a FIFO
  // would otherwise be read without end or block the caller.
  std::string all;
  if (BASE_ReadRegularFile(Path(), kLayoutHeaderMaxBytes, all) != BASE_ReadResult::kRead) return false;
  // Lines keep their line feed; the last one gains one when it had none.
  if (!all.empty() && all.back() != '\n') all += '\n';
  const std::string anyView = "\t\t// View Mode: (";
  const std::string anyEnd = "\t\t// End (";
  for (int v = 0; v < nViews; ++v)
  {
    std::string& text = mViewTexts[static_cast<size_t>(v)];
    text.clear();
    const size_t marker = all.find(ViewMarker(v) + " ");
    if (marker == std::string::npos) continue;
    const size_t start = all.find('\n', marker);
    if (start == std::string::npos) continue;
    const size_t end = all.find(EndMarker(v) + " ", start + 1);
    if (end == std::string::npos) continue;
    std::string section = all.substr(start + 1, end - start - 1);
    // A section holding another view's marker is broken: writing it back
    // would repeat that view's lines.
    if (section.find(anyView) != std::string::npos || section.find(anyEnd) != std::string::npos)
    {
      LogError(Format("the layout header's section of view %i is broken and is not kept", v));
      continue;
    }
    text = std::move(section);
  }
  return true;
}
