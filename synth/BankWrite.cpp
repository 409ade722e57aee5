#include "synth/BankWrite.h"

#include "core/BASE_DirScan.h"
#include "synth/ProgramFolder.h"

#include <sys/stat.h>

#include <algorithm>

namespace
{
constexpr uint8_t kWriteOk = 0x21;
constexpr uint8_t kWriteFailed = 0x22;
}  // namespace

BankWriteCheck BankWrite::Check(const std::string& folder)
{
  mFolder = folder;
  mFiles.clear();
  mFileOf.fill(0);
  mCount.fill(0);
  mRunning = false;
  mLocation = 0;

  std::vector<std::string> names;
  BASE_DirScan scan;
  for (int more = scan.First(folder.c_str()); more == 0; more = scan.Next())
  {
    const std::string name = scan.GetCurrentFileName();
    struct stat info;
    if (!IsProgramFileName(name.c_str()) || LocationFromFileName(name.c_str()) == 0) continue;
    if (stat((folder + name).c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
    names.push_back(name);
  }
  std::sort(names.begin(), names.end(), [](const std::string& l, const std::string& r) {
    return ProgramNameCompare(l.c_str(), r.c_str()) < 0;
  });
  for (const std::string& name : names)
  {
    const int location = LocationFromFileName(name.c_str());
    mFiles.push_back(name);
    if (++mCount[static_cast<size_t>(location)] == 1) mFileOf[static_cast<size_t>(location)] = static_cast<int>(mFiles.size());
  }
  if (mFiles.empty()) return BankWriteCheck::kNoPrograms;
  for (int n = kBankFirstLocation; n <= kBankLastLocation; ++n)
  {
    if (mCount[static_cast<size_t>(n)] > 1)
    {
      mLocation = n;
      return BankWriteCheck::kMultipleFiles;
    }
  }
  return BankWriteCheck::kReady;
}

int BankWrite::FirstGap() const
{
  for (int n = kBankFirstLocation; n <= kBankLastLocation; ++n)
    if (mCount[static_cast<size_t>(n)] == 0) return n;
  return 0;
}

BankWriteStep BankWrite::Begin(bool fillGaps)
{
  if (mFiles.empty()) return {};
  mFillGaps = fillGaps;
  mRunning = true;
  mFileIndex = 0;
  mLocation = kBankFirstLocation;
  if (mFillGaps) return StepAt(mLocation);
  mLocation = LocationFromFileName(mFiles[0].c_str());
  return {BankWriteStep::kSend, mFolder + mFiles[0], mLocation};
}

BankWriteStep BankWrite::StepAt(int location)
{
  const int file = mFileOf[static_cast<size_t>(location)];
  // A gap takes the folder's first file, the default program.
  const std::string& name = mFiles[static_cast<size_t>(file > 0 ? file - 1 : 0)];
  return {BankWriteStep::kSend, mFolder + name, location};
}

BankWriteStep BankWrite::NextStep()
{
  if (mFillGaps)
  {
    if (++mLocation > kBankLastLocation)
    {
      mRunning = false;
      return {BankWriteStep::kFinished, std::string(), 0};
    }
    return StepAt(mLocation);
  }
  if (++mFileIndex >= static_cast<int>(mFiles.size()))
  {
    mRunning = false;
    return {BankWriteStep::kFinished, std::string(), 0};
  }
  const std::string& name = mFiles[static_cast<size_t>(mFileIndex)];
  mLocation = LocationFromFileName(name.c_str());
  return {BankWriteStep::kSend, mFolder + name, mLocation};
}

BankWriteStep BankWrite::OnReply(uint8_t code)
{
  if (!mRunning || (code != kWriteOk && code != kWriteFailed)) return {};
  if (code == kWriteFailed)
  {
    mRunning = false;
    return {BankWriteStep::kFailed, std::string(), mLocation};
  }
  return NextStep();
}
