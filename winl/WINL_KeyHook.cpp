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
  FocusWindow,
};

// What has the keyboard in the dialog, as far as its keys care.
enum class Focus
{
  Other,
  LineField,
  TextView,
};

Focus FocusIn(WINL_Wnd* content)
{
  const uint64_t id = content->frame->firstResponder;
  WINL_Wnd* f = id && id != content->id ? WINL_Live(id) : nullptr;
  if (!f || !f->control || WINL_ContentOf(f) != content) return Focus::Other;
  if (f->control->kind == PLAT_ControlKind::Edit) return Focus::LineField;
  if (f->control->kind == PLAT_ControlKind::TextView) return Focus::TextView;
  return Focus::Other;
}

// Escape, alone or with Shift, and Command-W (Ctrl+W here) cancel; Return or
// Enter presses the default button, or with none takes the focus back to the
// window. In a text field, Shift+Escape leaves the field instead, and so does
// Escape alone in a multi-line view, where Return is typed, not pressed. With
// other modifiers held the keys are left alone.
DialogKey Classify(int key, int flags, Focus focus, bool hasDefault)
{
  const int mods = flags & kModifierFlags;
  if (!(flags & kFlagVirtKey)) return DialogKey::None;
  if (key == 27 && mods == 0) return focus == Focus::TextView ? DialogKey::FocusWindow : DialogKey::Cancel;
  if (key == 27 && mods == kFlagShift) return focus == Focus::Other ? DialogKey::Cancel : DialogKey::FocusWindow;
  if (key == 'W' && mods == kFlagCommand) return DialogKey::Cancel;
  if ((key == 13 || key == 0x800D) && mods == 0 && focus != Focus::TextView)
    return hasDefault ? DialogKey::Default : DialogKey::FocusWindow;
  return DialogKey::None;
}
}  // namespace

bool WINL_DialogKeyHook(WINL_Wnd* w, int key, int flags)
{
  WINL_Wnd* content = WINL_ContentOf(w);
  if (!content || !content->dlgproc || content->state.load() != kWndAlive) return false;
  HWND dialog = WINL_Handle(content);
  const int id = WINL_GetDefaultButtonID(dialog, true);
  switch (Classify(key, flags, FocusIn(content), id != 0))
  {
    case DialogKey::None: return false;
    case DialogKey::Cancel: WINL_Dispatch(content, WM_COMMAND, IDCANCEL, 0); return true;
    case DialogKey::FocusWindow: SetFocus(dialog); return true;
    case DialogKey::Default:
      WINL_Dispatch(content, WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(id), BN_CLICKED),
                    reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
      return true;
  }
  return false;
}
