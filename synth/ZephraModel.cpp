// The model's set-up: the 342 parameters in their fixed order, the settings
// it reads, the program state at start, the one-second timer.
#include "synth/ZephraModel.h"
#include "core/SettingsNames.h"

#include "core/BASE_Mutex.h"
#include "winl/ini/WINL_Ini.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include <unistd.h>

ZephraModel::ZephraModel(const IUnitInstanceInfo& info, const ZephraModelSetup& setup)
  : IUnitStandalone(info, kParamCount, "0-1 0-2", 1, "ZephraEditor", "", "brindleaudio",
                    kBundleVersion, kUniqueID, kMfrID, 0, true, false, false),
    mPanels(std::make_unique<ZephraPanelLink>()),
    mSettingsPath((setup.settingsFolder.empty() ? DefaultSettingsFolder() : setup.settingsFolder) +
                  "/settings.ini"),
    mRunTimer(setup.runTimer),
    mSendTap(setup.sendTap)
{
  SetAllLastValues(kNoLastValue);
  ReadKbdMidiChannel();
  DefineParameters();
  HoldCacheLock();
}

ZephraModel::~ZephraModel()
{
  DestroyEditor();
  if (mCacheLock >= 0) close(mCacheLock);
}

std::string ZephraModel::DefaultSettingsFolder()
{
  const std::string folder = UserSettingsFolder();
  return folder.substr(0, folder.size() - 1);
}

void ZephraModel::SetPanels(std::unique_ptr<ZephraPanelLink> panels)
{
  mPanels = panels ? std::move(panels) : std::make_unique<ZephraPanelLink>();
}

int ZephraModel::AskUser(const char* text, const char* caption, int type)
{
  BASE_MutexRelease release(GetMutex());
  return mPanels->ShowMessageBox(text, caption, type);
}

std::string ZephraModel::AskForSavePath(const char* proposedPath)
{
  const std::string start = ChooserStart(proposedPath ? proposedPath : "");
  std::string chosen;
  {
    BASE_MutexRelease release(GetMutex());
    chosen = mPanels->PromptForSaveFile(start.c_str());
  }
  NoteChosenPath(chosen, false);
  return chosen;
}

std::string ZephraModel::AskForFolder(const std::string& startFolder)
{
  const std::string start = ChooserStart(startFolder);
  std::string chosen;
  {
    BASE_MutexRelease release(GetMutex());
    chosen = mManager->ChooseDirectory(start);
  }
  NoteChosenPath(chosen, true);
  return chosen;
}

int ZephraModel::ParamInt(int paramIndex) const
{
  const IParam* param = GetParam(paramIndex);
  return param ? TruncateToInt(param->Value()) : 0;
}

int ZephraModel::ProgramParamValue(int programIndex) const
{
  return std::clamp(ParamInt(ParamOfIndex(programIndex)), kProgramMin[programIndex], kProgramMax[programIndex]);
}

void ZephraModel::SetAllLastValues(int value)
{
  mLastSentValue.fill(value);
}

// ---- settings ----

void ZephraModel::ReadKbdMidiChannel()
{
  char text[129] = {};
  GetPrivateProfileString(Setting::kKeyboardChannel.section, Setting::kKeyboardChannel.key, "0", text, sizeof text, mSettingsPath.c_str());
  mKbdMidiChannel = 0;
  if (!text[0]) return;
  char* end = nullptr;
  errno = 0;
  const long channel = std::strtol(text, &end, 10);
  if (errno == 0 && end != text && *end == '\0' && channel >= 0 && channel <= 15)
    mKbdMidiChannel = static_cast<int>(channel);
}

// ---- parameters ----

void ZephraModel::DefineProgramParam(int programIndex)
{
  const ProgramParamDef& def = kProgramValues[programIndex].param;
  if (!def.defined) return;
  GetParam(def.number)->InitInt(def.name, def.defaultValue, def.min, def.max);
}

void ZephraModel::DefineParameters()
{
  // Program values in index order, each second half right after its partner
  // and the new cutoff right after the vintage one, as the synth lists them.
  for (int p = 0; p < kFirstSecondHalf; ++p)
  {
    DefineProgramParam(p);
    for (const SecondHalfPair& pair : kSecondHalfPairs)
      if (pair.partner == p) DefineProgramParam(pair.secondHalf);
  }
  DefineInterfaceParams();
}

void ZephraModel::DefineInterfaceParams()
{
  bool flexiModesRepeated = false;
  for (const InterfaceParamDef& def : kInterfaceParams)
  {
    IParam* param = GetParam(def.number);
    if (def.kind == InterfaceParamKind::List && !flexiModesRepeated)
    {
      // The FLEXI MODE switches are defined once more before the lists; the
      // repeat is harmless and keeps the definition order the synth's.
      for (int slot = 0; slot < kFlexiSlotCount; ++slot) DefineProgramParam(ProgramIndex(kParamFlexi1Mode) + 2 * slot);
      flexiModesRepeated = true;
    }
    switch (def.kind)
    {
      case InterfaceParamKind::Int:
        param->InitInt(def.name, static_cast<int>(def.defaultValue), static_cast<int>(def.min),
                       static_cast<int>(def.max), def.label);
        break;
      case InterfaceParamKind::Double:
        param->InitDouble(def.name, def.defaultValue, def.min, def.max, def.step, def.label);
        break;
      case InterfaceParamKind::List:
        if (def.listTexts) param->InitInt("", 0, 0, def.listLength - 1);
        param->InitEnum(def.name, 0, def.listLength, def.label);
        if (def.listTextFormat)
          for (int position = 0; position < def.listLength; ++position)
          {
            char text[IParam::kTextSize];
            std::snprintf(text, sizeof text, def.listTextFormat, position + 1);
            (void)param->SetDisplayText(position, text);
          }
        break;
    }
  }
  // The FLEXI list texts go in position by position across the four lists.
  for (int position = 0; position < kFlexiSourceCount; ++position)
    for (int slot = 0; slot < kFlexiSlotCount; ++slot)
      (void)GetParam(kParamFlexi1Sources + 2 * slot)->SetDisplayText(position, kFlexiSourceText[position]);
  for (int position = 0; position < kFlexiRangeListCount; ++position)
    for (int slot = 0; slot < kFlexiSlotCount; ++slot)
      (void)GetParam(kParamFlexi1Ranges + 2 * slot)->SetDisplayText(position, kFlexiRangeText[position]);
}

// ---- program state ----

void ZephraModel::InitProgramState()
{
  BASE_MutexLock lock(GetMutex());
  mUndo.Clear();
  mFlexiTarget.fill(-1);
  mPanels->SetEqGraphShown(true);
  // The effect lamps start on the chorus panel, whatever the parameters
  // held before the program is applied.
  if (IGraphicsLink* gui = GetGUI())
  {
    gui->SetParameterFromPlug(kParamShowFxChorus, 1, false);
    for (EParam lamp : {kParamShowFxDelay, kParamShowFxOverdrive, kParamShowFxEqualizer})
      gui->SetParameterFromPlug(lamp, 0, false);
  }
  // The controllers learnt before come back from the learn file, which
  // every change of the table rewrites.
  mLearn.Clear();
  (void)LoadMidiLearn();
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  SetAllLastValues(kNoLastValue);
  mLastNrpnIndex = kNrpnNoneSent;

  StartWithLastProgram();

  // The store starts from the program now in the editor, so that undo at
  // the first step recalls a valid program rather than an all-zero one.
  ResetUndoHistory();
  StartTimer();
}

void ZephraModel::StartTimer()
{
  if (!mRunTimer || mTimer) return;
  auto* timer = new CTimer;
  if (timer->Start(this, kTimerIntervalMs, 0, 1, &mTimerThread) != 0)
  {
    delete timer;
    return;
  }
  mTimer = timer;
}

void ZephraModel::OnTimer(CTimer* /*timer*/)
{
  OnTimerTick();
}

void ZephraModel::OnTimerTick()
{
  BASE_MutexLock lock(GetMutex());
  if (mIdleTickParity++ > 0)
  {
    mIdleTickParity = 0;
    mLastNrpnIndex = kNrpnNoneSent;
  }
  WatchReplies();
  OnPanelTimerTick();
}

// ---- audio ----

void ZephraModel::Reset()
{
  BASE_MutexLock lock(GetMutex());
  mMidiQueue.Resize(static_cast<size_t>(GetBlockSize()));
}

void ZephraModel::ProcessDoubleReplacing(double** /*inputs*/, double** outputs, int frames)
{
  if (!outputs || frames <= 0) return;
  for (int channel = 0; channel < 2; ++channel)
    if (outputs[channel]) std::memset(outputs[channel], 0, sizeof(double) * frames);
}
