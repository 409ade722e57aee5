// ZephraTransfer: where the program and firmware transfers with the synth
// stand. It keeps the reply waits and their watchdog count, the location
// being fetched, a save-all run, the checksum retries, the firmware update,
// the last dump received, and the reports that the MIDI threads raise for
// the timer turn to show. It sends nothing and shows nothing: the model
// reads it and acts.
//
// Threads: used under the plug-in mutex only.
#pragma once

#include "synth/ZephraTables.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

class ZephraTransfer
{
public:
  static constexpr int kDumpBytes = 213;
  // A location whose dumps keep failing their checksum is asked again this
  // often before the transfer is given up as a communication error.
  static constexpr int kMaxChecksumRetries = 3;
  // Once the synth has said it erases its flash, the update waits this many
  // timer ticks (seconds) of silence before it is given up, counted afresh
  // by each of the synth's answers. Erasing the flash an image of at most
  // 80,000 bytes lives in takes seconds, under a minute even in the worst
  // case the makers of such memory give; after "ready" the largest image
  // needs about 30 s on a MIDI cable (91,441 bytes at 3,125 a second) and
  // then its programming. Two minutes leave a slow synth its time, and a
  // synth switched off or unplugged no longer keeps the editor for ever.
  static constexpr int kFirmwareSilenceTicks = 120;
  using Dump = std::array<uint8_t, kDumpBytes>;

  // Messages for the timer turn, shown in this order.
  enum Report : unsigned
  {
    kReportFinished = 1,         // "Finished successfully!"
    kReportCommError = 2,        // "Communication error has occurred!"
    kReportNameNumberError = 4,  // the file name gives no location
    kReportSaveFailed = 8,       // "The program could not be saved!"
  };

  // ---- reply waits ----
  // A dump request for requestedLocation went out (its location byte);
  // a dump for another location is then a late answer to an earlier one.
  void AwaitDump(int requestedLocation);
  // The firmware request went out: its first reply is awaited like a dump.
  void AwaitFirmwareReply();
  // A program write of the file at path went out (or was attempted).
  void AwaitWrite(const std::string& path);
  void EndDumpWait() { mAwaitDump = false; }
  void EndWriteWait();
  // One program of a bank write went out; its acknowledgement is awaited.
  void AwaitBankWrite();
  void EndBankWriteWait();
  // Any transfer waits for the synth or is owed a request: another one
  // started now would take its replies.
  bool Busy() const;
  // Save-all, a bank write or a firmware update runs: a fetch started now
  // would take the run's dumps, or time out while the synth erases its
  // flash and so end the update.
  bool BankOrFirmwareRunning() const { return mSaveAllFromSynth || mAwaitBankWrite || mFirmwareUpdate; }
  // Which waits ran out in one timer turn. Each running wait counts the
  // shared ticks, and one owed for a third tick is given up: ended here,
  // with the runs that depended on it.
  struct Expired
  {
    bool dump = false;
    bool bankWrite = false;
    bool write = false;
    bool firmware = false;  // the update, after "erasing", heard nothing more
  };
  Expired Tick();

  // ---- fetching programs ----
  // A single fetch of location: a request is owed (TakeRequest). Refused
  // (false) while save-all runs: the run's requests and dumps follow its one
  // location counter, and a fetch in between would make it ask for the
  // wrong location and offer a dump nobody asked for.
  bool StartSingleFetch(int location);
  // Save-all into folder (toCache: the emptied cache folder). With no
  // folder it only reports the failure and returns false.
  bool StartSaveAll(const std::string& folder, bool toCache);
  // The current location's dump is saved: on to the next, or the run ends
  // as finished after the last location.
  void NextSaveAllLocation();
  // A dump failed its checksum: asked for again, until the retries run out
  // and the run ends with a communication error.
  void OnBadChecksum();
  // A received program could not be saved: the run ends.
  void OnSaveFailed();
  // True (once) when a request is owed for Location().
  bool TakeRequest();
  // The location a dump must carry now, or 0 when any is welcome.
  int AwaitedLocation() const;

  // ---- received dumps ----
  // Keeps a dump that passed its checksum (213 or 115 bytes). A short dump
  // carries indices 0..103 only; the rest of the kept dump takes the
  // default program and a blank name, with its checksum made good.
  void StoreDump(const uint8_t* message, size_t size);
  const Dump& LastDump() const { return mSysExIn; }
  // A whole dump from location arrived outside save-all, for the GUI to
  // offer for saving; taken once by the idle hook. Its location is kept
  // apart from the one to request, which a fetch still owed keeps.
  void NoteDumpReceived(int location) { mReceivedLocation = location; }
  // The location of the dump to offer, or 0 when none came.
  int TakeDumpReceived();

  // ---- a file that could not be sent ----
  // A bank write's file sent nothing, on whatever thread: kept for the
  // idle hook to name, which TakeFileNotSent ("" for none) hands over once.
  void NoteFileNotSent(const std::string& path) { mUnsentFile = path; }
  std::string TakeFileNotSent();

  // ---- firmware ----
  void StartFirmware(const std::string& path);
  // The synth answered during the update ("erasing", "ready"): from here on
  // its silence is limited by kFirmwareSilenceTicks, counted from now.
  void FirmwareAnswered()
  {
    mFirmwareAnswered = true;
    mFirmwareSilentTicks = 0;
  }
  void EndFirmware() { mFirmwareUpdate = false; }

  // ---- reports ----
  void Flag(Report report) { mReports |= report; }
  // The raised reports, cleared. A communication error also ends saving
  // into the cache.
  unsigned TakeReports();

  // ---- state ----
  bool AwaitingDump() const { return mAwaitDump; }
  bool AwaitingWrite() const { return mAwaitWrite; }
  bool AwaitingBankWrite() const { return mAwaitBankWrite; }
  int ReplyTicks() const { return mReplyTicks; }
  int Location() const { return mTransferLocation; }
  bool SavingAll() const { return mSaveAllFromSynth; }
  bool SavingToCache() const { return mSaveToCache; }
  const std::string& SaveAllFolder() const { return mSaveAllFolder; }
  bool FirmwareRunning() const { return mFirmwareUpdate; }
  const std::string& FirmwareFile() const { return mFirmwareFile; }
  const std::string& WriteFile() const { return mWriteFile; }

private:
  // Ends a fetch or save-all run: no request owed, location 1.
  void EndRun();

  bool mAwaitDump = false;
  bool mAwaitWrite = false;
  bool mAwaitBankWrite = false;
  int mReplyTicks = 0;
  int mRequestedLocation = 0;  // location byte of the last request, 0 none
  int mTransferLocation = 1;
  bool mRequestPending = false;
  int mReceivedLocation = 0;  // of a dump to offer for saving, 0 none
  bool mSaveAllFromSynth = false;
  bool mSaveToCache = false;
  std::string mSaveAllFolder;
  int mChecksumRetries = 0;
  unsigned mReports = 0;
  bool mFirmwareUpdate = false;
  bool mFirmwareAnswered = false;  // since the update's start
  int mFirmwareSilentTicks = 0;    // since the synth's last answer
  std::string mFirmwareFile;  // last chosen in the firmware selector
  std::string mWriteFile;     // last chosen in the program-write selector
  std::string mUnsentFile;    // of a bank write, not yet told
  Dump mSysExIn{};            // the last good dump, as kept
};
