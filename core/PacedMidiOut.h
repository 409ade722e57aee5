// PacedMidiOut: the order-keeping gate in front of a MIDI output that cannot
// take a large message at once. JACK carries a limited amount of MIDI per
// cycle and drops the rest without an error, and its MIDI library holds at
// most about 16 KB in flight, so a message longer than kPieceBytes (a
// firmware image is about 91 KB) is cut into pieces sent kPieceGapMs apart.
//
// The pieces go out on a worker thread of the gate's own, so a caller on a
// MIDI input callback (which must never stall its audio-server cycle)
// returns at once. While a paced message is still going out, later messages
// wait in line behind it, so the wire order is the order of the calls and
// nothing can land inside a SysEx. Otherwise a message goes straight out.
//
// Thread-safe: any thread may call Send. The destructor sends what is left.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class PacedMidiOut
{
public:
  static constexpr size_t kPieceBytes = 4096;
  static constexpr int kPieceGapMs = 6;

  // write puts bytes on the wire and says whether the MIDI library took them;
  // it is only ever called by one thread at a time.
  using Writer = std::function<bool(const uint8_t* bytes, size_t size)>;

  explicit PacedMidiOut(Writer write);
  ~PacedMidiOut();
  PacedMidiOut(const PacedMidiOut&) = delete;
  PacedMidiOut& operator=(const PacedMidiOut&) = delete;

  // Sends or queues the message. False when it went straight out and the
  // library refused it; a queued message counts as sent (a later failure of
  // one of its pieces is counted by Failures()).
  bool Send(const uint8_t* bytes, size_t size);

  // Blocks until every queued message is on the wire.
  void Flush();
  // Pieces the library refused while going out paced.
  int Failures() const;

private:
  void Worker();

  Writer mWrite;
  mutable std::mutex mMutex;
  std::condition_variable mChanged;
  std::deque<std::vector<uint8_t>> mQueue;  // front is going out, from mSentOfFront on
  size_t mSentOfFront = 0;
  int mFailures = 0;
  bool mStop = false;
  std::thread mThread;  // started with the first paced message
};
