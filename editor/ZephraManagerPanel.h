// ZephraManagerPanel: the program-manager overlay -- its controls made from
// one table of rows in attach order (ZephraManagerPanel.cpp), the references
// the manager's reactions need, and the manager link the program library
// talks to: the location tiles with their highlights and names, the browser
// rows with their scroll bar, the rename field and the list controls' mouse.
//
// Threads: as the other panels, every operation runs with the plug-in mutex
// held; the graphics object owns the controls, the references never own.
#pragma once

#include "editor/ZephraManagerWindowLink.h"

#include <array>
#include <cstdint>
#include <string>

struct IBitmap;
class IControl;
class IFaderControl;
class IGraphics;
class IInvisibleMatrixSelectControl;
class IInvisibleSelectControl3;
class ITextControl;
class IUserTextControl;
class ZephraEditor;

// What a row of the manager's table makes.
enum class ManagerKind : uint8_t
{
  kPlate,          // unbound image at (x, y)
  kContact,        // IContactControl at (x, y)
  kSwitch,         // ISwitchControl at (x, y), the check box image
  kField,          // IUserTextControl over (x, y, r, b)
  kCloseSubPanels, // both sub-panels closed, the remember box from the settings
  kBrowserRows,    // the 47 row captions, row i 14 i lower
  kBrowserSelect,  // IInvisibleSelectControl3 over (x, y, r, b)
  kScrollFader,    // IFaderControl at (x, y), r long, vertical
  kLocations,      // highlight and tile of the 100 locations from (x, y), then their captions
  kMatrix,         // IInvisibleMatrixSelectControl over (x, y, r, b)
};

// Controls the manager shows and hides by themselves.
enum class ManagerRef : uint8_t
{
  kNone,
  kBackground,
  kFolderBackground,
  kLoginBackground,
  kUserField,
  kPasswordField,
  kRenameField,
  kCount,
};

struct ManagerRow
{
  ManagerKind kind;
  int param;  // -1 for none
  int bitmap; // 0 for none
  int x, y, r, b;
  ManagerRef ref;
};

constexpr int kManagerBrowserRows = 47;
constexpr int kManagerLocations = 100;

class ZephraManagerPanel : public ZephraManagerWindowLink
{
public:
  ZephraManagerPanel(ZephraEditor& editor, IGraphics& gui);

  // Walks the table: every control made and attached in table order.
  void Build();
  // The overlay without its sub-panels; showing keeps the play-note button
  // hidden while a row-edit mode is on and the scroll bar while the browser
  // holds fewer than 47 records. Location 0 is never shown.
  void Hide(bool hide, bool rowEditMode, size_t browserRecords);
  void HideLoginPanel(bool hide);
  void HideFolderPanel(bool hide);
  // Shows the overlay again after a re-layout hid it, with the login and
  // folder panels as they stood before.
  void ShowAsItWas(bool rowEditMode, size_t browserRecords);

  // The location 1..99 of a matrix cell; 0 for cell 0 and for anything
  // outside the grid, which no reaction may use.
  static int LocationOfCell(int cell);

  // ---- the program library's link ----
  ListMouseEvent BankMouse() override;
  ListMouseEvent BrowserMouse() override;
  void SetRowChecked(int location, bool checked) override;
  void SetRowCell(int location, double value) override;
  void SetRowText(int location, const char* text) override;
  void SetNameField(const char* text) override;
  void SetBrowserRow(int row, const char* text, bool shown) override;
  void SetBrowserScroll(int range) override;
  void SetBrowserRowSelected(int row, bool selected) override;
  void SetPlayNoteEnabled(bool enabled) override;
  // Without these the "DISK" button and the database button showed nothing.
  void ShowFolderPanel(bool shown) override { HideFolderPanel(!shown); }
  void ShowLoginPanel(bool shown) override { HideLoginPanel(!shown); }
  std::string UserField() override { return FieldText(ManagerRef::kUserField); }
  void SetUserField(const char* text) override { SetFieldText(ManagerRef::kUserField, text); }
  std::string PasswordField() override { return FieldText(ManagerRef::kPasswordField); }
  void SetPasswordField(const char* text) override { SetFieldText(ManagerRef::kPasswordField, text); }
  std::string NameField() override { return FieldText(ManagerRef::kRenameField); }

  // ---- references ----
  IControl* Ref(ManagerRef ref) const { return mRefs[static_cast<int>(ref)]; }
  IControl* Highlight(int location) const { return mHighlights[location]; }
  IControl* Tile(int location) const { return mTiles[location]; }
  ITextControl* Number(int location) const { return mNumbers[location]; }
  ITextControl* Name(int location) const { return mNames[location]; }
  ITextControl* BrowserRow(int row) const { return mRows[row]; }
  IInvisibleMatrixSelectControl* Matrix() const { return mMatrix; }
  int ScrollRange() const { return mScrollRange; }

private:
  bool mLoginShown = false;
  bool mFolderShown = false;
  void MakeLocations(const ManagerRow& row, IBitmap* tile, IBitmap* highlight);
  void CloseSubPanels();
  std::string FieldText(ManagerRef ref) const;
  void SetFieldText(ManagerRef ref, const char* text);
  bool Valid(int location) const { return location > 0 && location < kManagerLocations; }

  ZephraEditor& mEditor;
  IGraphics& mGui;
  std::array<IControl*, static_cast<int>(ManagerRef::kCount)> mRefs{};
  std::array<ITextControl*, kManagerBrowserRows> mRows{};
  std::array<IControl*, kManagerLocations> mHighlights{};
  std::array<IControl*, kManagerLocations> mTiles{};
  std::array<ITextControl*, kManagerLocations> mNumbers{};
  std::array<ITextControl*, kManagerLocations> mNames{};
  IInvisibleSelectControl3* mBrowserSelect = nullptr;
  IInvisibleMatrixSelectControl* mMatrix = nullptr;
  int mScrollRange = 0;
};
