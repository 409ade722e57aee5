// The toolkit half of menus: which window shows which menu bar. Without
// the toolkit the bars are only remembered.
#include "winl/WINL_MenuPrivate.h"
#include "winl/WINL_WndPrivate.h"

#include <map>

namespace
{
std::map<uint64_t, uint64_t>& Bars()
{
  static auto* bars = new std::map<uint64_t, uint64_t>;
  return *bars;
}
}  // namespace

void WINL_MenuNativeChanged(uint64_t) {}

void WINL_MenuNativeDestroyed(uint64_t menu)
{
  for (auto it = Bars().begin(); it != Bars().end();)
    it = it->second == menu ? Bars().erase(it) : std::next(it);
}

void WINL_MenuNativeSetBar(WINL_Wnd* w, uint64_t menu)
{
  WINL_Wnd* content = WINL_ContentOf(w);
  const uint64_t key = content ? content->id : w->id;
  if (menu)
    Bars()[key] = menu;
  else
    Bars().erase(key);
}

uint64_t WINL_MenuNativeBarOf(WINL_Wnd* w)
{
  WINL_Wnd* content = WINL_ContentOf(w);
  auto it = Bars().find(content ? content->id : w->id);
  return it == Bars().end() ? 0 : it->second;
}

int WINL_MenuNativePopup(uint64_t, WINL_Wnd*, int, int) { return 0; }
