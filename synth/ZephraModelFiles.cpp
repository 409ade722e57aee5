// The editor's program files: saving the current sound, loading a ".pr3" or
// ".prg" file into the parameters, the folder table that previous/next step
// through, and the conversion of older files. The file formats themselves
// are in ProgramFile, LegacyProgram and ProgramFolder; this file ties them to
// the editor's parameters, name display and folder members.
#include "synth/ZephraModel.h"

#include "core/BASE_Mutex.h"
#include "core/Utf8Text.h"
#include "synth/LegacyProgram.h"
#include "synth/ProgramFile.h"
#include "synth/ProgramFolder.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace
{
// The location display's value when the program has no folder table.
constexpr int kLocationDisplayNoFolder = 100;
constexpr const char* kPathTooLongText = "Path too long!";

// The save selector proposes a ".pr3" name even for an older file, since
// that is what saving it will write.
std::string OfferedSaveName(const std::string& path)
{
  if (path.size() >= 4)
  {
    const std::string ext = path.substr(path.size() - 4);
    if (ext == ".prg" || ext == ".Prg" || ext == ".PRG") return path.substr(0, path.size() - 4) + ".pr3";
  }
  return path;
}
} // namespace

ProgramValues ZephraModel::SoundAsRecord()
{
  BASE_MutexLock lock(GetMutex());
  std::vector<double> values(kParamCount, 0.0);
  for (int n = 0; n < kParamCount; ++n) values[n] = GetParam(n)->Value();
  return FileRecordFromParameters(values.data(), mFlexiTarget);
}

bool ZephraModel::WriteSoundAsProgramFile(const char* path)
{
  return WriteProgramText(path, FormatPr3Text(SoundAsRecord()));
}

ProgramFileError ZephraModel::LoadProgramFile(const char* path, const char* shownAs)
{
  BASE_MutexLock lock(GetMutex());
  if (path == nullptr || strlen(path) < 4) return ProgramFileError::kCannotOpen;

  // The file is read whole before anything changes, so a file that fails
  // leaves the name, the location display and the program as they were.
  ProgramFileContent content;
  const ProgramFileError error = ReadProgramFile(path, content);
  if (error == ProgramFileError::kBadSize) mPanels->SetNameDisplay(kCorruptedFilesizeText);
  if (error != ProgramFileError::kNone) return error;

  // In the manager the program is the selected location's: it is named
  // as that location's file would be.
  std::string displayName = shownAs ? shownAs : path;
  const int row = mManagerMode ? mBankList.FirstSelectedRow() : -1;
  if (row >= kBankFirstLocation)
  {
    const std::string fileName = MakeProgramFileName(row);
    if (!fileName.empty()) displayName = displayName.substr(0, displayName.rfind('/') + 1) + fileName;
  }
  mPanels->SetLastSelectedProgramFile(OfferedSaveName(displayName).c_str());
  const size_t slash = displayName.rfind('/');
  if (slash != std::string::npos)
  {
    const std::string fileName = displayName.substr(slash + 1);
    SetProgramNameFromFile(fileName.c_str());
    mPanels->SetNameDisplay(mProgramName);
    const int location = mFolderFileCount < 1 ? kLocationDisplayNoFolder
                                              : LocationFromFileName(fileName.c_str());
    GetParam(kParamSevenSegmentDisplay)->SetPlain(location);
  }
  ApplyProgram(content.values);
  return ProgramFileError::kNone;
}

void ZephraModel::SetProgramNameFromFile(const char* name)
{
  BASE_MutexLock lock(GetMutex());
  if (name == nullptr || strlen(name) < 4) return;
  std::string text = name;
  const size_t slash = text.rfind('/');
  if (slash != std::string::npos) text = text.substr(slash + 1);
  const size_t dot = text.rfind('.');
  if (dot != std::string::npos) text.resize(dot);
  // 32 characters, never a character split: a name of letters of two or
  // more bytes keeps all 32 of them, and stray bytes count one by one, so
  // no file name writes past the field.
  CopyUtf8Field(mProgramName, text, kProgramNameLength);
}

void ZephraModel::ScanProgramFolder(const char* path)
{
  BASE_MutexLock lock(GetMutex());
  ProgramFolderScan scan;
  if (!ScanProgramFolderFiles(path, scan)) return;
  mProgramFolder = scan.folder;
  mFolderFiles = std::move(scan.files);
  mFolderFileCount = std::max(0, static_cast<int>(mFolderFiles.size()) - 1);
  mFolderScanned = true;
  if (scan.fileIndex >= 0)
  {
    mFolderFileIndex = scan.fileIndex;
    SetProgramNameFromFile(mFolderFiles[mFolderFileIndex].c_str());
    mPanels->SetNameDisplay(mProgramName);
  }
}

bool ZephraModel::StepProgramFile(bool forward)
{
  BASE_MutexLock lock(GetMutex());
  if (!mFolderScanned || mFolderFileCount < 1) return false;
  // The current file's path lives in a fixed field elsewhere; a longer one
  // would name another file. Such a file is stepped past, or it would hold
  // the index and hide every file behind it; one turn round the table at most.
  for (int tries = 0; tries <= mFolderFileCount; ++tries)
  {
    const int index = StepFolderIndex(mFolderFileIndex, mFolderFileCount, forward);
    if (index >= static_cast<int>(mFolderFiles.size())) return false;
    mFolderFileIndex = index;
    const std::string path = mProgramFolder + mFolderFiles[index];
    if (path.size() >= static_cast<size_t>(kFolderPathSize))
    {
      mPanels->SetNameDisplay(kPathTooLongText);
      continue;
    }
    if (LoadProgramFile(path.c_str()) != ProgramFileError::kNone) return false;
    SendProgramToSynth();
    return true;
  }
  return false;
}

void ZephraModel::ConvertPrgToPr3(const char* path)
{
  BASE_MutexLock lock(GetMutex());
  if (ConvertPrgToPr3File(path) == ProgramFileError::kBadSize)
    mPanels->SetNameDisplay(kCorruptedFilesizeText);
}

void ZephraModel::ConvertPrgFolder(const char* folder)
{
  BASE_MutexLock lock(GetMutex());
  int oversized = 0;
  (void)ConvertPrgFolderFiles(folder, &oversized);
  if (oversized > 0) mPanels->SetNameDisplay(kCorruptedFilesizeText);
}
