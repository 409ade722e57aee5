// Controls that show a text and take what the user does with it: a free
// text field (IUserTextControl, AlgDisplay), a link (IURLControl), a file
// button (IFileSelectorControl) and a text drawn from a bitmap font strip
// (IBitmapTextControl). None is drawn turned or prompts for a parameter.
//
// Threads: as the other text controls, changes are made under the change
// lock; the file selector and link act on the GUI thread only.
#pragma once

#include "graphics/controls/IControl.h"

// A free-text field: a click opens a text entry over it with its text; the
// confirmed text replaces it. A secure field shows at most 99 "*".
class IUserTextControl : public IControl
{
public:
  IUserTextControl(IUnitBase* plug, IRECT rect, const IText* style, const char* text = "");

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;
  void TextFromTextEntry(const char* text) override;

  // At most 65,536 characters are kept; marks the control for repaint.
  void SetText(const char* text);
  void GetText(BASE_String* out);
  void SetSecure(bool secure);

protected:
  BASE_String mStr;
  bool mSecure = false;
};

// The same field without secure drawing.
class AlgDisplay : public IUserTextControl
{
public:
  using IUserTextControl::IUserTextControl;
  bool Draw(IGraphics* graphics) override;
};

// Opens its URL on a click; when that fails, the fallback URL. Draws nothing.
class IURLControl : public IControl
{
public:
  static constexpr int kTextSize = 256;  // bytes of each text, terminator included

  IURLControl(IUnitBase* plug, IRECT rect, const char* url, const char* fallbackURL = nullptr,
              const char* message = nullptr);

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics*) override { return true; }

private:
  char mURL[kTextSize] = "";
  char mFallbackURL[kTextSize] = "";
  char mMessage[kTextSize] = "";
};

// A file button: a click asks for a file, then toggles the value between 1
// and 0 and hands it to the plug-in, which reads the chosen path through
// GetLastSelectedFileForPlug. A cancelled choice leaves an empty path. The
// bitmap shows while the panel is open.
class IFileSelectorControl : public IControl
{
public:
  enum EState
  {
    kIdle = 0,
    kDialogOpen = 1,
    kChosen = 2,
  };

  // action 1 saves, anything else opens; extensions separated by spaces.
  IFileSelectorControl(IUnitBase* plug, IRECT rect, int paramIdx, IBitmap* bitmap, int action,
                       const char* folder = "", const char* extensions = "");

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;
  // Dirty once more after a choice, so the button is drawn without its
  // bitmap when the panel has closed.
  bool IsDirty() override;

  void GetLastSelectedFileForPlug(BASE_String* out);
  // "/a/b/c.pr3" gives folder "/a/b/" and file "c.pr3"; a path without "/"
  // is only the file.
  void SetLastSelectedFileFromPlug(const char* path);
  void GetFolder(BASE_String* out);
  // The name of the chooser's window; none gives the toolkit's own.
  void SetTitle(const char* title) { mTitle.Set(title ? title : ""); }
  int GetState() const { return mState; }

private:
  BASE_String mFolder;
  BASE_String mFile;
  BASE_String mExtensions;
  BASE_String mTitle;
  int mAction;
  int mState = kIdle;
  IBitmap* mBitmap;  // not owned
};

// A text drawn with a bitmap font whose frames are the printable characters
// from the space on (frame = code - 31), aligned by the style's alignment,
// on one line or wrapped at the rectangle's width.
class IBitmapTextControl : public IControl
{
public:
  IBitmapTextControl(IUnitBase* plug, IRECT rect, IBitmap* font, const char* text, const IText* style,
                     int charWidth, int charHeight, int charSpacing = 0, bool multiLine = false,
                     bool vCentre = false);

  bool Draw(IGraphics* graphics) override;
  void SetTextFromPlug(const char* text);

private:
  BASE_String mStr;
  int mCharWidth, mCharHeight, mCharSpacing;
  IBitmap mFont;
  bool mMultiLine;
  bool mVCentre;
};
