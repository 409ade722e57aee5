#include "winl/WINL_Access.h"

#include "platform/gtk/PLAT_GtkAccess.h"
#include "winl/WINL_WndPrivate.h"

namespace
{
void* ElementOfId(uint64_t id)
{
  WINL_Wnd* w = WINL_Live(id);
  // Native controls are described by the toolkit itself.
  if (!w || w->control || !w->wndproc) return nullptr;
  void* slot = nullptr;
  WINL_CallProc(w, WM_GETOBJECT, WINL_OBJID_ELEMENT, reinterpret_cast<LPARAM>(&slot));
  return slot;
}
}  // namespace

void* WINL_GetAccessibleElement(HWND view)
{
  return ElementOfId(static_cast<uint64_t>(reinterpret_cast<uintptr_t>(view)));
}

void WINL_InstallAccessibility() { PLAT_GtkSetAccessibleSource(ElementOfId); }
