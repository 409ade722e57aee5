#include "graphics/IPopupMenu.h"

#include <cstdio>

namespace
{
int FlagFor(int which)
{
  static constexpr int kFlags[] = {IPopupMenu::IPopupMenuItem::kDisabled,
                                   IPopupMenu::IPopupMenuItem::kTitle,
                                   IPopupMenu::IPopupMenuItem::kChecked,
                                   IPopupMenu::IPopupMenuItem::kSeparator};
  return which >= 1 && which <= 4 ? kFlags[which - 1] : 0;
}
}  // namespace

void IPopupMenu::IPopupMenuItem::SetFlag(bool state, int which)
{
  const int flag = FlagFor(which);
  if (state)
    mFlags |= flag;
  else
    mFlags &= ~flag;
}

IPopupMenu::~IPopupMenu()
{
  mItems.Empty(true);
}

IPopupMenu::IPopupMenuItem* IPopupMenu::Insert(IPopupMenuItem* item, int index)
{
  if (!item) return nullptr;
  const int n = mItems.GetSize();
  if (index < 0 || index > n) index = n;
  if (!mItems.Insert(item, index))
  {
    delete item;
    return nullptr;
  }
  return item;
}

IPopupMenu::IPopupMenuItem* IPopupMenu::AddItem(IPopupMenuItem* item, int index)
{
  // -1 appends; other negative indexes go to the front, as the list clamps.
  if (index < -1) index = 0;
  return Insert(item, index);
}

IPopupMenu::IPopupMenuItem* IPopupMenu::AddItemText(const char* text, int index, int flags)
{
  return AddItem(new IPopupMenuItem(text, flags), index);
}

IPopupMenu::IPopupMenuItem* IPopupMenu::AddItemSubmenu(const char* text, int index,
                                                       IPopupMenu* submenu)
{
  return AddItem(new IPopupMenuItem(text, submenu), index);
}

IPopupMenu::IPopupMenuItem* IPopupMenu::AppendItemSubmenu(const char* text, IPopupMenu* submenu)
{
  return AddItem(new IPopupMenuItem(text, submenu), -1);
}

IPopupMenu::IPopupMenuItem* IPopupMenu::AddSeparator(int index)
{
  return AddItem(new IPopupMenuItem("", IPopupMenuItem::kSeparator), index);
}

const char* IPopupMenu::GetItemText(int index) const
{
  const IPopupMenuItem* item = mItems.Get(index);
  return item ? item->GetText() : "";
}

void IPopupMenu::GetDisplayText(int index, BASE_String* out) const
{
  static const char* const kPrefixFormats[] = {"", "%1d: ", "%02d: ", "%03d: "};
  out->Set("");
  const IPopupMenuItem* item = mItems.Get(index);
  if (!item) return;
  char prefix[16] = "";
  if (mPrefix > 0) snprintf(prefix, sizeof(prefix), kPrefixFormats[mPrefix], index + 1);
  out->Set(prefix);
  out->Append(item->GetText());
}

void IPopupMenu::SetPrefix(int mode)
{
  if (mode >= 0 && mode <= 3) mPrefix = mode;
}

bool IPopupMenu::SetItemChecked(int index, bool state)
{
  IPopupMenuItem* item = mItems.Get(index);
  if (!item) return false;
  item->SetChecked(state);
  return true;
}

void IPopupMenu::CheckItemAlone(int index)
{
  const int n = mItems.GetSize();
  for (int i = 0; i < n; ++i) mItems.Get(i)->SetChecked(i == index);
}

bool IPopupMenu::IsItemChecked(int index) const
{
  const IPopupMenuItem* item = mItems.Get(index);
  return item && item->GetChecked();
}

void IPopupMenu::SetItemState(int index, int which, bool state)
{
  IPopupMenuItem* item = mItems.Get(index);
  if (item) item->SetFlag(state, which);
}
