// The controller keyboard: its messages passed on to the synth, the notes
// it holds for the on-screen keyboard, MIDI learn of its controllers, and
// the learn table's file "midilearn.ini".
#include "synth/ZephraModel.h"

#include "core/BASE_Mutex.h"
#include "synth/ZephraNrpn.h"

#include <syslog.h>

namespace {

constexpr uint8_t kTimingClock = 0xF8;
constexpr uint8_t kFirstSystemStatus = 0xF0;

// A keyboard message whose data bytes are not all below 0x80 is not a
// message at all; it would index past the note and controller tables.
bool HasValidDataBytes(const IMidiMsg& msg)
{
  const int length = IMidiMsg::WireLength(msg.mStatus);
  return (length < 2 || msg.mData1 < 0x80) && (length < 3 || msg.mData2 < 0x80);
}

}  // namespace

void ZephraModel::PassToSynth(const IMidiMsg& msg)
{
  // A keyboard's own NRPN or RPN select moves the synth's address away from
  // the one this editor last sent: the next single value must restate it.
  // Under the mutex, so no value goes out between the select and the forgetting.
  const bool selectsAddress = msg.StatusMsg() == IMidiMsg::kControlChange &&
                              msg.mData1 >= kNrpnLsbController && msg.mData1 <= kRpnMsbController;
  if (selectsAddress)
  {
    BASE_MutexLock lock(GetMutex());
    mLastNrpnIndex = kNrpnNoneSent;
    if (mSendTap) mSendTap(msg);
    (void)SendMidiMsgAs(&msg, PacedMidiOut::Traffic::kPlayed);
    return;
  }
  if (mSendTap) mSendTap(msg);
  (void)SendMidiMsgAs(&msg, PacedMidiOut::Traffic::kPlayed);
}

void ZephraModel::ProcessKeyboardMidiMsg(IMidiMsg* msg)
{
  if (!msg) return;
  if (msg->mStatus == kTimingClock)
  {
    // The synth follows the keyboard's clock; the output sends a lone F8
    // only as a system-exclusive record.
    SendLinkSysEx({kTimingClock}, PacedMidiOut::Traffic::kPlayed);
    return;
  }
  if (msg->mStatus < 0x80 || msg->mStatus >= kFirstSystemStatus || !HasValidDataBytes(*msg)) return;

  switch (msg->StatusMsg())
  {
    case IMidiMsg::kNoteOn:
    case IMidiMsg::kNoteOff:
    {
      const bool on = msg->StatusMsg() == IMidiMsg::kNoteOn && msg->Velocity() > 0;
      {
        BASE_MutexLock lock(GetMutex());
        // Only a key that changed is drawn again, and not while the manager
        // covers the keyboard: a screen kept busy by a playing keyboard
        // would hold back the idle work (the received program's dialog).
        if (mLearn.SetNoteHeld(msg->NoteNumber(), on) && !mManagerMode)
          Panels().HeldNoteChanged(msg->NoteNumber());
      }
      PassToSynth(*msg);
      break;
    }
    case IMidiMsg::kControlChange:
      if (!ApplyLearntController(msg->mData1, msg->mData2)) PassToSynth(*msg);
      break;
    default:
      PassToSynth(*msg);
      break;
  }
}

bool ZephraModel::ApplyLearntController(int controller, int value)
{
  BASE_MutexLock lock(GetMutex());
  if (mLearn.Armed())
  {
    if (mLearn.ReceiveController(controller)) FinishLearn();
    return true;
  }
  bool matched = false;
  for (int item = 0; item < ZephraLearn::kItemCount; ++item)
  {
    if (mLearn.Controller(item) != controller) continue;
    if (!matched) BeginLearntMoveStep();
    matched = true;
    // The learnable values hold no equaliser band, so the EQ graph never
    // needs redrawing here.
    SetParameterFromGUI2(ParamOfIndex(item), mLearn.LearntValue(item, value));
  }
  mUndoGroupOverride = -1;
  if (matched && !mBulkLoad) RedrawParamControls();
  return matched;
}

void ZephraModel::BeginLearntMoveStep()
{
  // A key no single value and no equaliser band uses: every value the
  // learnt controllers move during one gesture shares one step. Another
  // change in between (a knob of the panel) records its own key, so the
  // gesture's next move opens a step after it.
  constexpr int kLearntGestureKey = 2000;
  const auto now = mClock();
  if (now - mLearntMoveAt >= kLearntMoveGap) mUndo.EndGroup();
  mLearntMoveAt = now;
  mUndoGroupOverride = kLearntGestureKey;
}

// ---- the learn gesture ----

void ZephraModel::SetLearnArmed(bool armed)
{
  BASE_MutexLock lock(GetMutex());
  mLearn.SetArmed(armed);
}

void ZephraModel::SetUnlearnArmed(bool armed)
{
  BASE_MutexLock lock(GetMutex());
  mUnlearnArmed = armed;
}

void ZephraModel::ClearLearntControllers()
{
  BASE_MutexLock lock(GetMutex());
  mLearn.Clear();
  (void)SaveMidiLearn();
}

void ZephraModel::ChooseLearnItem(int programIndex, int value)
{
  BASE_MutexLock lock(GetMutex());
  if (mUnlearnArmed && programIndex >= 0 && programIndex < ZephraLearn::kItemCount)
  {
    mUnlearnArmed = false;
    mLearn.Unbind(programIndex);
    (void)SaveMidiLearn();
    SetParameterFromGUI2(kParamCcUnlearn, 0);
    if (!mBulkLoad) RedrawParamControls();
  }
  if (mLearn.Armed() && mLearn.ChooseItem(programIndex, value)) FinishLearn();
}

void ZephraModel::FinishLearn()
{
  // Kept at once, so a quit that never comes back (or a crash) keeps it too.
  (void)SaveMidiLearn();
  SetParameterFromGUI2(kParamCcLearn, 0);
  if (!mBulkLoad) RedrawParamControls();
}

bool ZephraModel::IsLearnArmed()
{
  BASE_MutexLock lock(GetMutex());
  return mLearn.Armed();
}

int ZephraModel::LearntController(int programIndex)
{
  BASE_MutexLock lock(GetMutex());
  return mLearn.Controller(programIndex);
}

// ---- "midilearn.ini" ----

std::string ZephraModel::MidiLearnPath() const
{
  const size_t slash = mSettingsPath.rfind('/');
  return (slash == std::string::npos ? std::string(".") : mSettingsPath.substr(0, slash)) + "/midilearn.ini";
}

bool ZephraModel::LoadMidiLearn()
{
  BASE_MutexLock lock(GetMutex());
  const std::string path = MidiLearnPath();
  const ZephraLearn::FileResult result = mLearn.LoadFile(path);
  if (result == ZephraLearn::FileResult::kLoaded || result == ZephraLearn::FileResult::kMissing) return true;
  syslog(LOG_ERR, "ZephraEditor: could not read %s%s; it is left as it is, and what is learnt lasts until the end",
         path.c_str(), result == ZephraLearn::FileResult::kTooLarge ? " (too large for a learn file)" : "");
  return false;
}

bool ZephraModel::SaveMidiLearn()
{
  BASE_MutexLock lock(GetMutex());
  const std::string path = MidiLearnPath();
  const ZephraLearn::FileResult result = mLearn.SaveFile(path);
  if (result == ZephraLearn::FileResult::kSaved) return true;
  if (result == ZephraLearn::FileResult::kLeftAlone)
    syslog(LOG_ERR, "ZephraEditor: %s is not written, as it could not be read and may hold learnt controllers",
           path.c_str());
  else
    syslog(LOG_ERR, "ZephraEditor: could not write %s", path.c_str());
  return false;
}

// ---- notes ----

// No mutex: the on-screen keyboard asks while it draws under its change
// lock, which the keyboard thread takes (through HeldNoteChanged) while it
// holds the mutex; taking the mutex here would deadlock the two.
int ZephraModel::GetHeldNoteCount() const
{
  return mLearn.HeldNoteCount();
}

bool ZephraModel::IsNoteHeld(int note) const
{
  return mLearn.IsNoteHeld(note);
}

void ZephraModel::SendNote(int note, bool on)
{
  if (note < 0 || note > 127) return;
  IMidiMsg msg;
  const int channel = mKbdMidiChannel;
  if (on)
    msg.MakeNoteOnMsg(note, 1 + static_cast<int>(Panels().KeyboardVelocity() * 126 + 0.5), 0, channel);
  else
    msg.MakeNoteOffMsg(note, 0, channel);
  PassToSynth(msg);
}
