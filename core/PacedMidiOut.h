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
// The gate also stands for the output port: while it is closed nothing is
// handed to the MIDI library, whose JACK output waits without end for ring
// space that a closed port never frees. Closing cancels what is queued, so a
// paced message stops between two pieces.
//
// A run (HoldRun) keeps several messages together on the wire: an NRPN
// address and its value must not be split by a message from another thread.
//
// Thread-safe: any thread may call Send. The destructor sends what is left
// while the gate is open.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>
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

  // Sends or queues the message. False when the gate is closed (nothing
  // sent) or when it went straight out and the library refused it; a queued
  // message counts as sent (a later failure of one of its pieces is counted
  // by Failures()).
  bool Send(const uint8_t* bytes, size_t size);

  // Opens the gate once the output port is open.
  void Open();
  // Call before the output port closes: drops every queued message (a paced
  // one stops after the piece on the wire; the receiver is left with an
  // unfinished SysEx, which ends at the next status byte it sees), waits
  // for a write in progress and sends nothing until Open.
  void Close();
  bool IsOpen() const;

  // While the returned lock is held, Send from any other thread waits, so
  // the holder's messages reach the wire one after the other. Recursive.
  std::unique_lock<std::recursive_mutex> HoldRun() { return std::unique_lock<std::recursive_mutex>(mRunMutex); }

  // Blocks until every queued message is on the wire.
  void Flush();
  // Pieces the library refused while going out paced.
  int Failures() const;

private:
  void Worker();

  Writer mWrite;
  std::recursive_mutex mRunMutex;  // taken before mMutex
  mutable std::mutex mMutex;
  std::condition_variable mChanged;
  std::deque<std::vector<uint8_t>> mQueue;  // front is going out, from mSentOfFront on
  size_t mSentOfFront = 0;
  int mFailures = 0;
  bool mStop = false;
  bool mOpen = true;
  std::thread mThread;  // started with the first paced message
};
