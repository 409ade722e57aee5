// The NRPN senders: one program value as it is edited, or the whole program
// record after a load, an undo or an editing action.
#include "synth/ZephraModel.h"

#include "core/BASE_Mutex.h"
#include "synth/ZephraNrpn.h"

void ZephraModel::SendController(int controller, int dataByte)
{
  const IMidiMsg msg(0, kControlChangeStatus, static_cast<uint8_t>(controller),
                     static_cast<uint8_t>(dataByte));
  if (mSendTap) mSendTap(msg);
  SendMidiMsg(&msg);
}

void ZephraModel::SendParamNRPN(int programIndex, int value)
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
  const auto param = [this](int index) { return ProgramParamValue(index); };
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
      const EffectBlends& effect = kEffectBlends[pair.partner == ProgramIndex(kParamOverdriveOnOff) ? 0 : 1];
      value = param(ProgramIndex(effect.onOff)) > 0
                ? param(ProgramIndex(effect.blendInstrument)) + 2 * param(ProgramIndex(effect.blendVcf))
                : 0;
      rangeIndex = pair.partner;
    }
    break;
  }

  // An index outside the program (an interface index left by the handler)
  // means no address has been sent. Neither has one once the output has
  // been opened again since: the synth behind it may have restarted and
  // hold no address, or another one.
  const uint64_t opening = MidiOutput().Openings();
  const bool reopened = opening != mNrpnAddressOpening;
  mNrpnAddressOpening = opening;
  const int last = (!reopened && mLastNrpnIndex >= 0 && mLastNrpnIndex < kProgramSize) ? mLastNrpnIndex
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

void ZephraModel::SendProgramToSynth()
{
  // The vintage cutoff's index carries the new filter's cutoff while
  // "VCF vintage/new" selects it.
  const bool newFilter = Value(kParamVcfVintageNew) >= 1;
  auto run = HoldMidiRun();  // every address stays with its value on the wire
  const auto sendBank = [this, newFilter](int msb, int first, int count) {
    SendController(kNrpnMsbController, msb);
    for (int lsb = 0; lsb < count; ++lsb)
    {
      const int p = first + lsb;
      const bool newCutoff = p == ProgramIndex(kParamVcfCutoffVintage) && newFilter;
      const int rangeIndex = newCutoff ? ProgramIndex(kParamVcfCutoffNew) : p;
      SendController(kNrpnLsbController, lsb);
      SendController(kDataEntryController, NrpnDataByte(p, mProgram[p], kProgramMin[rangeIndex],
                                                        kProgramMax[rangeIndex]));
    }
  };
  // The banks of MSB 5 and 6; the spare indices between them are not sent.
  const int secondBank = ProgramIndex(kParamEffectsChainOrder);
  sendBank(kNrpnMsb[0], 0, kFirstSpareLow);
  sendBank(kNrpnMsb[secondBank], secondBank, kFileValueCount - secondBank);
  // The synth's address is now the last one of the record, whatever the
  // handler noted during a bulk load: the next single value restates its own.
  mLastNrpnIndex = kNrpnNoneSent;
}
