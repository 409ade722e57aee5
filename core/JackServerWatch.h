// JackServerWatch: a port-less client of the JACK server that the MIDI
// ports keep beside their own, for two things the MIDI library does not
// tell: whether the server is still there, and how many of its cycles have
// run. The library's JACK output hands each cycle what was put into its
// ring since the cycle before and silently drops what the cycle's MIDI
// buffer cannot hold, and its send waits without end for ring space that
// only a running cycle frees; the output gate (PacedMidiOut) therefore
// meters what it hands on by this cycle count.
//
// A resting watch is never woken by the server: it reads the cycles off the
// frame clock the server keeps for its clients. A counting one joins the
// server's cycles and counts them itself, at the price of a wake-up every
// cycle (see Cycles for when that is needed).
//
// Threads: Open, Rest and the destructor on one thread (the main thread);
// Cycles, Lost and ConnectionsOf from any thread. The server's threads only
// bump atomics.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

class JackServerWatch
{
public:
  JackServerWatch() = default;
  ~JackServerWatch();
  JackServerWatch(const JackServerWatch&) = delete;
  JackServerWatch& operator=(const JackServerWatch&) = delete;

  // Connects to the server (never starts one) as clientName, resting or
  // counting; false when no server answers.
  bool Open(const char* clientName, bool counting = false);
  // A counting watch leaves the server's cycles and rests; its count goes
  // on from the frame clock. Asks the server, which may not answer.
  void Rest();
  // True from Open until the server goes away (it stopped, or dropped the
  // client) or the watch is closed.
  bool Alive() const { return mClient.load() != nullptr && !mLost.load(std::memory_order_acquire); }
  bool Lost() const { return mLost.load(std::memory_order_acquire); }
  // Cycles run since Open; it stops growing while the server is stalled or
  // gone. The frame clock a resting watch reads belongs to the JACK library
  // as a whole, not to the client: once a server has gone and another has
  // started, it is the new server's, also for a watch whose client the
  // library freed before telling it of the loss. Only a counting watch
  // stands still then.
  uint64_t Cycles() const;
  // The bytes one cycle's MIDI buffer holds, 0 before Open.
  size_t MidiBufferBytes() const { return mMidiBufferBytes; }
  // The full names of the ports connected to port in the graph the
  // server's cycles run now. A connection just made joins that graph only
  // at the start of a later cycle (several later, when the server is
  // busy), and what is sent through it before then is lost. Empty while
  // the watch is not alive. Any thread.
  std::vector<std::string> ConnectionsOf(const std::string& port) const;

  // Lets go of the client without closing it, for a server that does not
  // answer: closing would wait for it for good.
  void Abandon() { mClient = nullptr; }
  // Closes the client (a lost one is only let go of); Open may follow.
  void Close();

  // True when a server answers now: a client is made and closed again, by
  // a short-lived program of ours (zephra-jack-probe), since a server that
  // dies meanwhile can leave the JACK library's locks held for good, and
  // this process's later clients would then wait for ever. A probe that
  // has not answered within limitMs is killed and counts as no answer.
  // Any thread; it waits for the probe.
  static bool ServerAnswers(const char* clientName, int limitMs = kProbeLimitMs);
  static constexpr int kProbeLimitMs = 5000;
  // Sends the JACK library's error and info lines to stderr by a single
  // write each, taking no lock: the library cancels the threads of a gone
  // server's clients at any point, and one cancelled inside a locked stdio
  // write would leave stderr's lock held, so that the next message (the
  // next client's opening prints some) waits for good. Done before the
  // process's first client; later calls do nothing. Open and ServerAnswers
  // call it.
  static void RouteLibraryMessages();
  // The error lines the JACK library has reported in this process since
  // RouteLibraryMessages: a client that could not be opened (no server
  // answered) adds to them, one opened adds nothing.
  static uint64_t LibraryErrors();

private:
  static int OnProcess(uint32_t frames, void* self);
  static void OnShutdown(void* self);

  // A given-up maker thread may still ask Alive while the ports abandon it.
  std::atomic<void*> mClient{nullptr};  // jack_client_t
  std::atomic<uint64_t> mCycles{0};  // counted by the server's cycles
  std::atomic<bool> mCounting{false};
  std::atomic<bool> mLost{false};
  size_t mMidiBufferBytes = 0;
  // The resting count: the cycles up to mClockFrame of the frame clock.
  mutable std::mutex mClockLock;
  mutable uint64_t mClockCycles = 0;
  mutable uint32_t mClockFrame = 0;
  mutable uint32_t mClockPeriod = 0;  // the server's period at that reading
};
