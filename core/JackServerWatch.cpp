#include "core/JackServerWatch.h"

#include "core/SpawnClean.h"

#include <jack/jack.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>

namespace
{
jack_client_t* Client(void* client) { return static_cast<jack_client_t*>(client); }

std::atomic<uint64_t> gLibraryErrors{0};

// One line, built on the stack and written at once: no allocation, no
// stdio, no lock that a cancelled thread could leave held.
void WriteLibraryLine(const char* message)
{
  char line[512];
  const size_t room = sizeof(line) - 1;
  const size_t length = message ? std::min(std::strlen(message), room) : 0;
  if (length > 0) std::memcpy(line, message, length);
  line[length] = '\n';
  (void)!write(STDERR_FILENO, line, length + 1);
}

void WriteLibraryError(const char* message)
{
  gLibraryErrors.fetch_add(1, std::memory_order_relaxed);
  WriteLibraryLine(message);
}

jack_client_t* Connect(const char* clientName)
{
  JackServerWatch::RouteLibraryMessages();
  jack_status_t status{};
  return jack_client_open(clientName, JackNoStartServer, &status);
}

#ifndef ZEPHRA_JACK_PROBE
#define ZEPHRA_JACK_PROBE nullptr
#endif

bool AnswersInThisProcess(const char* clientName)
{
  jack_client_t* client = Connect(clientName);
  if (!client) return false;
  jack_client_close(client);
  return true;
}

// The probe's exit status, or -1 when it had not ended within limitMs (it
// is killed then).
int AwaitProbe(pid_t probe, int limitMs)
{
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
  int status = 0;
  for (;;)
  {
    const pid_t ended = waitpid(probe, &status, WNOHANG);
    if (ended == probe) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (ended < 0 && errno != EINTR) return -1;
    if (std::chrono::steady_clock::now() >= until) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  kill(probe, SIGKILL);
  while (waitpid(probe, &status, 0) < 0 && errno == EINTR) {}
  return -1;
}
}  // namespace

JackServerWatch::~JackServerWatch() { Close(); }

bool JackServerWatch::Open(const char* clientName, bool counting)
{
  Close();
  mLost = false;
  jack_client_t* client = Connect(clientName);
  if (!client) return false;
  // Told also to a client that never joins the cycles.
  jack_on_shutdown(client, &JackServerWatch::OnShutdown, this);
  if (counting)
  {
    jack_set_process_callback(client, &JackServerWatch::OnProcess, this);
    if (jack_activate(client) != 0)
    {
      jack_client_close(client);
      return false;
    }
  }
  mMidiBufferBytes = jack_port_type_get_buffer_size(client, JACK_DEFAULT_MIDI_TYPE);
  {
    std::lock_guard<std::mutex> hold(mClockLock);
    mCycles = 0;
    mClockCycles = 0;
    mClockFrame = jack_last_frame_time(client);
    mClockPeriod = jack_get_buffer_size(client);
  }
  mCounting = counting;
  mClient = client;
  return true;
}

void JackServerWatch::Rest()
{
  jack_client_t* client = Client(mClient.load());
  if (!mCounting || !Alive()) return;
  // Out of the cycles first: a cycle that runs meanwhile goes uncounted,
  // never counted twice, so that the count never goes back.
  jack_deactivate(client);
  std::lock_guard<std::mutex> hold(mClockLock);
  mClockCycles = mCycles.load(std::memory_order_acquire);
  mClockFrame = jack_last_frame_time(client);
  mClockPeriod = jack_get_buffer_size(client);
  mCounting = false;
}

uint64_t JackServerWatch::Cycles() const
{
  if (mCounting.load(std::memory_order_acquire)) return mCycles.load(std::memory_order_acquire);
  std::lock_guard<std::mutex> hold(mClockLock);
  if (!Alive()) return mClockCycles;
  jack_client_t* client = Client(mClient.load());
  const jack_nframes_t period = jack_get_buffer_size(client);
  // The clock's frames wrap at 32 bits (a day at 48 kHz): only the frames
  // since the last reading are counted, never a distance to the start.
  const uint32_t now = jack_last_frame_time(client);
  const uint32_t ran = now - mClockFrame;
  if (period == 0) return mClockCycles;
  if (period != mClockPeriod)
  {
    // The period changed since the last reading: the frames are counted at
    // the longer of the two, so that the count may fall behind for a
    // moment but never runs ahead of the cycles (the output's meter would
    // hand over too much).
    mClockCycles += ran / std::max(period, mClockPeriod);
    mClockFrame = now;
    mClockPeriod = period;
  }
  else if (ran >= period)
  {
    mClockCycles += ran / period;
    mClockFrame += ran / period * period;
  }
  return mClockCycles;
}

void JackServerWatch::Close()
{
  if (!mClient) return;
  jack_client_t* client = Client(mClient.load());
  mClient = nullptr;
  // A client the server dropped is left as it is: closing it reaches into
  // what the server took away with it.
  if (mLost.load(std::memory_order_acquire)) return;
  if (mCounting) jack_deactivate(client);
  jack_client_close(client);
}

std::vector<std::string> JackServerWatch::ConnectionsOf(const std::string& port) const
{
  std::vector<std::string> names;
  if (!Alive()) return names;
  jack_client_t* client = Client(mClient.load());
  jack_port_t* found = jack_port_by_name(client, port.c_str());
  if (!found) return names;
  if (const char** list = jack_port_get_all_connections(client, found))
  {
    for (const char** name = list; *name; ++name) names.emplace_back(*name);
    jack_free(list);
  }
  return names;
}

bool JackServerWatch::ServerAnswers(const char* clientName, int limitMs)
{
  const std::string probe = HelperProgramPath("zephra-jack-probe", ZEPHRA_JACK_PROBE);
  // Without the probe program (a copy of the editor moved away from it)
  // the question is asked here, as it was before there was one.
  if (probe.empty()) return AnswersInThisProcess(clientName);
  char* const argv[] = {const_cast<char*>(probe.c_str()), const_cast<char*>(clientName), nullptr};
  const pid_t child = SpawnClean(probe.c_str(), argv, false);
  if (child < 0) return AnswersInThisProcess(clientName);
  return AwaitProbe(child, limitMs) == 0;
}

uint64_t JackServerWatch::LibraryErrors()
{
  return gLibraryErrors.load(std::memory_order_relaxed);
}

void JackServerWatch::RouteLibraryMessages()
{
  static std::once_flag routed;
  std::call_once(routed, [] {
    jack_set_error_function(&WriteLibraryError);
    jack_set_info_function(&WriteLibraryLine);
  });
}

int JackServerWatch::OnProcess(uint32_t, void* self)
{
  static_cast<JackServerWatch*>(self)->mCycles.fetch_add(1, std::memory_order_acq_rel);
  return 0;
}

void JackServerWatch::OnShutdown(void* self)
{
  static_cast<JackServerWatch*>(self)->mLost.store(true, std::memory_order_release);
}
