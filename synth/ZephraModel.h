// ZephraModel: the editor's model of the synth, without any GUI. It is the
// plug-in object of the standalone application up to its panels: the 342
// parameters (program index p is parameter p + 3), the program record in
// record encoding, the undo store, the NRPN road by which every edit reaches
// the synth, the program files, the transfers with the synth and the
// editor's start and end. The editor object (editor/ZephraEditor.h) derives
// from it and adds the GUI build and the parameter-change handler; the model
// reaches the panels only through ZephraPanelLink.
//
// Threads and the one lock rule. The plug-in mutex (recursive) guards all
// of the model's state and is shared by the GUI thread, the MIDI delivery
// threads and the one-second timer thread; everything here runs with it
// held, and the operations that say "locks" take it themselves. Nothing
// slow happens under it: gather what is needed under the lock, let go of it
// (BASE_MutexRelease), do the slow part -- a message box, a file dialog --
// then take it back and apply, checking again what may have changed
// meanwhile (a transfer begun, a row given another program). The network is
// slower still and never runs on the GUI thread: database requests run as
// DatabaseJobs on their own thread, holding no lock, and their results are
// applied on the GUI thread from the idle hook, under the mutex. The MIDI
// input callbacks (inside the sound server's cycle on JACK) never take the
// mutex and never reach the model: each input's callback queues what
// arrives, and a delivery thread of that input's own hands it to the
// model, the keyboard's to ProcessKeyboardMidiMsg, which takes the mutex
// where it needs it.
//
// The methods live in these sources:
//   ZephraModel.cpp           construction, parameters, timer, audio
//   ZephraModelNrpn.cpp       the NRPN senders
//   ZephraModelProgram.cpp    program record, apply, undo and redo
//   ZephraModelCaptions.cpp   captions, FLEXI list choices, capture
//   ZephraModelFiles.cpp      program files and the folder table
//   ZephraModelSysEx.cpp      program transfer with the synth
//   ZephraModelFirmware.cpp   firmware update
//   ZephraModelLifecycle.cpp  reply watchdog, idle work, start and end
//   ZephraModelDatabase.cpp   the database's network work as jobs
//   ZephraModelKeyboard.cpp   controller keyboard, MIDI learn, notes
//   ZephraModelActions.cpp    copy, random and reset of sound sections
// with the undo store in ZephraUndoStore and the transfer state in
// ZephraTransfer.
#pragma once

#include "core/CTimer.h"
#include "core/MidiMsgQueue.h"
#include "core/IUnitStandalone.h"
#include "synth/BankFolder.h"
#include "synth/BankList.h"
#include "synth/BankWrite.h"
#include "synth/DatabaseJobs.h"
#include "synth/ProgramDatabase.h"
#include "synth/ZephraManagerLink.h"
#include "synth/ZephraPanelLink.h"
#include "synth/ZephraLearn.h"
#include "synth/ZephraTables.h"
#include "synth/ZephraTransfer.h"
#include "synth/ZephraUndoStore.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

enum class ProgramFileError; // synth/ProgramFile.h

// How the model is set up beyond the shell's instance info.
struct ZephraModelSetup
{
  // Folder of "settings.ini", without a trailing "/". Empty: the user's
  // application-support folder, "$HOME/Library/Application Support/ZephraEditor".
  std::string settingsFolder;
  // Runs the one-second timer thread. Tests turn it off and call
  // OnTimerTick themselves.
  bool runTimer = true;
  // Sees every controller message the model hands to the MIDI output, in
  // order, including those sent while the editor is being constructed,
  // which no subclass override can see. Tests watch the wire with it.
  std::function<void(const IMidiMsg&)> sendTap;
};

class ZephraModel : public IUnitStandalone, public CTimerCallbackInterface
{
public:
  // The one undo snapshot: 184 values in record encoding.
  using ProgramValues = ZephraUndoStore::ProgramValues;

  static constexpr int kBundleVersion = 0x30600;
  static constexpr int kUniqueID = 0x5A706564;  // 'Zped'
  static constexpr int kMfrID = 0x42726941;     // 'BriA'
  static constexpr int kTimerIntervalMs = 1000;
  // No parameter ever takes this value, so the first change of each passes.
  static constexpr int kNoLastValue = 128;
  static constexpr size_t kMidiQueueStart = 1024;  // records

  // The base, the member start values, the keyboard channel setting and the
  // parameters. The program state comes with InitProgramState, which the
  // editor calls once its GUI stands.
  explicit ZephraModel(const IUnitInstanceInfo& info, const ZephraModelSetup& setup = {});
  // Ends the editor (DestroyEditor) unless a subclass has done so.
  ~ZephraModel() override;

  // ---- plug-in slots ----
  // Locks. Drops the taken records of the MIDI message queue and sizes it
  // for one block.
  void Reset() override;
  // The editor produces no audio: silence on both outputs.
  void ProcessDoubleReplacing(double** inputs, double** outputs, int frames) override;
  // Short messages from the synth carry nothing the editor needs.
  void ProcessMidiMsg(IMidiMsg* /*msg*/) override {}
  // Timer thread: one OnTimerTick.
  void OnTimer(CTimer* timer) override;
  // The plug-in's queue of MIDI message records; the caller holds the mutex.
  MidiMsgQueue& MidiQueue() { return mMidiQueue; }

  // ---- the panels ----
  // Takes the panels' link (null restores the do-nothing link).
  void SetPanels(std::unique_ptr<ZephraPanelLink> panels);
  ZephraPanelLink& Panels() { return *mPanels; }
  // ---- dialogs ----
  // Each lets go of the mutex, however deep the caller holds it, while the
  // dialog is open, so the MIDI and timer threads never wait on the user;
  // the caller checks its state again afterwards. Any thread.
  int AskUser(const char* text, const char* caption, int type);
  // The save selector on proposedPath: the chosen path, "" when cancelled.
  std::string AskForSavePath(const char* proposedPath);
  // The folder panel: the chosen folder ending in "/", "" when cancelled.
  std::string AskForFolder(const std::string& startFolder);

  // ---- choosers and the cache ----
  // Whether path is the cache folder or lies in it: the editor removes it
  // when it quits. Locks.
  bool InEditorsCache(const std::string& path);
  // Where a chooser proposed at wanted (a folder ending in "/", or a file
  // path) starts: wanted itself, unless it is in the cache; then the same
  // file name in the last folder the user chose, or in the home folder.
  // Locks.
  std::string ChooserStart(const std::string& wanted);
  // A folder or file the user chose: its folder is where the next chooser
  // that may not start where it was proposed starts. The cache is never
  // remembered. Locks.
  void NoteChosenPath(const std::string& path, bool isFolder);
  // False, after a warning box, when path lies in the cache: a program
  // saved there would be deleted at the quit. Any thread.
  bool MaySaveInto(const std::string& path);
  const std::string& SettingsPath() const { return mSettingsPath; }

  // ---- start and timer ----
  // Empties the undo store, seeds the random generator, loads the last
  // program (or the default one) and sends it, and starts the timer.
  void InitProgramState();
  // One timer turn under the mutex: every second tick without a handled
  // change forgets the last NRPN address, so the next send restates it.
  void OnTimerTick();

  // ---- NRPN (ZephraModelNrpn.cpp) ----
  // Locks. Sends one program value (0..183) as controllers 99/98 (only when
  // the address changes) and 6, then records an undo step unless suspended.
  void SendParamNRPN(int programIndex, int value);
  // Sends the whole program record: 336 controllers in a fixed order.
  void SendProgramToSynth();

  // ---- program record and undo (ZephraModelProgram.cpp); the caller holds the mutex ----
  // Makes values (record encoding) the current program: parameters, FLEXI
  // targets and panels, with the undo store reset to it. Sends nothing;
  // the loader sends the program when it wants the synth to follow.
  void ApplyProgram(const ProgramValues& values);
  // Makes the default program current, sends it and pushes an undo step.
  void InitProgram();
  // Fills the undo store's working record from the parameters.
  void ParamsToUndoRecord();
  void ResetUndoHistory() { mUndo.Reset(mProgram); }
  void PushUndoSnapshot() { mUndo.Push(); }
  void StoreUndoSnapshot() { mUndo.Store(); }
  // Opens a new step when groupKey differs from the last one, else
  // overwrites the current step.
  void RecordUndoStep(int groupKey);
  void RecallUndoSnapshot();
  void Undo();
  void Redo();

  // ---- captions and capture (ZephraModelCaptions.cpp) ----
  // Writes the caption of a program value in the synth's units.
  void UpdateValueDisplay(int programIndex, int value);
  // The FLEXI list on view: 0..3 the sources of slots 1..4, 4..7 their
  // range controls, -1 none. Set by the list view of the panels.
  void SetOpenFlexiList(int list) { mFlexiOpenList = list; }
  int OpenFlexiList() const { return mFlexiOpenList; }
  // Applies position in the open FLEXI list.
  void SelectFlexiListEntry(int position);
  // A parameter set by the model (plain value) and shown on its control at
  // once; the second shows the value it has.
  void SetParamShown(int param, double value);
  void ShowParamOnControl(int param);
  // Fills mProgram from the parameters, second halves folded.
  void CaptureProgram();

  // ---- program files and the folder table (ZephraModelFiles.cpp); each locks ----
  // Writes the current parameters as a ".pr3" file, replacing it. False when
  // the file could not be opened or not all of it reached the disk.
  [[nodiscard]] bool WriteSoundAsProgramFile(const char* path);
  // The current parameters as the program record such a file holds.
  ProgramValues SoundAsRecord();
  // Reads a ".pr3" or ".prg" file, limits its values to their ranges and
  // applies it (program name, location display, save proposal, parameters).
  // On any failure program, name and controls stay as they were; a file of
  // the wrong size shows "Corrupted filesize!" in the name display. With
  // shownAs the program is named and placed as that file (a copy kept under
  // another name).
  ProgramFileError LoadProgramFile(const char* path, const char* shownAs = nullptr);
  // Program name = the file name without folder and extension, at most 32
  // characters (of any width, never split); names shorter than 4 bytes
  // change nothing.
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
  // Makes index, taken round the table (0 with no file), the current file,
  // so that no later step or read can land past the last file.
  void SetFolderFileIndex(int index)
  {
    const int files = mFolderFileCount + 1;
    mFolderFileIndex = ((index % files) + files) % files;
  }
  // The table holds name only, as after a file outside any folder.
  void SetOnlyFolderFile(const std::string& name)
  {
    mFolderFiles.assign(1, name);
    mFolderFileCount = 0;
    mFolderFileIndex = 0;
  }

  // ---- the synth link: SysEx transfer (ZephraModelSysEx.cpp) ----
  // Every SysEx message the model hands to the MIDI output, in order.
  using SysExTap = std::function<void(const uint8_t* bytes, size_t size)>;
  // Sets the tap (null removes it); call before any thread sends.
  void SetSysExTap(SysExTap tap) { mSysExTap = std::move(tap); }
  // MIDI input thread: replies and dumps from the synth. Locks.
  void ProcessSysEx(ISysEx* sysEx) override;
  // Sends the 9-byte request for location 1..99 and starts the reply wait.
  void RequestProgramDump(int location);
  // A single fetch: the idle hook requests location, the dump is offered
  // for saving. Refused, with the reason in the name display, while
  // save-all, a bank write or a firmware update runs. Locks.
  void RequestSingleProgram(int location);
  // Sends the request the transfer owes, if any (a run's next location, a
  // damaged dump asked again). Locks.
  void SendOwedRequest();
  // A single write of a program file into the location its name gives;
  // the synth's acknowledgement then loads and sends the file. Refused,
  // with the reason in the name display, while another transfer runs: its
  // replies would be taken for this write's. False when refused. Locks.
  bool WriteProgramFileToSynth(const char* path);
  // Read a program file and send it as a 213-byte write; false when
  // nothing was sent. Lock.
  bool SendProgramFileToSynth(const char* path);
  bool SendProgramFileToLocation(const char* path, int location);
  // Save all from the synth into the program folder (toCache: into an
  // emptied cache folder for the program manager); refused as a single
  // fetch is. The first request goes out at once. Locks.
  void StartSaveAllFromSynth(bool toCache);
  // Writes the received dump as the location's ".pr3" file in the save-all
  // target; false, with the error flag raised, when it could not be saved.
  bool SaveDumpToBankFile(int location);
  // Writes the received dump as a ".pr3" file at path. Locks.
  [[nodiscard]] bool SaveReceivedDumpToFile(const char* path);
  // GUI thread: proposes a file name for the received dump and opens the
  // save selector on it; the chosen file is written.
  void SaveReceivedProgram(int location);

  // ---- the synth link: firmware update (ZephraModelFirmware.cpp) ----
  // Checks the file and sends the update request. Locks.
  void StartFirmwareUpdate(const char* path);
  // Builds and sends the data message for path. Locks.
  void SendFirmwareData(const char* path);

  // ---- watchdog, idle work and lifecycle (ZephraModelLifecycle.cpp) ----
  // GUI thread, when nothing needs redrawing: the work other threads flagged.
  void OnIdle() override;
  // The shell opened the synth's output and input again (the sound server
  // came back, the synth's ports came back, or the user chose the ports): a
  // "Communication error!" the name display still shows gives way to the
  // program's name as it shows when nothing is wrong (NameAsShown). Any
  // other text there stays. The program record takes the panel's values
  // and goes to the synth whole. The caller holds the mutex.
  void SynthLinkRestored();
  // "lastprogram.pr3" beside the settings file: loaded and sent at start,
  // named as lastFile, the program it keeps; written at the end.
  void LoadLastProgram(const char* lastFile);
  void SaveLastProgram();
  void SetCachePath();
  const std::string& CachePath() const { return mCachePath; }
  // Removes path, a folder strictly inside the settings folder, with
  // everything in it, following no link (a linked path loses the link
  // only); a missing one is gone already. False (and a log line) on failure.
  bool RemoveFolder(const std::string& path);
  // Empties the cache; while another editor of the settings folder runs,
  // its downloads under "cache/db/" stay.
  void RemoveCacheFolder();
  void HoldCacheLock();
  // True when no other running editor shares this settings folder's cache;
  // this editor then holds the cache alone until ShareTheCache().
  bool AloneWithTheCache();
  void ShareTheCache();
  // Stops and joins the timer, removes the cache, saves the settings and
  // the current sound. Runs once; the destructor calls it.
  void DestroyEditor();
  // What the next start takes up: the manager's state, the last file and the
  // keyboard's channel in the settings, and "lastprogram.pr3". The shell
  // saves it as the quit begins, before it waits on anything (a session's
  // end may kill the editor then); DestroyEditor saves it again.
  void SaveSessionState();
  void SetManagerMode(bool on) { mManagerMode = on; }
  bool ManagerMode() const { return mManagerMode; }

  // ---- the program library (ZephraBank.cpp) ----
  // Takes the program-manager panel's link (null: no panel).
  void SetManagerLink(std::unique_ptr<ZephraManagerLink> link);
  ZephraManagerLink& Manager() { return *mManager; }
  BankList& Bank() { return mBankList; }
  // Checks the folder of path and starts writing its programs into the
  // synth, each on the acknowledgement of the one before. Refused while
  // another transfer waits. Locks.
  void WriteAllProgramsToSynth(const char* path);
  bool BankWriteRunning() const { return mTransfer.AwaitingBankWrite(); }
  // Fills the bank list from folder (ending in "/") and its rows; a folder
  // without numbered program files says so and gives false.
  bool LoadBankListFromFolder(const std::string& folder);
  // Writes the non-empty entries (only location `single` when it is 1..99)
  // into folder as canonically named ".pr3" files, downloading database
  // entries into the cache first; with updatePaths the entries then point
  // at the new files. Entries that could not be written are reported in a
  // message box. False when any failed. Locks.
  bool ExportBankListToFolder(const std::string& folder, bool updatePaths, int single);
  // The manager's save to disk: exports every entry into the user's folder
  // and removes only the old files of programs renamed there
  // (RemoveReplacedFiles). False when any entry failed. Locks.
  bool SaveBankToDisk(const std::string& folder);
  // Empties folder (ours, inside the settings folder) and exports the
  // selected entries into it, paths unchanged. Locks.
  bool ExportBankList(const std::string& folder);
  // Renames the entries' files to their canonical names inside folder and
  // removes the numbered files of ours no entry uses; failures reported as
  // above. Locks.
  bool SaveBankListToFolder(const std::string& folder);
  // The export file name of a location's program ("" for an empty one);
  // when the entry's file is named otherwise, the list is first saved back
  // into the cache folder under those names. Locks.
  std::string MakeProgramFileName(int location);
  // Certificate authorities the database client trusts (empty: the
  // system's); a test server's own certificate.
  void SetDatabaseCaFile(const std::string& path) { mDatabaseCaFile = path; }
  // Lists folder in the browser rows, scrolled to its top. GUI thread.
  void ListDirectory(const std::string& folder);
  // The browser record row 0 shows: the scroll bar (parameter 335, 1 at
  // the list's top) over the records that do not fit the rows.
  int FirstVisibleRecord();
  const std::vector<DatabaseListRecord>& BrowserList() const { return mBrowserList; }
  // The client for settings.ini [dbase] "server" (no server: every request
  // fails and the actions say so).
  ProgramDatabase Database() const;
  // The program manager's mouse handlers (ZephraBankMouse.cpp), GUI thread:
  // the bank list with the clicked row control's value (its location), the
  // browser with the clicked row 0..46.
  void RemoveOrOverwritePrograms(double rowValue);
  void OnProgramBrowserClick(int row);
  // Lists the database's categories in the browser; with no server set it
  // says so. GUI thread.
  void FetchDatabaseCategories();

  // ---- the database's network work (ZephraModelDatabase.cpp) ----
  // Runs what finished database jobs brought (the idle hook does). Locks.
  void ApplyDatabaseResults();
  // Waits for the database jobs and applies what they brought, as the idle
  // hook would once the network answered; false after timeoutMs. GUI
  // thread, without the mutex.
  bool FinishDatabaseWork(int timeoutMs = 60000);
  bool DatabaseBusy();
  // Runs work as a database job (see DatabaseJobs).
  void PostDatabaseJob(DatabaseJobs::Work work) { mDatabaseJobs.Post(std::move(work)); }
  // Ends the database work under way (the editor is closing).
  void StopDatabaseWork();
  // Downloads the bank's "https://" entries (all, or the selected ones) as
  // a job, then runs then on the GUI thread under the mutex; at once when
  // there is nothing to download. Without the mutex.
  void AfterBankDownloads(bool selectedOnly, std::function<void()> then);
  const std::string& BrowserFolder() const { return mBrowserFolder; }

  // ---- synth-link state read by tests (under the mutex) ----
  bool AwaitingDump() const { return mTransfer.AwaitingDump(); }
  bool AwaitingWrite() const { return mTransfer.AwaitingWrite(); }
  int ReplyTicks() const { return mTransfer.ReplyTicks(); }
  int TransferLocation() const { return mTransfer.Location(); }
  bool SavingAllFromSynth() const { return mTransfer.SavingAll(); }
  bool FirmwareUpdateRunning() const { return mTransfer.FirmwareRunning(); }

  // ---- state read by the panels and tests ----
  const ProgramValues& Program() const { return mProgram; }
  const char* ProgramName() const { return mProgramName; }
  int UndoPosition() const { return mUndo.Position(); }
  int UndoCount() const { return mUndo.Count(); }
  // The undo steps the store holds memory for.
  size_t UndoCapacity() const { return mUndo.Capacity(); }
  int FlexiTarget(int slot) const { return mFlexiTarget[slot]; }
  int KbdMidiChannel() const { return mKbdMidiChannel; }
  int LastNrpnIndex() const { return mLastNrpnIndex; }
  // The integer part of parameter paramIndex.
  int ParamInt(int paramIndex) const;
  // The integer part of the parameter of a program value, limited to the
  // value's synth range. A parameter set from a normalised value is limited
  // at the top only, and the folding arithmetic must not see what lies
  // below (as low as INT_MIN).
  int ProgramParamValue(int programIndex) const;

  // ---- controller keyboard, MIDI learn and notes (ZephraModelKeyboard.cpp) ----
  // Keyboard input thread (or whichever thread drains its queue): clock on
  // as a one-byte SysEx; notes tracked and passed on; controllers learnt,
  // or moving their learnt values, or passed on. Locks.
  void ProcessKeyboardMidiMsg(IMidiMsg* msg) override;
  // The learn button (parameter "CC Learn"). Locks.
  void SetLearnArmed(bool armed);
  // While armed: the user changed program value programIndex (0..121) to
  // value from the GUI. Locks.
  void ChooseLearnItem(int programIndex, int value);
  bool IsLearnArmed();
  // The unlearn button (parameter "CC Unlearn"): while armed, the next
  // program value the user changes loses its controller. Locks.
  void SetUnlearnArmed(bool armed);
  // The clear-all button: every binding goes, and the table is saved. Locks.
  void ClearLearntControllers();
  // The controller learnt for a program value, -1 for none. Locks.
  int LearntController(int programIndex);
  // Moves of learnt controllers closer than this to the one before are one
  // undo step, whichever controllers send them.
  static constexpr std::chrono::milliseconds kLearntMoveGap{500};
  // The clock that times a learnt controller's move; tests set their own.
  void SetClock(std::function<std::chrono::steady_clock::time_point()> clock) { mClock = std::move(clock); }
  // "midilearn.ini" beside the settings file: read at the start, written
  // whenever a learn, an unlearn or the clear-all changes the table.
  // Loading keeps the bindings a missing file does not mention; false (and
  // a log line) on a read or write failure, the file then left as it was.
  // Lock.
  [[nodiscard]] bool LoadMidiLearn();
  [[nodiscard]] bool SaveMidiLearn();
  // The notes the keyboard holds, for the on-screen keyboard. Any thread,
  // without the mutex.
  int GetHeldNoteCount() const;
  bool IsNoteHeld(int note) const;
  // The on-screen keyboard's note on (velocity from its setting) or off on
  // the keyboard channel; a negative note sends nothing.
  void SendNote(int note, bool on);

  // ---- sound-editing actions (ZephraModelActions.cpp); the caller holds the mutex ----
  // The copy button: the highest ticked source onto every ticked target.
  void CopyVcoSettings();
  void CopyFlexiSlot();
  // The random button: the ticked sections from a random program; nothing
  // while no section box is ticked.
  void RandomizeSound();
  void MakeRandomSound();
  // The reset button: the ticked sections (all of the program when all 12
  // are ticked) from the INIT sound; nothing while none is ticked.
  void ResetSections();
  void LoadInitSound();
  void ResetAllSections();
  void ResetSelectedSections();
  // The ticked boxes "VCO1" .. "Effect" from the default program, sent
  // whole; no undo step. No control calls it.
  void ResetSelectedSectionsToDefault();

protected:
  // The last step of every timer turn, with the mutex held: the panels'
  // own timed work.
  virtual void OnPanelTimerTick() {}

  // ---- the parameter-change path, shared with the handler ----
  bool mBulkLoad = false;
  bool mUndoSuspended = false;
  bool mNameMarked = false;  // the name shows as edited since the last load
  // Set while a load, the default program or an undo lays out the panels
  // for the program record it has just set: the record, not the controls
  // (which a re-range may have reset), holds the sound then.
  bool mLayoutOfNewProgram = false;
  // The program's name as the name display shows it: between two
  // asterisks once marked as edited.
  std::string NameAsShown() const;
  int mLastNrpnIndex = kNrpnNoneSent;
  // The output's opening count (PacedMidiOut::Openings) under which
  // mLastNrpnIndex was last sent.
  uint64_t mNrpnAddressOpening = 0;
  std::array<int32_t, kParamCount> mLastSentValue{};
  int mIdleTickParity = 0;  // cleared by every handled change
  int mKbdMidiChannel = 0;
  // A learnt gesture: the moves of learnt controllers, any number of them
  // in any order (two knobs turned together, a controller's knob bank),
  // until a pause of kLearntMoveGap, make one undo step, as a knob drag
  // does. While a controller applies its values, mUndoGroupOverride holds
  // the gesture's group key in place of each value's own.
  std::chrono::steady_clock::time_point mLearntMoveAt{};
  int mUndoGroupOverride = -1;
  // 32 characters of up to four bytes each, and the terminating NUL.
  char mProgramName[4 * kProgramNameLength + 1] = {};
  ZephraUndoStore mUndo;
  std::function<std::chrono::steady_clock::time_point()> mClock = [] { return std::chrono::steady_clock::now(); };
  std::array<int32_t, kFlexiSlotCount> mFlexiTarget{{-1, -1, -1, -1}};  // program index, -1 none
  // Counted at each press: a running count could drift from the boxes.
  int TickedSectionCount() const;
  // ---- the program manager's browser, for its buttons ----
  std::vector<DatabaseListRecord>& BrowserRecords() { return mBrowserList; }
  // Forgets the record a shift-click would select from.
  void ForgetBrowserAnchor() { mBrowserAnchor = -1; }
  // Any exchange with the synth that a bank operation would disturb.
  bool TransferRunning() const { return mTransfer.Busy() || mTransfer.SavingAll(); }
  // With busy, shows BusyText in the name display; answers busy.
  bool RefusedWhileBusy(bool busy);
  // The database with a server, or the message that none is set.
  bool DatabaseOrSay(ProgramDatabase& database);
  // Loads the program file into the editor and, when it reads, sends it.
  void LoadAndSendProgram(const std::string& path);
  // Loads and sends path as LoadAndSendProgram does, but keeps the undo
  // history: the sound in the editor before stays one Undo away, so a
  // program that replaces an edit never loses it. Locks.
  void LoadAndSendKeepingUndo(const std::string& path);
  // The next timer turn reports "Finished successfully!".
  void FlagFinished() { mTransfer.Flag(ZephraTransfer::kReportFinished); }
  // Tells the reports other threads flagged (the end of a transfer, its
  // faults) and clears them. Called before a new transfer's first question
  // too, so that the end of the one before is never told after it.
  void TellReports();
  // Hands a short message a musician played (the keyboard's, the on-screen
  // keyboard's notes) to the output, through the send tap.
  void PassToSynth(const IMidiMsg& msg);

private:
  static std::string DefaultSettingsFolder();
  void DefineParameters();
  void DefineProgramParam(int programIndex);
  void DefineInterfaceParams();
  void ReadKbdMidiChannel();
  void StartTimer();

  // Sends controller number with a data byte on channel 1; the wrapper
  // puts on the configured output channel.
  void SendController(int controller, int dataByte);
  // Puts mProgram into the parameters (bulk mode held by the caller).
  // afterRecall: the snapshot rules (write the clamped FLEXI value back).
  // targetSlots: bit s set gives slot s the target its values name;
  // effects: the effect values and switches are set too.
  static constexpr unsigned kAllFlexiSlots = 0xF;
  void ApplyProgramValues(bool afterRecall, unsigned targetSlots = kAllFlexiSlots, bool effects = true);
  // The slot's parameters from mProgram; DESTINATION only withDestination.
  void ApplyFlexiValues(int slot, bool withDestination);
  // Gives the slot the target its BITS and DESTINATION parameters name,
  // when it has a source, with its range controls.
  void SetUpFlexiTarget(int slot, bool afterRecall);
  // Hides the range controls and clears every FLEXI slot's target.
  void ClearFlexiTargets();
  void ClearFlexiTarget(int slot);
  // A reset takes the slot's target away (see ZephraModelActions.cpp).
  void DropFlexiTargetForReset(int slot);

  // ---- keyboard and learn ----
  // A control change from the keyboard; false when it is to be passed on.
  bool ApplyLearntController(int controller, int value);
  // Starts or continues the undo step of a learnt gesture.
  void BeginLearntMoveStep();
  // Learn met its item and controller: button released, table saved.
  void FinishLearn();
  std::string MidiLearnPath() const;

  // ---- actions ----
  bool IsTicked(int param) const;
  // The highest ticked copy source 0..3, -1 for none.
  int CopySource() const;
  // Sends nothing; redraws, sends the program and pushes the undo step.
  void FinishSectionAction();
  // Pushes the action's undo step and ends its group.
  void EndActionStep();
  void SetAllLastValues(int value);
  // The current record's value of a program value's parameter.
  int32_t& Value(EParam param) { return mProgram[ProgramIndex(param)]; }

  std::unique_ptr<ZephraPanelLink> mPanels;
  std::string mSettingsPath;  // ".../settings.ini"
  bool mRunTimer;
  std::function<void(const IMidiMsg&)> mSendTap;
  MidiMsgQueue mMidiQueue{kMidiQueueStart};
  CTimer* mTimer = nullptr;   // owns itself once started
  pthread_t mTimerThread{};

  // ---- the program ----
  ProgramValues mProgram{};
  std::string mProgramFolder;  // ends in "/" when set
  // The folder's program files sorted by lower-case name (at most 1024),
  // the highest index (0 with one file or none) and the current file.
  std::vector<std::string> mFolderFiles;
  int mFolderFileCount = 0;
  int mFolderFileIndex = 0;
  bool mFolderScanned = false;
  int mFlexiOpenList = -1;
  ProgramValues mRandomProgram{};
  ProgramValues mResetProgram{};
  // Learn state and held notes: written on the keyboard thread, read on
  // the GUI thread, under the plug-in mutex (the held notes are read
  // without it).
  ZephraLearn mLearn;
  bool mUnlearnArmed = false;

  // ---- the synth link ----
  void SendLinkSysEx(const std::vector<uint8_t>& message,
                     PacedMidiOut::Traffic traffic = PacedMidiOut::Traffic::kOwn);
  // The last program at start: [program] "lastfile" and "lastprogram.pr3",
  // or the default program on a first start or when it does not load.
  void StartWithLastProgram();
  // The timer turn's reply watchdog and the reports flagged by other threads.
  void WatchReplies();
  // Shows a message box and (when statusText) the status text.
  void ReportToUser(const char* text, const char* caption, const char* statusText);
  // A dump arrived while saving all: store it and ask for the next one.
  void ContinueSaveAll(int location);
  void ProcessReply(uint8_t code);
  // One write reply during a bank write: send the next program or end.
  void ContinueBankWrite(uint8_t code);
  // Sends one bank-write step; a file that sends nothing ends the write,
  // and the idle hook names it (the step may run on the MIDI thread, where
  // no dialog may open).
  // "The program file could not be sent:" and the file's name, in a box.
  void TellFileNotSent(const std::string& path);
  void SendBankWriteStep(const BankWriteStep& step);
  void RefreshBankRow(int location);
  // Every row checkbox from the selection, location lit as well (0: none).
  void ShowBankChecks(int lit);
  void ShowBrowserRows();
  // A new browser list starts at its top: the bar, and its range.
  void ResetBrowserScroll();
  // Runs the toggled row-edit operations on a mouse-up at location.
  void RunBankOperations(int location);
  // A selected location's category on the category boxes and, when it is
  // the only one selected, its name in the name field.
  void ShowProgramEntry(int location);
  // The bank export's download: the files fetched beforehand (no network
  // here), and the missing-server message said once, however many entries
  // need it.
  BankFetch BankDownload(ProgramDatabase& database, bool& toldNoServer);
  // The bank's "https://" entries (selected ones, or location single when
  // 1..99) with no file downloaded yet. Under the mutex.
  std::vector<std::string> BankAddressesToFetch(bool selectedOnly, int single);
  // Downloads addresses, all within one deadline: address -> cached file.
  // Without the mutex.
  std::map<std::string, std::string> DownloadAll(ProgramDatabase& database, const std::vector<std::string>& addresses);
  // Called holding the mutex: lets go of it while the addresses to fetch
  // are downloaded, then takes it back and notes the files.
  void FetchBankAddressesUnlocked(bool selectedOnly, int single);
  // Tells the user how many entries an export or save-back lost.
  void ReportBankFailures(int failed, const char* what);
  // What the name display says when a transfer is refused while another
  // one runs.
  const char* BusyText() const;

  // ExportBankListToFolder's work, its result whole. Locks.
  BankExportResult ExportBankEntries(const std::string& folder, bool updatePaths, int single,
                                     bool selectedOnly = false);
  // Downloads a database program as a job, then loads and sends it; from
  // bank row location (1..99), which then points at the download if it
  // still holds that address, or from the browser (0).
  void LoadRemoteProgram(const std::string& address, int location);
  // The browser click under the mutex; true when a database row is to be
  // opened (link, opensCategory), which the caller does without it.
  bool BrowserClick(int row, std::string& link, bool& opensCategory);
  // A browser drag over the bank lights the location under the mouse; the
  // mouse-up there assigns the selected records from it.
  void DropOnBank(const ListMouseEvent& mouse);
  // Lists what a database row opens, as a job replacing any list still on
  // its way. Without the mutex.
  void ShowDatabaseRecord(const std::string& link, bool opensCategory);
  void ProcessFirmwareReply(uint8_t code);
  // Reads and checks a firmware file for the update; an invalid one is
  // reported and ends the update. False when there is nothing to send.
  bool LoadFirmwareImage(const char* path, std::vector<uint8_t>& image);

  bool mDestroyed = false;
  SysExTap mSysExTap;
  ZephraTransfer mTransfer;
  std::string mCachePath;     // ".../cache/"
  std::string mLastChosenFolder;  // of the user's last choice, ending in "/"
  // A shared lock on ".cache.lock" beside the settings, held while this
  // editor runs: the cache is removed at the end only by the last editor
  // of the settings folder, never under another one still using it.
  int mCacheLock = -1;
  bool mManagerMode = false;

  // ---- the program library ----
  std::unique_ptr<ZephraManagerLink> mManager = std::make_unique<ZephraManagerLink>();
  BankList mBankList;
  BankWrite mBankWrite;  // its own file table, apart from mFolderFiles
  bool mFillGaps = false;
  std::string mBrowserFolder;
  std::string mDatabaseCaFile;
  std::vector<DatabaseListRecord> mBrowserList;
  std::string mDatabaseCategory;  // the category whose programs are listed
  int mBrowserAnchor = -1;  // record a shift-click selects from, -1 none
  // Database downloads of this run: address -> file in the cache.
  std::map<std::string, std::string> mDownloaded;
  bool mBankDownloadsDone = false;  // while an AfterBankDownloads step runs
  DatabaseJobs mDatabaseJobs;
};
