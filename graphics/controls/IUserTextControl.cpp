#include "graphics/controls/IUserTextControl.h"

#include "core/IUnitBase.h"
#include "graphics/IGraphics.h"

#include <cstdio>
#include <cstring>

namespace
{
constexpr int kMaxStars = 99;
// Longer texts are cut here: a field is never measured past this.
constexpr int kMaxUserText = 65536;

IGraphics* GraphicsOf(IUnitBase* plug)
{
  return plug ? dynamic_cast<IGraphics*>(plug->GetGUI()) : nullptr;
}

void CopyText(char* out, const char* text)
{
  if (text && *text) snprintf(out, IURLControl::kTextSize, "%s", text);
}
}  // namespace

// ---- IUserTextControl ----

IUserTextControl::IUserTextControl(IUnitBase* plug, IRECT rect, const IText* style, const char* text)
  : IControl(plug, rect, -1, IChannelBlend(0, 1.0f))
{
  if (style) mText = *style;
  mStr.Set(text ? text : "", kMaxUserText);
}

void IUserTextControl::OnMouseDown(int, int, IMouseMod*)
{
  IGraphics* graphics = GraphicsOf(mPlug);
  if (!graphics) return;
  BASE_String text;
  IRECT rect;
  IText style;
  {
    BASE_MutexLock lock(mChangeLock);
    text.Set(mStr.Get());
    rect = mRECT;
    style = mText;
  }
  graphics->OpenTextEntry(this, &style, &rect, text.Get(), nullptr);
}

bool IUserTextControl::Draw(IGraphics* graphics)
{
  if (mStr.GetLength() == 0) return true;
  if (!mSecure)
  {
    graphics->DrawIText(&mText, mStr.Get(), &mRECT);
    return true;
  }
  const int n = mStr.GetLength() < kMaxStars ? mStr.GetLength() : kMaxStars;
  char stars[kMaxStars + 1];
  memset(stars, '*', n);
  stars[n] = '\0';
  graphics->DrawIText(&mText, stars, &mRECT);
  return true;
}

void IUserTextControl::TextFromTextEntry(const char* text)
{
  SetText(text);
}

void IUserTextControl::SetText(const char* text)
{
  BASE_MutexLock lock(mChangeLock);
  mStr.Set(text ? text : "", kMaxUserText);
  SetDirty(false);
}

void IUserTextControl::GetText(BASE_String* out)
{
  BASE_MutexLock lock(mChangeLock);
  if (out) out->Set(mStr.Get());
}

void IUserTextControl::SetSecure(bool secure)
{
  BASE_MutexLock lock(mChangeLock);
  mSecure = secure;
  mText.mPassword = secure ? 1 : 0;
  SetDirty(false);
}

bool AlgDisplay::Draw(IGraphics* graphics)
{
  if (mStr.GetLength() > 0) graphics->DrawIText(&mText, mStr.Get(), &mRECT);
  return true;
}

// ---- IURLControl ----

IURLControl::IURLControl(IUnitBase* plug, IRECT rect, const char* url, const char* fallbackURL,
                         const char* message)
  : IControl(plug, rect)
{
  CopyText(mURL, url);
  CopyText(mFallbackURL, fallbackURL);
  CopyText(mMessage, message);
}

void IURLControl::OnMouseDown(int, int, IMouseMod*)
{
  IGraphics* graphics = GraphicsOf(mPlug);
  if (!graphics || !*mURL) return;
  if (!graphics->OpenURLWithMessage(mURL, mMessage) && *mFallbackURL)
    graphics->OpenURLWithMessage(mFallbackURL, mMessage);
}

// ---- IFileSelectorControl ----

IFileSelectorControl::IFileSelectorControl(IUnitBase* plug, IRECT rect, int paramIdx, IBitmap* bitmap,
                                           int action, const char* folder, const char* extensions)
  : IControl(plug, rect, paramIdx, IChannelBlend(0, 1.0f)), mAction(action), mBitmap(bitmap)
{
  mFolder.Set(folder ? folder : "");
  mExtensions.Set(extensions ? extensions : "");
}

void IFileSelectorControl::OnMouseDown(int, int, IMouseMod*)
{
  IGraphics* graphics = GraphicsOf(mPlug);
  if (!graphics) return;
  {
    BASE_MutexLock lock(mChangeLock);
    mState = kDialogOpen;
    SetDirty(false);
  }
  // The panel is modal; the file and folder are ours while it is open.
  graphics->PromptForFile(&mFile, mAction, &mFolder, mExtensions.Get(), mTitle.Get());
  {
    BASE_MutexLock lock(mChangeLock);
    // Every choice flips the value, so two choices in a row both reach the
    // plug-in as changes.
    mValue += 1.0;
    if (mValue > 1.0) mValue = 0.0;
    mState = kChosen;
  }
  SetDirty(true);
}

bool IFileSelectorControl::Draw(IGraphics* graphics)
{
  if (mState == kDialogOpen && mBitmap) graphics->DrawIBitmap(mBitmap, &mRECT, 1, &mBlend);
  return true;
}

bool IFileSelectorControl::IsDirty()
{
  if (IControl::IsDirty()) return true;
  BASE_MutexLock lock(mChangeLock);
  if (mState != kChosen) return false;
  mState = kIdle;
  return true;
}

void IFileSelectorControl::GetLastSelectedFileForPlug(BASE_String* out)
{
  BASE_MutexLock lock(mChangeLock);
  if (out) out->Set(mFile.Get());
}

void IFileSelectorControl::SetLastSelectedFileFromPlug(const char* path)
{
  BASE_MutexLock lock(mChangeLock);
  if (!path) path = "";
  const char* slash = strrchr(path, '/');
  if (!slash)
  {
    mFile.Set(path);
    return;
  }
  mFolder.Set(path, static_cast<int>(slash - path) + 1);
  mFile.Set(slash + 1);
}

void IFileSelectorControl::GetFolder(BASE_String* out)
{
  BASE_MutexLock lock(mChangeLock);
  if (out) out->Set(mFolder.Get());
}

// ---- IBitmapTextControl ----

IBitmapTextControl::IBitmapTextControl(IUnitBase* plug, IRECT rect, IBitmap* font, const char* text,
                                       const IText* style, int charWidth, int charHeight, int charSpacing,
                                       bool multiLine, bool vCentre)
  : IControl(plug, rect),
    mStr(text ? text : ""),
    mCharWidth(charWidth),
    mCharHeight(charHeight),
    mCharSpacing(charSpacing),
    mFont(font ? *font : IBitmap()),
    mMultiLine(multiLine),
    mVCentre(vCentre)
{
  if (style) mText = *style;
}

void IBitmapTextControl::SetTextFromPlug(const char* text)
{
  BASE_MutexLock lock(mChangeLock);
  if (!text) text = "";
  if (strcmp(mStr.Get(), text) == 0) return;
  SetDirty(false);
  mStr.Set(text);
}

bool IBitmapTextControl::Draw(IGraphics* graphics)
{
  const char* text = mStr.Get();
  const int n = mStr.GetLength();
  const int w = mRECT.W();
  if (n == 0 || mCharWidth <= 0 || w <= 0) return true;
  int y = mRECT.T;
  if (mVCentre) y += (mRECT.B - (y + mCharHeight)) / 2;
  int x0 = mRECT.L;
  if (mText.mAlign == 1)
    x0 = mRECT.L + (mRECT.R - (n * mCharWidth + mRECT.L)) / 2;
  else if (mText.mAlign == 2)
    x0 = mRECT.R - n * mCharWidth;
  const int perLine = w / mCharWidth;
  const int lines = mMultiLine && n * mCharWidth > w ? (n * mCharWidth) / w + 1 : 1;
  int i = 0;
  for (int line = 0; line < lines && i < n; ++line, y += mCharHeight)
  {
    int x = x0;
    for (int k = 0; k < perLine && i < n; ++k, ++i)
    {
      const unsigned char c = static_cast<unsigned char>(text[i]);
      const IRECT cell(x, y, x + mCharWidth, y + mCharHeight);
      if (c >= 32) graphics->DrawIBitmap(&mFont, &cell, c - 31, &mBlend);
      x += mCharWidth + mCharSpacing;
    }
  }
  return true;
}
