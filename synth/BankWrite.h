// BankWrite: writing a folder of program files into the synth's locations,
// one program write after another, each sent when the synth acknowledges
// the one before. It keeps its own table of the folder's files, so stepping
// through the program's folder meanwhile cannot change what is written.
//
// It decides what goes out next; the editor sends it and reports failures.
// Threads: none of its own; used under the plug-in mutex.
#pragma once

#include "synth/BankList.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

enum class BankWriteCheck
{
  kReady,
  kNoPrograms,     // "This directory does not contain any Zephra Programs!"
  kMultipleFiles,  // "Multiple files assigned to location: %d\nPlease resolve it!"
};

struct BankWriteStep
{
  enum Kind
  {
    kSend,     // write path into location
    kFinished, // every program is acknowledged
    kFailed,   // the synth refused a write
    kIgnored,  // not a write reply, or no write running
  };
  Kind kind = kIgnored;
  std::string path;
  int location = 0;
};

class BankWrite
{
public:
  // Lists folder (ending in "/"): program files whose names give a location
  // 1..99 (LocationFromFileName), in numeric name order. On kMultipleFiles, location() is
  // the lowest location with two files; FirstGap() is then meaningless.
  BankWriteCheck Check(const std::string& folder);
  // The lowest location 1..99 without a file, or 0.
  int FirstGap() const;
  // The first write. With fillGaps every location 1..99 is written, a gap
  // with the folder's first file (the default program).
  BankWriteStep Begin(bool fillGaps);
  // One reply code from the synth while the write runs: 0x21 gives the next
  // write or the end, 0x22 a failure; anything else is ignored.
  BankWriteStep OnReply(uint8_t code);
  // Ends the write (time-out, a file that could not be sent).
  void Stop() { mRunning = false; }

  bool Running() const { return mRunning; }
  int location() const { return mLocation; }
  const std::vector<std::string>& Files() const { return mFiles; }
  const std::string& Folder() const { return mFolder; }

private:
  BankWriteStep StepAt(int location);
  BankWriteStep NextStep();

  std::string mFolder;
  std::vector<std::string> mFiles;
  std::array<int, kBankSize> mFileOf{};  // index into mFiles + 1; 0: none
  std::array<int, kBankSize> mCount{};
  bool mFillGaps = false;
  bool mRunning = false;
  int mFileIndex = 0;
  int mLocation = 0;
};
