// Runs the simulated synth (zephra_synth_sim) as a child process for a test:
// starts it, waits for its "ready", sends it command lines and reads their
// one-line answers, and stops it again. Every wait has a deadline, so a sim
// that hangs fails the test instead of blocking it.
//
// Not thread-safe: one test thread talks to one process.
#pragma once

#include <sys/types.h>

#include <string>

class SynthSimProcess
{
public:
  static constexpr int kTimeoutMs = 20000;

  SynthSimProcess() = default;
  // Stops a process that is still running.
  ~SynthSimProcess();
  SynthSimProcess(const SynthSimProcess&) = delete;
  SynthSimProcess& operator=(const SynthSimProcess&) = delete;

  // Asks the sim (`program` --probe) whether a JACK server answers, so that
  // the test needs no JACK code of its own. kServerAnswers, kNoServer, or
  // any other status when the probe itself failed (it could not start, or a
  // sanitizer ended it): that is an error, not a reason to skip.
  static constexpr int kServerAnswers = 0;
  static constexpr int kNoServer = 3;
  static int ProbeJackServer(const std::string& program);

  // Starts `program` and waits for its "ready" line. False when it cannot be
  // started, exits, says something else or stays silent; then Error() says
  // why and the process is gone. The sim's standard error stays the test's.
  // From the first start on, the test process ignores SIGPIPE, so that
  // writing to a sim that died fails instead of killing the test.
  [[nodiscard]] bool Start(const std::string& program);

  // Sends one command line and returns its answer line, or an empty text
  // (and Error()) when no answer comes.
  std::string Ask(const std::string& command);

  // Sends "quit", closes the sim's input, waits for the process to end and
  // returns its exit status: the exit code, or 128 + the signal. Kills it
  // when it does not end in time. -1 when no process was running.
  int Stop();

  bool Running() const { return mPid > 0; }
  const std::string& Error() const { return mError; }

private:
  // Reads up to the next newline; false at the deadline or end of output.
  bool ReadLine(std::string& line);
  bool WriteAll(const std::string& text);

  pid_t mPid = -1;
  int mToChild = -1;
  int mFromChild = -1;
  std::string mPending;  // read but not yet returned
  std::string mError;
};
