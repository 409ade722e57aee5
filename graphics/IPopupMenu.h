// IPopupMenu: a platform-neutral popup menu: items with texts, optional
// submenus and state flags, and after it was shown the index of the chosen
// item. The menu owns its items; submenus belong to whoever built them and
// must outlive the menu while it is shown. GUI thread only.
#pragma once

#include "core/BASE_PtrList.h"
#include "core/BASE_String.h"

class IPopupMenu
{
public:
  class IPopupMenuItem
  {
  public:
    enum EFlags
    {
      kNoFlags = 0,
      kDisabled = 1,
      kTitle = 2,
      kChecked = 4,
      kSeparator = 8,
    };

    IPopupMenuItem(const char* text, int flags = kNoFlags) : mText(text), mFlags(flags) {}
    IPopupMenuItem(const char* text, IPopupMenu* submenu)
      : mText(text), mSubmenu(submenu)
    {
    }

    const char* GetText() const { return mText.Get(); }
    IPopupMenu* GetSubmenu() const { return mSubmenu; }
    int GetFlags() const { return mFlags; }
    bool GetEnabled() const { return !(mFlags & kDisabled); }
    bool GetChecked() const { return (mFlags & kChecked) != 0; }
    bool GetIsTitle() const { return (mFlags & kTitle) != 0; }
    bool GetIsSeparator() const { return (mFlags & kSeparator) != 0; }

    void SetChecked(bool state) { SetFlag(state, 3); }
    // which 1..4 selects disabled, title, checked or separator.
    void SetFlag(bool state, int which);

  private:
    BASE_String mText;
    IPopupMenu* mSubmenu = nullptr;  // not owned
    int mFlags = kNoFlags;
  };

  IPopupMenu() = default;
  IPopupMenu(const IPopupMenu&) = delete;
  IPopupMenu& operator=(const IPopupMenu&) = delete;
  ~IPopupMenu();

  // Takes ownership of item; index is clamped to 0..count, -1 appends.
  IPopupMenuItem* AddItem(IPopupMenuItem* item, int index = -1);
  IPopupMenuItem* AddItemText(const char* text, int index = -1, int flags = 0);
  IPopupMenuItem* AddItemSubmenu(const char* text, int index, IPopupMenu* submenu);
  IPopupMenuItem* AppendItemSubmenu(const char* text, IPopupMenu* submenu);
  IPopupMenuItem* AddSeparator(int index = -1);

  int GetNItems() const { return mItems.GetSize(); }
  IPopupMenuItem* GetItem(int index) const { return mItems.Get(index); }
  // "" for an index out of range.
  const char* GetItemText(int index) const;
  // The item text as a native menu shows it, numbered by the prefix mode.
  void GetDisplayText(int index, BASE_String* out) const;

  // 0 none, 1 "%1d: ", 2 "%02d: ", 3 "%03d: "; other values are ignored.
  void SetPrefix(int mode);
  int GetPrefix() const { return mPrefix; }

  bool SetItemChecked(int index, bool state);
  // Checks index and clears every other check mark; an index out of range
  // clears them all.
  void CheckItemAlone(int index);
  bool IsItemChecked(int index) const;
  void SetItemState(int index, int which, bool state);

  int GetChosenItemIdx() const { return mChosenItemIdx; }
  void SetChosenItemIdx(int index) { mChosenItemIdx = index; }

private:
  IPopupMenuItem* Insert(IPopupMenuItem* item, int index);

  int mPrefix = 0;
  int mChosenItemIdx = -1;
  BASE_PtrList<IPopupMenuItem> mItems;
};
