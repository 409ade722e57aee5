// zephra_synth_sim: a stand-in Zephra Prime for tests of the editor's MIDI
// link. It connects to the editor's ports over JACK, answers the editor the
// way the synth does, and takes text commands on standard input (one answer
// line on standard output for each; see SynthSimCommands.h), so that a test
// can switch on faults and read back what the synth received. It prints
// "ready" once its ports are connected (with --virtual: once its own ports
// are open) and ends on "quit" or end of input.
//
// Two commands belong here because they block or end the program:
//   wait N [MS]   waits until N messages in all have been received and
//                 handled (answers sent), at most MS milliseconds (default
//                 10000); answers "ok COUNT" or "timeout COUNT"
//   quit          answers "bye" and ends
//
// Exit status: 0 after quit or end of input, 2 for bad options, 3 when no
// JACK server answers, 4 when the ports cannot be opened.
#include "SynthSimCommands.h"
#include "SynthSimModel.h"
#include "SynthSimPorts.h"

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <deque>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace
{
constexpr int kExitOk = 0;
constexpr int kExitUsage = 2;
constexpr int kExitNoServer = 3;
constexpr int kExitPorts = 4;
constexpr long kDefaultWaitMs = 10000;

const char* const kUsage =
  "usage: zephra_synth_sim [options]\n"
  "  --to PART            send to the port whose name contains PART (\"To ZephraEditor\")\n"
  "  --from PART          listen to the port whose name contains PART (\"From ZephraEditor\")\n"
  "  --virtual            open own ports \"CLIENT Input:MIDI In\", \"CLIENT Output:MIDI Out\"\n"
  "  --client NAME        JACK client name stem (\"Zephra Prime\")\n"
  "  --connect-timeout MS how long to wait for the ports to appear (10000)\n"
  "  --silent             handle input but send nothing\n"
  "  --corrupt N          the next N dumps carry a wrong checksum\n"
  "  --short N            the next N dumps are 115-byte short dumps\n"
  "  --fail-write L       answer writes to location L \"failed\" (repeatable)\n"
  "  --fail-firmware N    answer the next N firmware data messages \"failed\"\n"
  "  --probe              only tell by the exit status whether a JACK server answers\n";

struct Options
{
  SimPortOptions ports;
  std::vector<std::string> startCommands;  // the fault options, as commands
  bool probe = false;
};

// Reads the options; false (after saying why on stderr) when they are wrong.
bool ParseOptions(int argc, char** argv, Options* options)
{
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    const bool hasValue = i + 1 < argc;
    auto value = [&]() { return std::string(argv[++i]); };
    long number = 0;
    if (option == "--virtual") {
      options->ports.openVirtual = true;
    } else if (option == "--silent") {
      options->startCommands.push_back("silent on");
    } else if (option == "--probe") {
      options->probe = true;
    } else if (option == "--help") {
      std::fputs(kUsage, stdout);
      std::exit(kExitOk);
    } else if (!hasValue) {
      std::fprintf(stderr, "zephra_synth_sim: %s needs a value\n%s", option.c_str(), kUsage);
      return false;
    } else if (option == "--to") {
      options->ports.sendTo = value();
    } else if (option == "--from") {
      options->ports.listenTo = value();
    } else if (option == "--client") {
      options->ports.clientName = value();
    } else if (option == "--connect-timeout") {
      if (!ParseSimNumber(value(), &number) || number < 0 || number > 3600000) {
        std::fprintf(stderr, "zephra_synth_sim: bad --connect-timeout\n");
        return false;
      }
      options->ports.connectTimeoutMs = static_cast<int>(number);
    } else if (option == "--corrupt" || option == "--short" || option == "--fail-write" ||
               option == "--fail-firmware") {
      options->startCommands.push_back(option.substr(2) + " " + value());
    } else {
      std::fprintf(stderr, "zephra_synth_sim: unknown option %s\n%s", option.c_str(), kUsage);
      return false;
    }
  }
  return true;
}

void Answer(const std::string& line)
{
  std::cout << line << '\n' << std::flush;
}

// The synth proper: incoming messages queue up on the MIDI thread and are
// handled in order on a worker of our own, so that the JACK thread never
// waits for a command that holds the model.
class SynthSim
{
public:
  explicit SynthSim(const Options& options) : mOptions(options) {}

  ~SynthSim() { Stop(); }

  // Applies the fault options; false with the reason in *error.
  bool Configure(std::string* error)
  {
    std::lock_guard<std::mutex> lock(mModelMutex);
    for (const std::string& command : mOptions.startCommands) {
      const std::string answer = RunSimCommand(mModel, command);
      if (answer != "ok") {
        *error = "--" + command + ": " + answer;
        return false;
      }
    }
    return true;
  }

  bool Start(std::string* error)
  {
    mWorker = std::thread([this] { Work(); });
    return mPorts.Open(mOptions.ports, [this](const SimBytes& message) { Enqueue(message); }, error);
  }

  // Handles command lines until "quit" or the end of input.
  void Serve()
  {
    std::string line;
    while (std::getline(std::cin, line)) {
      const std::vector<std::string> words = SplitSimWords(line);
      if (words.size() == 1 && words[0] == "quit") {
        Answer("bye");
        return;
      }
      if (!words.empty() && words[0] == "wait") {
        Answer(Wait(words));
        continue;
      }
      std::lock_guard<std::mutex> lock(mModelMutex);
      Answer(RunSimCommand(mModel, line));
    }
  }

  void Stop()
  {
    {
      std::lock_guard<std::mutex> lock(mInboxMutex);
      mStopping = true;
    }
    mInboxReady.notify_all();
    if (mWorker.joinable()) mWorker.join();
    mPorts.Close();
  }

private:
  void Enqueue(const SimBytes& message)
  {
    {
      std::lock_guard<std::mutex> lock(mInboxMutex);
      mInbox.push_back(message);
    }
    mInboxReady.notify_one();
  }

  void Work()
  {
    std::vector<SimBytes> answers;
    for (;;) {
      SimBytes message;
      {
        std::unique_lock<std::mutex> lock(mInboxMutex);
        mInboxReady.wait(lock, [this] { return mStopping || !mInbox.empty(); });
        if (mInbox.empty()) return;
        message = std::move(mInbox.front());
        mInbox.pop_front();
      }
      {
        std::lock_guard<std::mutex> lock(mModelMutex);
        answers.clear();
        mModel.Receive(message, &answers);
        // Sent before the count is visible, so that a test that waited for
        // the count knows the answer is on its way.
        for (const SimBytes& answer : answers) mPorts.Send(answer);
      }
      mHandled.notify_all();
    }
  }

  std::string Wait(const std::vector<std::string>& words)
  {
    long target = 0, timeoutMs = kDefaultWaitMs;
    if (words.size() < 2 || words.size() > 3 || !ParseSimNumber(words[1], &target) ||
        (words.size() == 3 && (!ParseSimNumber(words[2], &timeoutMs) || timeoutMs < 0)))
      return "error usage: wait N [MS]";
    std::unique_lock<std::mutex> lock(mModelMutex);
    const bool reached = mHandled.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
      return mModel.Counts().received >= target;
    });
    return (reached ? "ok " : "timeout ") + std::to_string(mModel.Counts().received);
  }

  const Options mOptions;
  SynthSimPorts mPorts;

  std::mutex mModelMutex;
  std::condition_variable mHandled;
  SynthSimModel mModel;

  std::mutex mInboxMutex;
  std::condition_variable mInboxReady;
  std::deque<SimBytes> mInbox;
  bool mStopping = false;
  std::thread mWorker;
};
} // namespace

int main(int argc, char** argv)
{
  // A test that dies leaves us writing into a closed pipe; end of input
  // then ends us instead of the signal.
  std::signal(SIGPIPE, SIG_IGN);

  Options options;
  if (!ParseOptions(argc, argv, &options)) {
    Answer("error bad options");
    return kExitUsage;
  }
  if (options.probe) return SimJackServerAnswers() ? kExitOk : kExitNoServer;

  SynthSim sim(options);
  std::string error;
  if (!sim.Configure(&error)) {
    Answer("error " + error);
    return kExitUsage;
  }
  if (!SimJackServerAnswers()) {
    Answer("error no JACK server answers");
    return kExitNoServer;
  }
  if (!sim.Start(&error)) {
    Answer("error " + error);
    return kExitPorts;
  }
  Answer("ready");
  sim.Serve();
  sim.Stop();
  return kExitOk;
}
