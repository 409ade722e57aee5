// Whatever arrives on the synth's input or the controller keyboard's must
// leave the editor neither crashed, stuck nor swollen. The bytes go in
// chunks, as the sound server hands them over, through the input cleaner;
// each whole message goes to the model as the ports hand it over (the synth
// input's through the queue the delivery thread drains), with the model in
// the state the input chooses: idle, a single fetch, a save-all into the
// program folder or the cache, a program write waiting for its
// acknowledgement, a firmware update, learn armed, or a bank write. Between
// chunks the idle hook runs, and now and then the one-second timer.
//
// Input layout:
//   byte 0  bit 7: the keyboard input (else the synth's); bits 0-2: the
//           state; bits 3-5: the input's channel (0 = any); bit 6: with
//           learn armed, a program value is chosen already
//   byte 1  0: the rest is one chunk; else chunk lengths 1..byte 1 drawn
//           from a generator seeded with it
//   rest    the bytes on the wire
// After the stream: the undo history within its bound, the program name
// terminated, the queue back to its starting memory.
#include "core/BASE_Mutex.h"
#include "core/MidiInputCleaner.h"
#include "core/MidiInputQueue.h"
#include "core/MidiPorts.h"
#include "support/StubGraphicsLink.h"
#include "support/TempDir.h"
#include "synth/ZephraModel.h"
#include "synth/ZephraUndoStore.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace
{
// The model with the editor's parameter-change handler cut down to what a
// learnt controller's move needs: the value chosen for an armed learn, sent
// to the synth and recorded for undo, once per change.
class FuzzModel : public ZephraModel
{
public:
  using ZephraModel::ZephraModel;
  void OnParamChange(int paramIndex) override
  {
    BASE_MutexLock lock(GetMutex());
    const int item = paramIndex - kParamVco1Coarse;  // item i is parameter i + 3
    if (mBulkLoad || item < 0 || item >= ZephraLearn::kItemCount) return;
    const int value = ParamInt(paramIndex);
    ChooseLearnItem(item, value);
    if (value == mLastSentValue[item]) return;
    mLastSentValue[item] = value;
    SendParamNRPN(item, value);
  }
};

enum State
{
  kIdle,
  kSingleFetch,
  kSaveAll,
  kSaveAllToCache,
  kWriteAwaitingAck,
  kFirmwareUpdate,
  kLearnArmed,
  kBankWrite,
};

// A ".pr3" file: the marker line and value lines, all 0 but the coarse
// tuning.
std::string ProgramText()
{
  std::string text = " 243 \r\n5\r\n";
  for (int i = 1; i < 170; ++i) text += "0\r\n";
  return text;
}

// Two learnt controllers (CC74 on "VCO1 coarse", CC71 on "VCO1 fine"), so
// that a keyboard's controllers move values and record undo steps.
void LearnTwoControllers(ZephraModel& model)
{
  const struct { int item, bound; uint8_t controller; } learnt[] = {{0, 10, 74}, {1, 20, 71}};
  for (const auto& l : learnt)
  {
    model.SetLearnArmed(true);
    model.ChooseLearnItem(l.item, l.bound);
    IMidiMsg cc(0, 0xB0, l.controller, 0x40);
    model.ProcessKeyboardMidiMsg(&cc);
  }
}

void EnterState(int state, bool itemChosen, ZephraModel& model, const std::string& folder, const std::string& root)
{
  switch (state)
  {
    case kSingleFetch:
      model.RequestSingleProgram(7);
      model.OnIdle();
      break;
    case kSaveAll:
      model.StartSaveAllFromSynth(false);
      model.OnIdle();
      break;
    case kSaveAllToCache:
      model.StartSaveAllFromSynth(true);
      model.OnIdle();
      break;
    case kWriteAwaitingAck:
      model.WriteProgramFileToSynth((folder + "01_Init.pr3").c_str());
      break;
    case kFirmwareUpdate:
      WriteWholeFile(root + "/fw.bin", std::string(7, '\xAB'));
      model.StartFirmwareUpdate((root + "/fw.bin").c_str());
      break;
    case kLearnArmed:
      model.SetLearnArmed(true);
      if (itemChosen) model.ChooseLearnItem(76, 90);
      break;
    case kBankWrite:
      model.WriteAllProgramsToSynth((folder + "01_Init.pr3").c_str());
      break;
    default:
      break;
  }
}

uint32_t NextRandom(uint32_t& x)
{
  x = x * 1103515245u + 12345u;
  return x >> 8;
}
}  // namespace

// Every input makes a settings folder, and the model syncs what it writes
// there: in memory rather than on a disk, the fuzzer runs over twice as
// many inputs. A folder the caller chose stays.
extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/)
{
  struct stat shm;
  if (stat("/dev/shm", &shm) == 0 && S_ISDIR(shm.st_mode) && access("/dev/shm", W_OK) == 0)
    setenv("TMPDIR", "/dev/shm", 0);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size < 2) return 0;
  const bool keyboard = (data[0] & 0x80) != 0;
  const int state = data[0] & 0x07;
  const int channel = (data[0] >> 3) & 0x07;
  const bool itemChosen = (data[0] & 0x40) != 0;
  const uint8_t maxChunk = data[1];
  data += 2;
  size -= 2;

  TempDir dir;
  const std::string folder = dir.Path() + "/programs/";
  std::filesystem::create_directories(folder);
  WriteWholeFile(folder + "01_Init.pr3", ProgramText());
  WriteWholeFile(folder + "02_Bass.pr3", ProgramText());
  ZephraModelSetup setup;
  setup.settingsFolder = dir.Path();
  setup.runTimer = false;  // the stream's chunks drive the timer
  uint16_t outChannel = 0;
  IUnitInstanceInfo info;
  info.mMidiOutChan = &outChannel;
  FuzzModel model(info, setup);
  model.AttachGraphics(new StubGraphicsLink);
  // What the editor's constructor does once its GUI stands.
  model.InitProgramState();
  model.ScanProgramFolder((folder + "01_Init.pr3").c_str());
  LearnTwoControllers(model);
  EnterState(state, itemChosen, model, folder, dir.Path());

  MidiInputCleaner cleaner;
  MidiInputQueue queue;
  uint32_t random = maxChunk;
  size_t at = 0;
  while (at < size)
  {
    const uint32_t draw = NextRandom(random);
    const size_t chunk = maxChunk == 0 ? size - at : std::min<size_t>(size - at, 1 + draw % maxChunk);
    if (keyboard)
    {
      cleaner.Feed(data + at, chunk, [&](const uint8_t* message, size_t length) {
        HandKeyboardMessage(model, message, length, channel);
      });
    }
    else
    {
      // The synth input's callback queues (active sensing dropped) and
      // the delivery thread takes the queue as it can.
      cleaner.Feed(data + at, chunk, [&](const uint8_t* message, size_t length) {
        if (length == 1 && message[0] == 0xFE) return;
        (void)queue.Push(message, length);
      });
      queue.Drain([&](const uint8_t* message, size_t length) { HandSynthMessage(model, message, length, channel); });
    }
    at += chunk;
    model.OnIdle();
    if ((draw & 0x300) == 0) model.OnTimerTick();
  }
  // The user waits: the watchdog gives up on what never came.
  for (int tick = 0; tick < 4; ++tick) model.OnTimerTick();
  model.OnIdle();

  if (model.UndoCount() > ZephraUndoStore::kMaxSteps) abort();
  if (memchr(model.ProgramName(), 0, kProgramNameLength + 1) == nullptr) abort();
  if (queue.HeldBytes() != MidiInputQueue::kCapacity * MidiInputQueue::kSlotReserve) abort();
  return 0;
}
