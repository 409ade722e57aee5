// ZephraEditor: the plug-in object of the standalone application. The synth
// model (synth/ZephraModel.h) holds the program, the synth link, the files
// and the lifecycle; this class adds what belongs to the editor panels: the
// construction steps that build the GUI and the parameter-change handler
// through which every parameter change becomes synth messages, captions and
// panel changes.
//
// The handler's frame and its table of cases live in ZephraParamChange.cpp;
// each family of cases lives in its own source:
//   ZephraSynthValueCases.cpp  captions and panel switching of synth values
//   ZephraFlexiCases.cpp       FLEXI range learn and the FLEXI list view
//   ZephraEffectCases.cpp      effect panels, tabs and the EQ views
//   ZephraButtonCases.cpp      editor buttons and controller learn
//   ZephraManagerCases.cpp     the program manager's actions
//   ZephraManagerMode.cpp      the manager shown and put away by the menu
// the menu commands in ZephraMenuCommands.cpp, the construction in
// ZephraEditor.cpp, the GUI build in ZephraSkinBuild.cpp, the
// program-manager overlay in ZephraManagerPanel.cpp and the view-layout hook
// in ZephraViewLayout.cpp; the panels themselves are ZephraPanels.
//
// Threads: the lock rule of the model (synth/ZephraModel.h) holds here too.
#pragma once

#include "editor/ZephraDesktopOpen.h"
#include "synth/ZephraModel.h"

#include <cstdint>
#include <functional>
#include <string>

class ZephraEditor;
class ZephraManagerPanel;
class ZephraPanels;
class IGraphics;
class IUnitGUIResize;
enum class SkinRef : uint8_t;

// How the editor is set up beyond the shell's instance info.
struct ZephraEditorSetup : ZephraModelSetup
{
  // Builds the graphics object, the resize manager and the panels (the
  // constructor's GUI steps); it attaches the graphics with AttachGraphics
  // and the panels with SetPanels. Without it the editor has no GUI.
  // ZephraDesktopGui (ZephraEditorGraphics.h) gives the application's.
  std::function<void(ZephraEditor&)> buildGui;
};

class ZephraEditor : public ZephraModel
{
public:
  // The model's set-up, the GUI, the program state (last program loaded and
  // sent, timer running) and the keyboard channel parameter, in that order.
  explicit ZephraEditor(const IUnitInstanceInfo& info, const ZephraEditorSetup& setup = {});
  // Stops the timer before the handler goes, then saves the settings.
  ~ZephraEditor() override;

  // The parameter-change handler: every change of a parameter, from a
  // control, an editor action or a MIDI thread, ends here, with the plug-in
  // mutex held by the caller (it is taken again, recursively). Cases that
  // set other parameters re-enter it for each of them.
  void OnParamChange(int paramIndex) override;

  // ---- the GUI build (ZephraSkinBuild.cpp) ----
  // Builds every panel on graphics (null: the attached graphics object),
  // attaches the graphics and hands the panels to the model; the look comes
  // from settings.ini [gui] "background". With onlyBackground only a red
  // panel background. As the panels of ZephraSetUpGui:
  // [](ZephraEditor& e, IGraphics& g) { e.CreateGUI(false, &g); }.
  void CreateGUI(bool onlyBackground, IGraphics* graphics = nullptr);
  void CreateClassicSkin(bool space);
  void CreateLcdSkin();
  // 0 classic with the space background, 1 classic plain, 2 LCD.
  int Skin() const { return mSkin; }
  // 0 the whole panel, 1 the compact one (the view commands set it).
  int ViewMode() const { return mViewMode; }
  // Before the GUI opens: the view stored in settings.ini [gui] "view"
  // ("compact", else the whole panel) becomes the editor's, and its panel
  // size the resize manager's size at scale 1.0, at which the GUI opens.
  void TakeStoredView(IUnitGUIResize* resizer);
  // The panels once CreateGUI has run, else null.
  ZephraPanels* Face() const { return mFace; }

  // ---- the program-manager overlay (ZephraManagerPanel.cpp) ----
  // Builds the overlay on the panels' graphics and hands it to the model as
  // its manager link; manager mode starts from settings.ini [gui] "manager".
  void CreateManagerPanel();
  // The overlay (true hides), its login panel and its folder-choice panel.
  void HideManager(bool hide);
  // The manager overlay shown again after a re-layout, its login and folder
  // panels as they were.
  void ShowManagerAsItWas();
  void HideLoginPanel(bool hide);
  void HideFolderPanel(bool hide);
  // The overlay once CreateManagerPanel has run and while it is still the
  // model's manager link (a test may put another link in its place), else
  // null.
  ZephraManagerPanel* ManagerPanel();

  // ---- the bank at quit (ZephraManagerCases.cpp) ----
  // True while the bank holds programs whose arrangement is in no folder:
  // never loaded from or saved to one, or changed since. Locks.
  bool BankUnsaved();
  // Asks for a folder and saves the bank there, as "Save to disk" does;
  // false when the choice is cancelled or the save failed (it has said
  // so). GUI thread; locks, and lets go while the user chooses.
  bool SaveBankBeforeQuit();

  // ---- the view-layout hook (ZephraViewLayout.cpp) ----
  // View mode 0 only: the panels as the current values demand, the FLEXI
  // range pairs at the current GUI scale. width and height are not used.
  void SetGUILayout(int viewMode, double width, double height) override;

  // ---- menu commands (ZephraMenuCommands.cpp) ----
  // The shell's menu hook, index 0..36 as the shell maps the menus' command
  // ids; any other index does nothing. Always true, so the shell never shows
  // its own About box. GUI thread; locks.
  bool OnStandaloneMenuCommand(int index) override;
  // The program that opens the user guide and the database's page
  // ("xdg-open"); openers still watched for failure.
  void SetDesktopOpener(std::string program) { mOpener.SetProgram(std::move(program)); }
  size_t DesktopOpenersRunning() const { return mOpener.Running(); }
  // Hides or shows the program-number chooser: its background, the chooser
  // and its OK button.
  void HideCaptionList(bool hide);
  // Whether the controller learn (unlearn) waits for a knob or a controller:
  // its button, which the Edit menu toggles, is held down.
  bool ControllerLearnArmed() const { return ParamPressed(kParamCcLearn); }
  bool ControllerUnlearnArmed() const { return ParamPressed(kParamCcUnlearn); }

  // ---- FLEXI range learn ----
  // Arms learn for slot 1..4 (0 disarms): the next learnable synth value the
  // user moves becomes the slot's target. The slot's LEARN button arms it.
  void SetFlexiLearnSlot(int slot);
  bool FlexiLearnArmed() const { return mFlexiLearnMode; }

  // ---- timed work of the panels (ZephraFlexiCases.cpp) ----
  // Timer thread, mutex held: the Range-B caption back to Range A on the
  // second tick, an unfinished learn called off on the tenth.
  void OnPanelTimerTick() override;
  // GUI thread: the model's idle work, then the armed slot's lamp toggled
  // every eighth pass.
  void OnIdle() override;
  // An armed learn blinks its lamp every few idle passes.
  bool IdleIsTimed() override;

  // How a case ends the handling of its change.
  enum class CaseEnd
  {
    kTail,     // last value v (128 for the buttons whose every change counts), address, idle count
    kRecord,   // the same, always with v as the last value
    kPressed,  // last value 128, so the same value is handled again at once
    kEarly,    // nothing recorded: the change counts as not handled
  };
  // A case of the handler: handler index r and the value v.
  using CaseHandler = CaseEnd (ZephraEditor::*)(int r, int v);
  struct CaseRange
  {
    int first, last;  // handler indices, inclusive
    CaseHandler handler;
  };

private:
  // ---- the frame (ZephraParamChange.cpp) ----
  // The table of cases; an index in no row goes straight to the tail.
  static const CaseRange kCases[];
  static CaseHandler FindCase(int r);
  // Shows the program name between two asterisks once after each load.
  void MarkProgramEdited();
  // A learnable synth value moved while learn is armed becomes the slot's
  // target, and learn ends.
  void TakeFlexiTarget(int r, int v);
  void EndHandling(CaseEnd end, int r, int v);

  // ---- captions and panel switching of synth values (ZephraSynthValueCases.cpp) ----
  CaseEnd ShowUnitCaption(int r, int v);
  CaseEnd OnEnvelopeMode(int r, int v);
  CaseEnd OnVcfVintageNew(int r, int v);
  CaseEnd OnMidiSync(int r, int v);
  // Shows the knob and caption of one cutoff and hides the other's; a FLEXI
  // slot on the hidden one moves to the shown one instead.
  void ShowCutoff(bool newFilter);

  // ---- FLEXI range learn and list view (ZephraFlexiCases.cpp) ----
  // The target's range pair, placement and slot values once step 3 has
  // given slot (0..3) the target r.
  void ArrangeFlexiTarget(int slot, int r, int v);
  // Both knobs of slot's range pair: name "FlexiN Range", range, default
  // and knob steps (0 for a free knob).
  void SetFlexiRangePair(int slot, int frames, int minValue, int maxValue, int defaultValue);
  void UncoverFlexiTarget(int slot);
  void DisarmFlexiLearn();
  void EmptyFlexiSlot(int slot);
  void PressFlexiLearn(int slot);
  void PressFlexiClear(int slot);
  CaseEnd OnFlexiPolarity(int r, int v);
  CaseEnd OnFlexiRange(int r, int v);
  CaseEnd OnFlexiLearnOrClear(int r, int v);
  CaseEnd OnShowFlexiList(int r, int v);
  CaseEnd OnFlexiListPage(int r, int v);
  CaseEnd OnCloseFlexiList(int r, int v);
  // Hides both FLEXI list views and their close button.
  void CloseFlexiLists();

  // ---- effect panels (ZephraEffectCases.cpp) ----
  CaseEnd OnEffectsChainOrder(int r, int v);
  CaseEnd OnEffectSwitch(int r, int v);
  CaseEnd OnEqGraphDrag(int r, int v);
  CaseEnd OnEqView(int r, int v);
  CaseEnd OnEffectTab(int r, int v);
  // Shows or hides one of the four effects' on-indicators.
  void ShowEffectIndicator(SkinRef ref, bool show);
  // The tab's lamp on, the three others off.
  void LightEffectLamp(int tab);
  // The chorus tab (false) or the delay tab (true), with the synth switched
  // to that mode when it is in the other.
  void ShowModulationTab(bool delay);

  // ---- editor buttons and controller learn (ZephraButtonCases.cpp) ----
  CaseEnd OnFileButton(int r, int v);
  CaseEnd OnSoundButton(int r, int v);
  CaseEnd OnCopySource(int r, int v);
  CaseEnd OnCcLearnButton(int r, int v);
  CaseEnd OnChooserOrCopyMode(int r, int v);
  CaseEnd OnKeyboardChannel(int r, int v);
  // Sets each of the parameters first..last to value through the handler.
  void SetParamRange(int first, int last, double value);
  // The location 1..99 the chooser's value asks for, 0 for a value the
  // chooser cannot hold.
  static int ChooserLocation(int value);

  // ---- menu commands (ZephraMenuCommands.cpp) ----
  void RunMenuCommand(int index);
  // Opens the file selector as a click would, the mutex let go meanwhile.
  void ClickSelector(SkinRef ref);
  // Puts a contact button whose press opened a chooser back up, as the
  // chooser kept its release from it.
  void ReleaseButton(int param);
  // The press of a file button: its selector's chooser, then the button up.
  void PressSelector(int button, SkinRef ref);
  // A selector about to open in the cache folder opens where ChooserStart
  // says instead, with the same file name.
  void KeepSelectorOutOfCache(SkinRef ref);
  // The file the selector holds, "" for none.
  std::string SelectedFile(SkinRef ref) const;
  // The selector's file with its folder before it, as a path to compare.
  std::string SelectedPath(SkinRef ref) const;
  // The desktop opener on target; false, with a message box, when it did
  // not start. An opener that fails later is reported by the idle pass.
  bool OpenWithDesktop(const std::string& target);
  void ReportFailedOpens();
  bool OpenUserGuide();
  bool OpenDatabasePage();
  // Shows view mode 0 (the whole panel) or 1 (its top-left part) at the
  // current scale and stores it.
  void ShowView(int mode);
  void SetGuiScale(double scale);
  // Writes the look (ZephraSkinNumber) as the setting; switches between
  // the classic looks at once, warns that the LCD look needs a restart.
  void ChooseLook(int skin);
  void SaveAllFromSynth();
  // A press and release of the button, through the handler.
  void PressButton(int param);
  void StepTenPrograms(bool forward);
  // Presses param when it is up and lets it go when it is down.
  void ToggleButton(int param);
  bool ParamPressed(int param) const;

  // ---- the manager shown and put away (ZephraManagerMode.cpp) ----
  // Command 33: the overlay, the program folder listed with the current
  // file selected (and remembered), no bank location selected.
  void ShowManager();
  // Command 32 (not during a transfer): the panels, with the selected bank
  // location's program (exported into the cache first), the first stored
  // one, or the remembered file loaded and sent.
  void PutManagerAway();
  // The load, save and write selectors all hold path.
  void SetSelectorsTo(const std::string& path);

  // ---- the program manager (ZephraManagerCases.cpp) ----
  // The manager's action for a parameter 307..340 while the manager is
  // shown; true when it ends the handling.
  bool RunManagerAction(int paramIndex);
  void OnBrowserSelection(int p);
  void SendSelectionToBank();
  // 312..317 on release; false when 314's question was answered No.
  bool OnBankButton(int p);
  // Asks whether only the selection goes, then exports and writes the bank
  // once its database entries are downloaded.
  void WriteBankToSynth();
  void WriteBankToSynth(bool selectedOnly);
  void OnRowEditMode(int p, bool ticked);
  void ApplyNameAndCategory();
  void ScrollBrowser();
  void OnDatabaseButton();
  void LogIn();
  // The login's answer, on the GUI thread under the mutex.
  void FinishLogIn(bool accepted, const std::string& user, const std::string& password);
  void OnRemember(bool ticked);
  // The rows from the first shown record on, red where selected.
  void ShowBrowserSelection();
  void EmptyBrowser();
  void ResetBank();
  void ClearBankSelection();
  void CloseSubPanels();
  bool BankHoldsProgram();
  // The bank is in folder now, as it stands.
  void MarkBankSaved(const std::string& folder);
  // Asks with Yes and No; true on Yes.
  bool Confirm(const char* text);
  std::string UserFilePath() const;

  bool mFlexiLearnMode = false;
  // Set while FLEXI learn sets the slot's own values for a new target.
  bool mArrangingFlexi = false;
  // The "MIDI Sync" knob while the pointer holds it: its value when
  // pressed, and whether it has shown another since.
  struct KnobPress
  {
    bool held = false;
    int value = 0;
    bool moved = false;
  };
  KnobPress mMidiSyncPress;
  int mFlexiLearnSlot = 0;  // 1..4, 0 none
  bool mLearnTimeoutRunning = false;
  int mLearnTimeoutTicks = 0;
  int mLampBlinkPasses = 0;
  int mPendingRangeSlot = 0;  // 1..4: the slot whose Range B the caption shows, 0 none
  int mPendingRangeTicks = 0;

  // ---- the program manager's state ----
  bool mLoggedIn = false;
  bool mBankSaved = false;  // the bank as shown is in a folder
  unsigned mSavedRevision = 0;  // the bank's revision when it was last in a folder
  int mRowEditMode = 0;     // 1..5 by the ticked box, 0 none
  std::string mBankFolder;  // where the bank was last loaded or saved
  // The program folder and its current file when the manager opened.
  std::string mRememberedFolder;
  std::string mRememberedFile;

  ZephraPanels* mFace = nullptr;  // owned by the model's panel link
  ZephraManagerPanel* mManagerPanel = nullptr;  // owned by the model's manager link

  int mSkin = 0;
  int mViewMode = 0;
  DesktopOpener mOpener;
};
