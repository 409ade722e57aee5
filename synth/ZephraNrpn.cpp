// The NRPN senders: one program value as it is edited, or the whole program
// record after a load, an undo or an editing action.
#include "synth/ZephraNrpn.h"

#include "core/BASE_Mutex.h"
#include "synth/ZephraEditor.h"

void ZephraEditor::SendController(int controller, int dataByte)
{
  const IMidiMsg msg(0, kControlChangeStatus, static_cast<uint8_t>(controller),
                     static_cast<uint8_t>(dataByte));
  if (mSendTap) mSendTap(msg);
  SendMidiMsg(&msg);
}

void ZephraEditor::SendParamNRPN(int programIndex, int value)
{
  if (programIndex < 0 || programIndex >= kProgramSize) return;
  BASE_MutexLock lock(GetMutex());
  // Keyboard pass-through runs on another thread: a controller of its own
  // between our 99/98 address and the 6 value would be written into the
  // parameter just addressed.
  auto run = HoldMidiRun();
  const int p = programIndex;
  // Spare indices have no single-value address; the synth would take
  // NRPN 0/0 as a real parameter.
  if (kNrpnMsb[p] == 0) return;

  // A composite goes out as one byte built from both halves, read from the
  // parameters, in the partner's range.
  int rangeIndex = p;
  const auto param = [this](int index) { return ParamInt(index + kParamOffset); };
  for (const SecondHalfPair& pair : kSecondHalfPairs)
  {
    if (pair.secondHalf != p && pair.partner != p) continue;
    if (pair.kind == FoldKind::TwoState)
    {
      value = param(pair.partner) + 2 * param(pair.secondHalf);
      rangeIndex = pair.partner;
    }
    else if (pair.kind != FoldKind::Cutoff)
    {
      const bool effect144 = pair.partner == 144;
      const int blendInstrument = effect144 ? 179 : 181;
      value = param(pair.partner) > 0 ? param(blendInstrument) + 2 * param(blendInstrument + 1) : 0;
      rangeIndex = pair.partner;
    }
    break;
  }

  // An index outside the program (an interface index left by the handler)
  // means no address has been sent.
  const int last = (mLastNrpnIndex >= 0 && mLastNrpnIndex < kProgramSize) ? mLastNrpnIndex
                                                                          : kNrpnNoneSent;
  if (kNrpnMsb[p] != kNrpnMsb[last])
  {
    SendController(kNrpnMsbController, kNrpnMsb[p]);
    SendController(kNrpnLsbController, kNrpnLsb[p]);
  }
  else if (kNrpnLsb[p] != kNrpnLsb[last])
  {
    SendController(kNrpnLsbController, kNrpnLsb[p]);
  }
  SendController(kDataEntryController,
                 NrpnDataByte(p, value, kProgramMin[rangeIndex], kProgramMax[rangeIndex]));

  if (!mUndoSuspended && !mBulkLoad) RecordUndoStep(kNrpnLsb[p]);
}

void ZephraEditor::SendProgramToSynth()
{
  // Index 76 carries the new filter's cutoff while index 75 selects it.
  const bool newFilter = mProgram[kIndexVcfChooser] >= 1;
  auto run = HoldMidiRun();  // every address stays with its value on the wire
  const auto sendBank = [this, newFilter](int msb, int first, int count) {
    SendController(kNrpnMsbController, msb);
    for (int lsb = 0; lsb < count; ++lsb)
    {
      const int p = first + lsb;
      const int rangeIndex = (p == kIndexCutoff && newFilter) ? kIndexNewCutoff : p;
      SendController(kNrpnLsbController, lsb);
      SendController(kDataEntryController, NrpnDataByte(p, mProgram[p], kProgramMin[rangeIndex],
                                                        kProgramMax[rangeIndex]));
    }
  };
  sendBank(5, 0, kFirstSpareLow);                  // indices 0..124
  sendBank(6, 128, kFileValueCount - 128);         // indices 128..169
  // The synth's address is now the last one of the record, whatever the
  // handler noted during a bulk load: the next single value restates its own.
  mLastNrpnIndex = kNrpnNoneSent;
}
