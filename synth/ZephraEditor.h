// ZephraEditor: the plug-in object of the standalone application and the
// editor's model of one synth program. It holds the 342 parameters (program
// index p is parameter p + 3), the program record in record encoding, the
// undo store, and the NRPN road by which every edit reaches the synth.
//
// Threads: everything here runs with the plug-in mutex held (the GUI thread,
// the MIDI input threads, the one-second timer thread); the operations that
// say "locks" take the recursive mutex themselves.
//
// The methods live in several sources: ZephraEditor.cpp (construction,
// parameters, timer), ZephraNrpn.cpp (the senders), ZephraUndo.cpp (program
// record, apply, undo), ZephraCaptions.cpp (captions, FLEXI lists, capture),
// ZephraEditorFiles.cpp (program files and the folder table);
// the parameter-change handler is the editor panels' (editor/).
#pragma once

#include "core/CTimer.h"
#include "core/IUnitStandalone.h"
#include "synth/ZephraPanelLink.h"
#include "synth/ZephraTables.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class ZephraEditor;
enum class ProgramFileError; // synth/ProgramFile.h

// How the editor is set up beyond the shell's instance info.
struct ZephraEditorSetup
{
  // Folder of "settings.ini", without a trailing "/". Empty: the user's
  // application-support folder, "$HOME/Library/Application Support/ZephraEditor".
  std::string settingsFolder;
  // Runs the one-second timer thread. Tests turn it off and call
  // OnTimerTick themselves.
  bool runTimer = true;
  // Builds the graphics object, the resize manager and the panels (the
  // constructor's GUI steps); it attaches the graphics with AttachGraphics
  // and the panels with SetPanels. Without it the editor has no GUI.
  std::function<void(ZephraEditor&)> buildGui;
  // Sees every controller message the editor hands to the MIDI output, in
  // order, including those sent while the editor is being constructed,
  // which no subclass override can see. Tests watch the wire with it.
  std::function<void(const IMidiMsg&)> sendTap;
};

class ZephraEditor : public IUnitStandalone, public CTimerCallbackInterface
{
public:
  // The one undo snapshot: 184 values in record encoding.
  using ProgramValues = std::array<int32_t, kProgramSize>;

  static constexpr int kBundleVersion = 0x30600;
  static constexpr int kUniqueID = 0x5A706564;  // 'Zped'
  static constexpr int kMfrID = 0x42726941;     // 'BriA'
  static constexpr int kTimerIntervalMs = 1000;
  // No parameter ever takes this value, so the first change of each passes.
  static constexpr int kNoLastValue = 128;

  // Defined with the panels (editor/), since it builds the GUI; with it
  // the editor's virtual table, so whoever links the editor links the panels.
  explicit ZephraEditor(const IUnitInstanceInfo& info, const ZephraEditorSetup& setup = {});
  ~ZephraEditor() override;

  // ---- plug-in slots ----
  // The parameter-change handler (editor/ZephraParamChange.cpp).
  void OnParamChange(int paramIndex) override;
  // The editor produces no audio: silence on both outputs.
  void ProcessDoubleReplacing(double** inputs, double** outputs, int frames) override;
  // Short messages from the synth carry nothing the editor needs.
  void ProcessMidiMsg(IMidiMsg* /*msg*/) override {}
  // Timer thread: one OnTimerTick.
  void OnTimer(CTimer* timer) override;

  // ---- construction helpers for the GUI side ----
  // Takes the panels' link (null restores the do-nothing link).
  void SetPanels(std::unique_ptr<ZephraPanelLink> panels);
  ZephraPanelLink& Panels() { return *mPanels; }
  const std::string& SettingsPath() const { return mSettingsPath; }

  // ---- timer ----
  // One timer turn under the mutex: every second tick without a handled
  // change forgets the last NRPN address, so the next send restates it.
  void OnTimerTick();

  // ---- NRPN (ZephraNrpn.cpp) ----
  // Locks. Sends one program value (0..183) as controllers 99/98 (only when
  // the address changes) and 6, then records an undo step unless suspended.
  void SendParamNRPN(int programIndex, int value);
  // Sends the whole program record: 336 controllers in a fixed order.
  void SendProgramToSynth();

  // ---- program record and undo (ZephraUndo.cpp); the caller holds the mutex ----
  // Makes values (record encoding) the current program: parameters, FLEXI
  // targets and panels, with the undo store reset to it. Sends nothing;
  // the loader sends the program when it wants the synth to follow.
  void ApplyProgram(const ProgramValues& values);
  // Makes the default program current, sends it and pushes an undo step.
  void InitProgram();
  void ParamsToUndoRecord();
  void ResetUndoHistory();
  void PushUndoSnapshot();
  void StoreUndoSnapshot();
  // Opens a new step when groupKey differs from the last one, else
  // overwrites the current step.
  void RecordUndoStep(int groupKey);
  void RecallUndoSnapshot();
  void Undo();
  void Redo();

  // ---- captions and capture (ZephraCaptions.cpp) ----
  // Writes the caption of a program value in the synth's units.
  void UpdateValueDisplay(int programIndex, int value);
  // The FLEXI list on view: 0..3 the sources of slots 1..4, 4..7 their
  // range controls, -1 none. Set by the list view of the panels.
  void SetOpenFlexiList(int list) { mFlexiOpenList = list; }
  // Applies position in the open FLEXI list.
  void SelectFlexiListEntry(int position);
  // Fills mProgram from the parameters, second halves folded.
  void CaptureProgram();

  // ---- program files and the folder table (ZephraEditorFiles.cpp); each locks ----
  // Writes the current parameters as a ".pr3" file, replacing it. False when
  // the file could not be opened or not all of it reached the disk.
  [[nodiscard]] bool WriteSoundAsProgramFile(const char* path);
  // Reads a ".pr3" or ".prg" file, limits its values to their ranges and
  // applies it (program name, location display, save proposal, parameters).
  // On any failure program, name and controls stay as they were; a file of
  // the wrong size shows "Corrupted filesize!" in the name display.
  ProgramFileError LoadProgramFile(const char* path);
  // Program name = the file name without folder and extension, at most 32
  // characters; names shorter than 4 characters change nothing.
  void SetProgramNameFromFile(const char* name);
  // Fills the folder table from the folder of path and finds path's file.
  void ScanProgramFolder(const char* path);
  // The previous/next buttons: loads the neighbouring file of the table
  // (wrapping) and sends it. False when there is nothing to step to or the
  // file does not load.
  bool StepProgramFile(bool forward);
  // Converts one older ".prg" file, or all of a folder's (path ending in
  // "/"), to ".pr3" files beside them.
  void ConvertPrgToPr3(const char* path);
  void ConvertPrgFolder(const char* folder);
  const std::string& ProgramFolder() const { return mProgramFolder; }
  const std::vector<std::string>& FolderFiles() const { return mFolderFiles; }
  int FolderFileCount() const { return mFolderFileCount; }
  int FolderFileIndex() const { return mFolderFileIndex; }

  // ---- state read by the panels and tests ----
  const ProgramValues& Program() const { return mProgram; }
  const char* ProgramName() const { return mProgramName; }
  int UndoPosition() const { return mUndoPos; }
  int UndoCount() const { return static_cast<int>(mUndoSnapshots.size()); }
  int FlexiTarget(int slot) const { return mFlexiTarget[slot]; }
  int KbdMidiChannel() const { return mKbdMidiChannel; }
  int LastNrpnIndex() const { return mLastNrpnIndex; }
  // The integer part of parameter paramIndex.
  int ParamInt(int paramIndex) const;

private:
  static std::string DefaultSettingsFolder();
  void DefineParameters();
  void DefineProgramParam(int programIndex);
  void DefineInterfaceParams();
  void ReadKbdMidiChannel();
  void InitProgramState();
  void StartTimer();

  // Sends controller number with a data byte on channel 1; the wrapper
  // puts on the configured output channel.
  void SendController(int controller, int dataByte);
  // Puts mProgram into the parameters (bulk mode held by the caller).
  // afterRecall: the snapshot rules (write the clamped FLEXI value back).
  void ApplyProgramValues(bool afterRecall);
  void ApplyFlexiSlot(int slot, bool afterRecall);
  // Hides the range controls and clears every FLEXI slot's target.
  void ClearFlexiTargets();
  void SetAllLastValues(int value);
  // Shows the program name between two asterisks once after each load.
  void MarkProgramEdited();

  std::unique_ptr<ZephraPanelLink> mPanels;
  std::string mSettingsPath;  // ".../settings.ini"
  bool mRunTimer;
  std::function<void(const IMidiMsg&)> mSendTap;
  CTimer* mTimer = nullptr;   // owns itself once started
  pthread_t mTimerThread{};

  // ---- the program ----
  ProgramValues mProgram{};
  char mProgramName[kProgramNameLength + 1] = {};
  std::string mProgramFolder;  // ends in "/" when set
  // The folder's program files sorted by lower-case name (at most 1024),
  // the highest index (0 with one file or none) and the current file.
  std::vector<std::string> mFolderFiles;
  int mFolderFileCount = 0;
  int mFolderFileIndex = 0;
  bool mFolderScanned = false;
  std::array<int32_t, kFlexiSlotCount> mFlexiTarget{{-1, -1, -1, -1}};
  int mKbdMidiChannel = 0;

  // ---- the parameter-change path ----
  bool mBulkLoad = false;
  bool mUndoSuspended = false;
  bool mNameMarked = false;
  int mLastNrpnIndex = kNrpnNoneSent;
  std::array<int32_t, kParamCount> mLastSentValue{};
  int mIdleTickParity = 0;  // cleared by every handled change
  int mSectionCount = 0;
  bool mFlexiLearnMode = false;
  int mFlexiOpenList = -1;

  // ---- undo ----
  ProgramValues mUndoRecord{};
  std::vector<ProgramValues> mUndoSnapshots;
  int mUndoPos = 0;
  int mUndoGroup = -1;
};
