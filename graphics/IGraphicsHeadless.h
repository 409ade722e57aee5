// IGraphicsHeadless: the surface without a window system. Every platform
// slot is answered from a queue that the caller fills beforehand (menu
// choices, typed texts, message-box buttons, file paths, URL results,
// clipboard texts, PNG resources) and recorded for the caller to read;
// texts are drawn as well as recorded, and PNG resources the caller did
// not supply come from the resources folder.
// DrawScreen copies the repainted area into a simulated screen bitmap, as
// a real view shows only what it invalidated. RunFrame does what a view's
// frame timer and repaint do. Used by the tests and the benchmarks.
//
// Threads: the GUI thread, except ShowMessageBox, which any thread may call
// (its queue and record are locked).
#pragma once

#include "graphics/IGraphics.h"
#include "graphics/IPopupMenu.h"

#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class IGraphicsHeadless : public IGraphics
{
public:
  // What a popup menu showed, and where.
  struct ShownMenu
  {
    IRECT rect;
    std::vector<std::string> texts;  // as shown, numbered by the prefix mode
    std::vector<int> flags;
  };
  struct ShownTextEntry
  {
    IRECT rect;
    std::string text;          // initial text
    std::string allowed;       // characters the field takes ("" for all)
    int maxLength = 0;
    bool password = false;
    bool hasParam = false;
  };
  struct ShownMessageBox
  {
    std::string text, caption;
    int type = 0;
  };
  struct ShownFilePrompt
  {
    int action = 0;
    std::string file, dir, extensions, title;
  };

  IGraphicsHeadless(IUnitBase* plug, int width, int height, int fps = 0);
  ~IGraphicsHeadless() override;

  // ---- answers ----
  // The items picked through the menu levels ({3, 1}: item 1 of the
  // submenu at item 3); an empty path dismisses. No answer dismisses too.
  void QueueMenuChoice(std::vector<int> path) { mMenuAnswers.push_back(std::move(path)); }
  // Typed into the next text entry, one character at a time through the
  // entry's input rule.
  void QueueTypedText(const char* text) { mTypedAnswers.emplace_back(text); }
  void QueueMessageBoxResult(int result);
  // An empty path cancels the panel.
  void QueueFilePath(const char* path) { mFileAnswers.emplace_back(path); }
  void QueueOpenURLResult(bool ok) { mURLAnswers.push_back(ok); }
  void QueueClipboardText(const char* text) { mClipboardAnswers.emplace_back(text); }
  // Served by OSLoadBitmap under name + ".png" (any case) before the
  // resources folder is looked at; the surface keeps a copy.
  void AddResource(const char* nameWithoutExtension, RAST_IBitmap* bitmap);
  void SetPath(const char* which, const char* path) { mPaths[which] = path; }

  // ---- the open text entry ----
  bool TextEntryOpen() const { return mFieldOpen; }
  const std::string& TextEntryText() const { return mFieldText; }
  // Types more characters into the open entry.
  void TypeIntoTextEntry(const char* text);
  // The user presses Enter: the entry ends and its text is applied.
  void PressEnterInTextEntry() { CommitUserEdit(); }

  // ---- frame driver ----
  // One frame of the view timer and repaint; false when nothing was dirty.
  bool RunFrame(IRECT* repainted = nullptr);
  RAST_IBitmap* GetScreen() { return mScreen.get(); }

  // ---- records ----
  std::vector<ShownMenu> mMenus;
  std::vector<ShownTextEntry> mTextEntries;
  std::vector<ShownFilePrompt> mFilePrompts;
  std::vector<std::string> mOpenedURLs;
  std::vector<std::string> mURLMessages;  // the message of each URL opened with one
  std::vector<std::string> mLoadedResources;
  std::vector<std::string> mDrawnTexts;
  std::vector<IRECT> mScreenUpdates;
  std::vector<IRECT> mTooltipRects;
  int mTooltipUpdates = 0;
  std::vector<ShownMessageBox> MessageBoxes();

  // ---- platform slots ----
  using IGraphics::DrawIText;
  bool DrawScreen(IRECT* rect) override;
  bool MeasureIText(IText* style, const char* text, IRECT* rect) override;
  void ForceEndUserEdit() override;
  const char* GetGUIAPI() override { return "Headless GUI"; }
  int ShowMessageBox(const char* text, const char* caption, int type) override;
  IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* rect) override;
  void CreateTextEntry(IControl* control, IText* style, IRECT* rect, const char* text,
                       IParam* param) override;
  void HostPath(BASE_String* path) override { path->Set(mPaths["host"].c_str()); }
  void PluginPath(BASE_String* path) override { path->Set(mPaths["plugin"].c_str()); }
  void DesktopPath(BASE_String* path) override { path->Set(mPaths["desktop"].c_str()); }
  void DocumentsPath(BASE_String* path) override { path->Set(mPaths["documents"].c_str()); }
  void AppSupportPath(BASE_String* path, bool system) override
  {
    path->Set(mPaths[system ? "appsupport-system" : "appsupport"].c_str());
  }
  void SandboxSafeAppSupportPath(BASE_String* path) override { path->Set(mPaths["sandbox"].c_str()); }
  void PromptForFile(BASE_String* file, int action, BASE_String* dir,
                     const char* extensions, const char* title) override;
  bool PromptForColor(IColor*, const char*) override { return false; }
  bool OpenURL(const char* url) override;
  bool OpenURLWithMessage(const char* url, const char* message) override;
  void* OpenWindow(void* parent) override;
  void CloseWindow() override;
  void* GetWindow() override { return mWindowOpen ? this : nullptr; }
  bool GetTextFromClipboard(BASE_String* text) override;
  void UpdateTooltips() override;
  RAST_IBitmap* OSLoadBitmap(int id, const char* name) override;
  // Files of the resources folder only (and counted as loads there): a
  // resource the test supplied is decoded at once.
  bool OSPeekBitmapSize(int id, const char* name, int* w, int* h) override;
  bool DrawIText(IText* style, const char* text, IRECT* rect) override;
  void CommitUserEdit() override;

private:
  template <class T>
  static bool Pop(std::deque<T>* queue, T* out)
  {
    if (queue->empty()) return false;
    *out = std::move(queue->front());
    queue->pop_front();
    return true;
  }

  bool mWindowOpen = false;
  std::unique_ptr<RAST_IBitmap> mScreen;
  std::deque<std::vector<int>> mMenuAnswers;
  std::deque<std::string> mTypedAnswers;
  std::deque<std::string> mFileAnswers;
  std::deque<bool> mURLAnswers;
  std::deque<std::string> mClipboardAnswers;
  std::map<std::string, std::unique_ptr<RAST_IBitmap>> mResources;
  std::map<std::string, std::string> mPaths;
  // The open field: its text and input rule.
  bool mFieldOpen = false;
  std::string mFieldText;
  std::string mFieldAllowed;
  bool mFieldAllowsAll = true;
  int mFieldMaxLength = 0;
  // Message boxes come from any thread.
  std::mutex mMessageLock;
  std::deque<int> mMessageAnswers;
  std::vector<ShownMessageBox> mMessageBoxes;
};
