#include "graphics/IGraphicsView.h"

#include "core/IParam.h"
#include "graphics/IGraphics.h"
#include "graphics/IGraphicsEarlyArt.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

void ViewPointToGUI(double vx, double vy, int* x, int* y)
{
  *x = static_cast<int>(std::floor(vx));
  *y = static_cast<int>(std::floor(vy));
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

int ViewKeyCode(int virtualKey, unsigned character)
{
  switch (virtualKey)
  {
    case 38: return 1;
    case 40: return 2;
    case 37: return 3;
    case 39: return 4;
    case 0: break;
    default:
      if (virtualKey >= 96 && virtualKey <= 105) return 5 + (virtualKey - 96);
      return -1;
  }
  if (character == ' ') return 0;
  if (character >= '0' && character <= '9') return 5 + static_cast<int>(character - '0');
  if (character >= 'A' && character <= 'Z') return 15 + static_cast<int>(character - 'A');
  if (character >= 'a' && character <= 'z') return 15 + static_cast<int>(character - 'a');
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

void ViewMouseDown(IGraphics* graphics, double vx, double vy, EViewButton button, int clickCount, IMouseMod* mod,
                   int* x, int* y)
{
  ViewPointToGUI(vx, vy, x, y);
  // A quick second right click is two presses: a control's double-click
  // action (a knob's reset to its default) is the left button's alone.
  if (button == kViewLeft && clickCount >= 2)
    graphics->OnMouseDblClick(*x, *y, mod);
  else
    graphics->OnMouseDown(*x, *y, mod);
}

void ViewMouseDrag(IGraphics* graphics, double vx, double vy, IMouseMod* mod, int* x, int* y)
{
  ViewPointToGUI(vx, vy, x, y);
  if (!graphics->IsTextEntryOpen()) graphics->OnMouseDrag(*x, *y, mod);
}

void ViewScrollWheel(IGraphics* graphics, double vx, double vy, double deltaY, IMouseMod* mod,
                     int* x, int* y)
{
  ViewPointToGUI(vx, vy, x, y);
  if (graphics->IsTextEntryOpen()) graphics->ForceEndUserEdit();
  graphics->OnMouseWheel(*x, *y, mod, static_cast<int>(deltaY));
}

bool ViewKeyDown(IGraphics* graphics, int x, int y, int virtualKey, unsigned character)
{
  const int key = ViewKeyCode(virtualKey, character);
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

RAST_IBitmap* DecodePNGResource(const char* name, RAST_IndexedImage* indices)
{
  return IsPNGResourceName(name) ? RAST_LoadPNGFromNamedResource(PNGFileOf(name).c_str(), nullptr, indices) : nullptr;
}

RAST_PNGHalved DecodePNGResourceHalved(const char* name, RAST_IBitmap* bmp, RAST_IndexedImage* indices)
{
  return IsPNGResourceName(name) ? RAST_LoadPNGHalvedFromNamedResource(PNGFileOf(name).c_str(), bmp, indices)
                                 : RAST_PNGHalved::kCannot;
}

RAST_IBitmap* LoadPNGResource(const char* name, RAST_IndexedImage* indices)
{
  if (std::unique_ptr<RAST_IBitmap> early = EarlyArtTakeWhole(name, indices)) return early.release();
  return DecodePNGResource(name, indices);
}

bool LoadPNGResourceHalved(const char* name, RAST_IBitmap* bmp, RAST_IndexedImage* indices)
{
  return EarlyArtTakeHalved(name, bmp, indices) ||
         DecodePNGResourceHalved(name, bmp, indices) == RAST_PNGHalved::kHalved;
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
