// The dialog keys: what a dialog does with a key that neither its procedure
// nor a focused control took. Text fields keep their own editing keys (cut,
// copy, paste), which never arrive here, so nothing is done twice.
#include "winl/WINL_Controls.h"
#include "winl/WINL_WndPrivate.h"

namespace
{
constexpr int kFlagVirtKey = 1;
constexpr int kFlagShift = 4;
constexpr int kFlagCommand = 8;
constexpr int kFlagOption = 16;
constexpr int kFlagControl = 32;
constexpr int kModifierFlags = kFlagShift | kFlagCommand | kFlagOption | kFlagControl;

enum class DialogKey
{
  None,
  Cancel,
  Default,
};

// Escape and Command-W (Ctrl+W here) cancel, Return or Enter presses the
// default button; with other modifiers held they are left alone.
DialogKey Classify(int key, int flags)
{
  const int mods = flags & kModifierFlags;
  if (!(flags & kFlagVirtKey)) return DialogKey::None;
  if (key == 27 && mods == 0) return DialogKey::Cancel;
  if (key == 'W' && mods == kFlagCommand) return DialogKey::Cancel;
  if ((key == 13 || key == 0x800D) && mods == 0) return DialogKey::Default;
  return DialogKey::None;
}
}  // namespace

bool WINL_DialogKeyHook(WINL_Wnd* w, int key, int flags)
{
  const DialogKey what = Classify(key, flags);
  WINL_Wnd* content = what == DialogKey::None ? nullptr : WINL_ContentOf(w);
  if (!content || !content->dlgproc || content->state.load() != kWndAlive) return false;
  HWND dialog = WINL_Handle(content);
  if (what == DialogKey::Cancel)
  {
    WINL_Dispatch(content, WM_COMMAND, IDCANCEL, 0);
    return true;
  }
  const int id = WINL_GetDefaultButtonID(dialog, true);
  if (!id) return false;
  WINL_Dispatch(content, WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(id), BN_CLICKED),
                reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
  return true;
}
