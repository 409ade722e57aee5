#include "graphics/IGraphicsHeadless.h"

#include "core/IParam.h"
#include "graphics/IGraphicsView.h"
#include "graphics/controls/IControl.h"
#include "raster/RAST_Bitmap.h"
#include "raster/RAST_Blit.h"

#include <cstring>

IGraphicsHeadless::IGraphicsHeadless(IUnitBase* plug, int width, int height, int fps)
  : IGraphics(plug, width, height, fps)
{
}

IGraphicsHeadless::~IGraphicsHeadless()
{
  CloseWindow();
}

// ---- answers ----

void IGraphicsHeadless::QueueMessageBoxResult(int result)
{
  std::lock_guard<std::mutex> lock(mMessageLock);
  mMessageAnswers.push_back(result);
}

std::vector<IGraphicsHeadless::ShownMessageBox> IGraphicsHeadless::MessageBoxes()
{
  std::lock_guard<std::mutex> lock(mMessageLock);
  return mMessageBoxes;
}

void IGraphicsHeadless::AddResource(const char* nameWithoutExtension, RAST_IBitmap* bitmap)
{
  auto copy = std::make_unique<RAST_MemBitmap>(0, 0, 4);
  RAST_Copy(copy.get(), bitmap);
  mResources[nameWithoutExtension] = std::move(copy);
}

// ---- frame driver and screen ----

bool IGraphicsHeadless::RunFrame(IRECT* repainted)
{
  return RunViewFrame(this, repainted);
}

bool IGraphicsHeadless::DrawScreen(IRECT* rect)
{
  if (!mWindowOpen || !rect) return false;
  RAST_IBitmap* bitmap = GetDrawBitmap();
  if (!bitmap) return false;
  if (!mScreen || mScreen->getWidth() != bitmap->getWidth() ||
      mScreen->getHeight() != bitmap->getHeight())
  {
    mScreen = std::make_unique<RAST_MemBitmap>(bitmap->getWidth(), bitmap->getHeight(), 4);
    RAST_Copy(mScreen.get(), bitmap);
  }
  mScreenUpdates.push_back(*rect);
  const IRECT area = rect->Intersect(IRECT(0, 0, bitmap->getWidth(), bitmap->getHeight()));
  if (!area.Empty())
    RAST_Blit(mScreen.get(), bitmap, area.L, area.T, area.L, area.T, area.W(), area.H(), 1.0f, 0);
  return true;
}

// ---- text ----

bool IGraphicsHeadless::MeasureIText(IText* style, const char* text, IRECT* rect)
{
  return IGraphics::DrawIText(style, text, rect, true);
}

bool IGraphicsHeadless::DrawIText(IText* style, const char* text, IRECT* rect)
{
  mDrawnTexts.emplace_back(text ? text : "");
  return IGraphics::DrawIText(style, text, rect, false);
}

// ---- menus ----

IPopupMenu* IGraphicsHeadless::CreateIPopupMenu(IPopupMenu* menu, IRECT* rect)
{
  ReleaseMouseCapture();
  if (!mWindowOpen || !menu) return nullptr;
  ShownMenu shown;
  if (rect) shown.rect = *rect;
  BASE_String text;
  for (int i = 0; i < menu->GetNItems(); ++i)
  {
    menu->GetDisplayText(i, &text);
    shown.texts.emplace_back(text.Get());
    shown.flags.push_back(menu->GetItem(i)->GetFlags());
  }
  mMenus.push_back(std::move(shown));

  std::vector<int> path;
  if (!Pop(&mMenuAnswers, &path)) return nullptr;
  IPopupMenu* level = menu;
  for (size_t step = 0; step < path.size(); ++step)
  {
    IPopupMenu::IPopupMenuItem* item = level->GetItem(path[step]);
    if (!item) return nullptr;
    const bool last = step + 1 == path.size();
    if (!last)
    {
      level = item->GetSubmenu();
      if (!level) return nullptr;
      continue;
    }
    // Separators, disabled items and submenu headers carry no action.
    if (item->GetSubmenu() || item->GetIsSeparator() || !item->GetEnabled()) return nullptr;
    level->SetChosenItemIdx(path[step]);
    return level;
  }
  return nullptr;
}

// ---- text entry ----

void IGraphicsHeadless::CreateTextEntry(IControl* control, IText* style, IRECT* rect,
                                        const char* text, IParam* param)
{
  if (!control || !mWindowOpen)
  {
    TextEntryCancelled();
    return;
  }
  const char* allowed = param ? TextEntryCharacters(param->Type()) : nullptr;
  ShownTextEntry shown;
  if (rect) shown.rect = *rect;
  shown.text = text ? text : "";
  shown.allowed = allowed ? allowed : "";
  shown.maxLength = param ? control->GetTextEntryLength() : 0;
  shown.password = style && style->mPassword == 1;
  shown.hasParam = param != nullptr;
  mTextEntries.push_back(shown);

  mFieldOpen = true;
  mFieldText = shown.text;
  mFieldAllowsAll = allowed == nullptr;
  mFieldAllowed = shown.allowed;
  mFieldMaxLength = shown.maxLength;
  std::string typed;
  if (Pop(&mTypedAnswers, &typed))
  {
    // What the user types replaces the selected initial text.
    mFieldText.clear();
    TypeIntoTextEntry(typed.c_str());
  }
}

void IGraphicsHeadless::TypeIntoTextEntry(const char* text)
{
  if (!mFieldOpen || !text) return;
  for (const char* p = text; *p; ++p)
  {
    std::string next = mFieldText + *p;
    if (TextEntryAccepts(next.c_str(), mFieldAllowsAll ? nullptr : mFieldAllowed.c_str(),
                         mFieldMaxLength, 0))
      mFieldText = std::move(next);
  }
}

void IGraphicsHeadless::CommitUserEdit()
{
  if (!mFieldOpen)
  {
    if (IsTextEntryOpen()) TextEntryCancelled();
    return;
  }
  mFieldOpen = false;
  const std::string text = mFieldText;
  mFieldText.clear();
  TextEntryEnded(text.c_str());
}

void IGraphicsHeadless::ForceEndUserEdit()
{
  mFieldOpen = false;
  mFieldText.clear();
  TextEntryCancelled();
}

// ---- message boxes, files, URLs, clipboard ----

int IGraphicsHeadless::ShowMessageBox(const char* text, const char* caption, int type)
{
  std::lock_guard<std::mutex> lock(mMessageLock);
  mMessageBoxes.push_back(ShownMessageBox{text ? text : "", caption ? caption : "", type});
  int result = 0;
  Pop(&mMessageAnswers, &result);
  return result;
}

void IGraphicsHeadless::PromptForFile(BASE_String* file, int action, BASE_String* dir,
                                      const char* extensions, const char* title)
{
  if (!file) return;
  if (!mWindowOpen)
  {
    file->Set("");
    return;
  }
  ShownFilePrompt shown;
  shown.action = action;
  shown.file = file->Get();
  if (dir && dir->GetLength() == 0) dir->Set("~/Desktop");
  shown.dir = dir ? dir->Get() : "~/Desktop";
  shown.extensions = extensions ? extensions : "";
  shown.title = title ? title : "";
  mFilePrompts.push_back(shown);
  file->Set("");

  std::string path;
  if (!Pop(&mFileAnswers, &path) || path.empty()) return;
  file->Set(path.c_str());
  if (dir)
  {
    const size_t slash = path.rfind('/');
    dir->Set(slash == std::string::npos ? "" : path.substr(0, slash + 1).c_str());
  }
}

bool IGraphicsHeadless::OpenURL(const char* url)
{
  mOpenedURLs.emplace_back(url ? url : "");
  bool ok = true;
  Pop(&mURLAnswers, &ok);
  return ok;
}

bool IGraphicsHeadless::OpenURLWithMessage(const char* url, const char* message)
{
  mURLMessages.emplace_back(message ? message : "");
  return OpenURL(url);
}

bool IGraphicsHeadless::GetTextFromClipboard(BASE_String* text)
{
  std::string answer;
  const bool any = Pop(&mClipboardAnswers, &answer);
  if (text) text->Set(answer.c_str());
  return any;
}

// ---- window, tooltips, resources ----

void* IGraphicsHeadless::OpenWindow(void*)
{
  CloseWindow();
  mWindowOpen = true;
  UpdateTooltips();
  return this;
}

void IGraphicsHeadless::CloseWindow()
{
  if (!mWindowOpen) return;
  ForceEndUserEdit();
  mTooltipRects.clear();
  mWindowOpen = false;
}

void IGraphicsHeadless::UpdateTooltips()
{
  if (!TooltipsEnabled() || !mWindowOpen) return;
  ++mTooltipUpdates;
  mTooltipRects.clear();
  for (int i = 0; i < NControls(); ++i)
  {
    IControl* c = GetControl(i);
    const IRECT target = c->GetTargetRECT();
    if (!c->IsHidden() && !target.Empty()) mTooltipRects.push_back(target);
  }
}

bool IGraphicsHeadless::OSPeekBitmapSize(int, const char* name, int* w, int* h)
{
  if (!name || !IsPNGResourceName(name) || mResources.count(std::string(name, strlen(name) - 4)) != 0) return false;
  if (!PNGResourceSize(name, w, h)) return false;
  mLoadedResources.emplace_back(name);
  return true;
}

RAST_IBitmap* IGraphicsHeadless::OSLoadBitmap(int, const char* name)
{
  if (!name) return nullptr;
  mLoadedResources.emplace_back(name);
  if (!IsPNGResourceName(name)) return nullptr;
  auto found = mResources.find(std::string(name, strlen(name) - 4));
  // Resources the test did not supply come from the resources folder, as
  // a real view's do.
  if (found == mResources.end()) return LoadPNGResource(name);
  auto* copy = new RAST_MemBitmap(0, 0, 4);
  RAST_Copy(copy, found->second.get());
  return copy;
}
