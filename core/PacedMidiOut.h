// PacedMidiOut: the order-keeping gate in front of a MIDI output that cannot
// take everything at once. Every message the editor sends goes through it.
//
// Over JACK the MIDI library puts what it is given into a ring of about
// 16 KB that the server's next cycle empties into that cycle's MIDI buffer;
// what the buffer cannot hold is dropped without an error, and a send into
// a full ring waits without end for a cycle that a stopped server never
// runs. With a room set (SetRoom: the server's cycle count and how many
// bytes may be handed over within kRoomCycles counts) the gate hands the
// library only what the room allows and keeps the rest in a queue, which a
// worker thread of the gate's own sends as the cycles run. So the library
// never drops a message for want of space, and no sender ever waits for
// the server: a caller on a MIDI input callback (inside the server's cycle)
// or on the GUI thread returns at once, whether the server runs, stalls or
// is gone. Without a room (no metering possible) a message goes straight
// out, and one longer than kPieceBytes is cut into pieces kPieceGapMs apart.
//
// While something waits in the queue, later messages wait behind it, so the
// wire order is the order of the calls and nothing lands inside a SysEx.
// The queue is bounded (kQueueLimitBytes); a message that finds it full is
// dropped. Nothing is dropped silently: every message that does not reach
// the library (queue full, or still queued when the gate is destroyed or
// gives up) is counted in Losses() and logged, as a count at most once every
// kLogGapMs (and once more when the gate goes).
//
// The gate also stands for the output port: while it is closed nothing is
// handed to the library and Send answers false. Closing drops what is queued
// (a paced message stops between two pieces).
//
// A run (HoldRun) keeps several messages together on the wire: an NRPN
// address and its value must not be split by a message from another thread.
//
// What a musician plays through the editor is sent as kPlayed traffic: at
// the quit it is stale, and DropPlayed takes what of it still waits out of
// the queue, so the quit waits only for what the receiver must get whole
// (a program, a firmware image).
//
// Thread-safe: any thread may call Send. The destructor still sends what is
// queued while the gate is open, giving up (and counting the rest as lost)
// when the output makes no progress for kGiveUpMs.
#pragma once

#include <atomic>
#include <chrono>
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
  // What a message costs the room beyond its bytes: the ring's length field
  // and the cycle buffer's event header, rounded up.
  static constexpr size_t kMessageOverhead = 16;
  // A message written while the cycle count reads c leaves in cycle c, c + 1
  // or c + 2 at the latest (the count may move before or after the library's
  // part of a cycle), so the room holds what was written within that many
  // counts.
  static constexpr int kRoomCycles = 3;
  static constexpr size_t kQueueLimitBytes = 4u << 20;
  static constexpr int kGiveUpMs = 1000;
  // How often the worker looks for room while the cycles have not moved.
  static constexpr int kRoomPollMs = 1;
  static constexpr int kLogGapMs = 1000;

  // write puts bytes on the wire and says whether the MIDI library took them;
  // it is only ever called by one thread at a time.
  using Writer = std::function<bool(const uint8_t* bytes, size_t size)>;
  // The output's room: cycles() counts the server's cycles, bytes is what
  // may be handed over (with kMessageOverhead each) within kRoomCycles counts.
  // ready(), when given, says whether the port's connection already carries
  // what is handed over: after Open, messages wait in the queue until it
  // does, kReadyWaitMs at most, since the server may take several cycles to
  // put a connection just made to use and drops what goes out before.
  struct Room
  {
    std::function<uint64_t()> cycles;
    size_t bytes = 0;
    std::function<bool()> ready;
  };
  static constexpr int kReadyWaitMs = 3000;

  // Takes a line for the log; by default the system log gets it.
  using Log = std::function<void(const char* line)>;

  // Whose message it is: the editor's own, or one a musician played
  // (a controller keyboard's, passed on), which DropPlayed may drop.
  enum class Traffic
  {
    kOwn,
    kPlayed,
  };

  explicit PacedMidiOut(Writer write);
  ~PacedMidiOut();
  PacedMidiOut(const PacedMidiOut&) = delete;
  PacedMidiOut& operator=(const PacedMidiOut&) = delete;

  // Sends or queues the message. False when the gate is closed (nothing
  // sent), when the message was dropped (counted in Losses) or when it went
  // straight out and the library refused it; a queued message counts as
  // sent (a later failure of one of its pieces is counted by Failures()).
  bool Send(const uint8_t* bytes, size_t size, Traffic traffic = Traffic::kOwn);
  // Drops the kPlayed messages still queued (counted in Losses), all but
  // one already partly on the wire; the others keep their order. Returns
  // how many went.
  size_t DropPlayed();

  // Opens the gate once the output port is open. With a room that has
  // ready(), what is sent from now on waits until ready() says yes.
  void Open();
  // How often the gate has opened after being closed. The port behind a
  // reopened gate may lead to a receiver that started afresh (its server,
  // or the device, came back), so a sender that leaves out what it told the
  // receiver before sends it whole again when this count has changed.
  uint64_t Openings() const { return mOpenings.load(std::memory_order_acquire); }
  // Call before the output port closes: drops every queued message (a paced
  // one stops after the piece on the wire; the receiver is left with an
  // unfinished SysEx, which ends at the next status byte it sees), waits
  // for a write in progress and sends nothing until Open.
  void Close();
  bool IsOpen() const;

  // The output object behind the gate changed: writes go to write from now
  // on (null: back to the writer given at construction). Call while closed.
  void SetWriter(Writer write);
  // Meters what is handed on by room (an empty cycles function: no metering).
  void SetRoom(Room room);

  // While the returned lock is held, Send from any other thread waits, so
  // the holder's messages reach the wire one after the other. Recursive.
  std::unique_lock<std::recursive_mutex> HoldRun() { return std::unique_lock<std::recursive_mutex>(mRunMutex); }

  // Waits until every queued message is on the wire, at most timeoutMs;
  // false when something is still queued then.
  bool Flush(int timeoutMs = kGiveUpMs * 60);
  // Waits until every queued message is on the wire for as long as the
  // output keeps taking pieces, however long that is (a busy machine may run
  // the server's cycles slowly), and, with a room, until the cycles have
  // carried the last of it out of the library; false once the output has
  // stood still for stallMs before that.
  bool Drain(int stallMs);
  // True while messages wait in the queue.
  bool Busy() const;
  // Pieces the library refused while going out paced.
  int Failures() const;
  // Messages that never reached the library (see above).
  size_t Losses() const;
  // Where the lines about losses go (null: the system log).
  void SetLog(Log log);

private:
  using Clock = std::chrono::steady_clock;

  void Worker();
  // True when cost bytes fit the room now; then they are booked. With the
  // lock held.
  bool TakeRoom(size_t size);
  void CountLoss(size_t messages, const char* why);
  // Logs the losses not told yet. With the lock held.
  void TellLosses(Clock::time_point now);
  bool StartWorker();

  Writer mOwnWriter;
  Writer mWrite;
  Room mRoom;
  // What was handed over while the cycle count read mBookedCycle[i].
  uint64_t mBookedCycle[kRoomCycles] = {};
  size_t mBooked[kRoomCycles] = {};
  std::recursive_mutex mRunMutex;  // taken before mMutex
  mutable std::mutex mMutex;
  std::condition_variable mChanged;
  struct Queued
  {
    std::vector<uint8_t> bytes;
    Traffic traffic;
  };
  std::deque<Queued> mQueue;  // front is going out, from mSentOfFront on
  size_t mQueuedBytes = 0;
  size_t mSentOfFront = 0;
  uint64_t mPiecesHanded = 0;  // ever, so that Drain sees the output move
  int mFailures = 0;
  size_t mLosses = 0;
  size_t mUntold = 0;
  const char* mUntoldWhy = "";
  Clock::time_point mToldAt;  // of the last line; none yet at the epoch
  Log mLog;
  bool mStop = false;
  bool mOpen = true;
  // From Open until the room's ready() has said yes (or kReadyWaitMs passed).
  bool mAwaitingReady = false;
  Clock::time_point mOpenedAt;
  std::atomic<uint64_t> mOpenings{0};
  std::thread mThread;  // started with the first queued message
};
