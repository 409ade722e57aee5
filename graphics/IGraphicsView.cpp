#include "graphics/IGraphicsView.h"

#include "core/IParam.h"
#include "graphics/IGraphics.h"
#include "raster/RAST_PNG.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

void ViewPointToGUI(double vx, double vy, int height, int* x, int* y)
{
  *x = static_cast<int>(vx) - 2;
  *y = height - 3 - static_cast<int>(vy);
}

IMouseMod ViewModifiers(EViewButton button, bool command, bool shift, bool control, bool option)
{
  IMouseMod mod;
  mod.L = button == kViewLeft || button == kViewWheel;
  mod.R = button == kViewRight || (mod.L && command);
  mod.S = shift;
  mod.C = control;
  mod.A = option;
  return mod;
}

int ViewKeyCode(int viewKeyCode, const char* characters)
{
  if (!characters || strlen(characters) != 1) return -1;
  switch (viewKeyCode)
  {
    case 126: return 1;
    case 125: return 2;
    case 123: return 3;
    case 124: return 4;
    case 49: return 0;
    default: break;
  }
  const char c = characters[0];
  if (c >= '0' && c <= '9') return 5 + (c - '0');
  if (c >= 'A' && c <= 'Z') return 15 + (c - 'A');
  if (c >= 'a' && c <= 'z') return 15 + (c - 'a');
  return -1;
}

IViewRect GUIRectToView(const IRECT& rect, int height)
{
  IViewRect v;
  v.x = rect.L;
  v.y = height - 1 - rect.B;
  v.w = rect.R - rect.L + 1;
  v.h = rect.B - rect.T + 1;
  return v;
}

IRECT ViewRectToGUI(double x, double y, double w, double h, int height)
{
  const int l = static_cast<int>(x);
  const int ty = static_cast<int>(y);
  return IRECT(l, height - (static_cast<int>(h) + ty), static_cast<int>(w) + l, height - ty);
}

void ViewMouseDown(IGraphics* graphics, double vx, double vy, int clickCount, IMouseMod* mod,
                   int* x, int* y)
{
  ViewPointToGUI(vx, vy, graphics->Height(), x, y);
  if (clickCount >= 2)
    graphics->OnMouseDblClick(*x, *y, mod);
  else
    graphics->OnMouseDown(*x, *y, mod);
}

void ViewMouseDrag(IGraphics* graphics, double vx, double vy, IMouseMod* mod, int* x, int* y)
{
  ViewPointToGUI(vx, vy, graphics->Height(), x, y);
  if (!graphics->IsTextEntryOpen()) graphics->OnMouseDrag(*x, *y, mod);
}

void ViewScrollWheel(IGraphics* graphics, double vx, double vy, double deltaY, IMouseMod* mod,
                     int* x, int* y)
{
  ViewPointToGUI(vx, vy, graphics->Height(), x, y);
  if (graphics->IsTextEntryOpen()) graphics->ForceEndUserEdit();
  graphics->OnMouseWheel(*x, *y, mod, static_cast<int>(deltaY));
}

bool ViewKeyDown(IGraphics* graphics, int x, int y, int viewKeyCode, const char* characters)
{
  const int key = ViewKeyCode(viewKeyCode, characters);
  return key >= 0 && graphics->OnKeyDown(x, y, key);
}

bool RunViewFrame(IGraphics* graphics, IRECT* repainted)
{
  IRECT dirty;
  if (!graphics->IsDirty(&dirty)) return false;
  const int height = graphics->Height();
  const IViewRect v = GUIRectToView(dirty, height);
  IRECT area = ViewRectToGUI(v.x, v.y, v.w, v.h, height);
  graphics->Draw(&area);
  if (repainted) *repainted = area;
  return true;
}

bool IsPNGResourceName(const char* name)
{
  const size_t n = name ? strlen(name) : 0;
  if (n < 4) return false;
  const char* ext = name + n - 4;
  return ext[0] == '.' && tolower(static_cast<unsigned char>(ext[1])) == 'p' &&
         tolower(static_cast<unsigned char>(ext[2])) == 'n' && tolower(static_cast<unsigned char>(ext[3])) == 'g';
}

namespace
{
// The resource is the file of the name's stem with the extension "png",
// whatever the case of the extension asked for.
std::string PNGFileOf(const char* name)
{
  return std::string(name, strlen(name) - 4) + ".png";
}
}  // namespace

RAST_IBitmap* LoadPNGResource(const char* name, RAST_IndexedImage* indices)
{
  return IsPNGResourceName(name) ? RAST_LoadPNGFromNamedResource(PNGFileOf(name).c_str(), nullptr, indices) : nullptr;
}

bool LoadPNGResourceHalved(const char* name, RAST_IBitmap* bmp, RAST_IndexedImage* indices)
{
  return IsPNGResourceName(name) &&
         RAST_LoadPNGHalvedFromNamedResource(PNGFileOf(name).c_str(), bmp, indices) == RAST_PNGHalved::kHalved;
}

bool PNGResourceSize(const char* name, int* w, int* h)
{
  return IsPNGResourceName(name) && RAST_PNGSizeFromNamedResource(PNGFileOf(name).c_str(), w, h);
}

bool TextEntryAccepts(const char* text, const char* allowed, int maxLength, int maxValue)
{
  if (!text) return true;
  if (allowed)
    for (const char* p = text; *p; ++p)
      if (!strchr(allowed, *p)) return false;
  if (maxLength != 0 && static_cast<int>(strlen(text)) > maxLength) return false;
  // strtol saturates where atoi would overflow on a long run of digits.
  if (maxValue != 0 && strtol(text, nullptr, 10) > maxValue) return false;
  return true;
}

const char* TextEntryCharacters(int paramType)
{
  switch (paramType)
  {
    case IParam::kTypeBool:
    case IParam::kTypeInt:
    case IParam::kTypeEnum: return "0123456789-+";
    case IParam::kTypeDouble: return "0123456789.-+";
    default: return nullptr;
  }
}
