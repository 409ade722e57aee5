#include "RunningEditor.h"

#include "raster/RAST_Bitmap.h"
#include "raster/RAST_Pixel.h"
#include "tools/artgen/ArtPng.h"

#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <rtmidi/RtMidi.h>

#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

namespace
{

// Why the synth's ports could not be had. "no JACK server" lets a test skip
// where no server runs; under CI the test command has started one, so its
// silence is said otherwise and the test fails.
std::string NoJackServer(const std::string& detail)
{
  return (std::getenv("CI") ? "the test command's JACK server does not answer" : "no JACK server") + detail;
}

constexpr int kGuiWidth = 1140, kGuiHeight = 800;
const char kFolder[] = "/Library/Application Support/ZephraEditor/";
// Where the program's HTTPS client finds the authorities it trusts.
const char kSystemCaBundle[] = "/etc/ssl/certs/ca-certificates.crt";

// Puts bundle over the system's bundle in a mount namespace of the calling
// process's own, which its mounts never leave. Only system calls: it runs
// in a child forked from a process with threads.
bool TrustOwnBundle(const char* bundle)
{
  return unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
         mount(bundle, kSystemCaBundle, nullptr, MS_BIND, nullptr) == 0;
}

// Whether a child of this process may put bundle in place.
bool CanTrustOwnBundle(const char* bundle)
{
  const pid_t child = fork();
  if (child == 0) _exit(TrustOwnBundle(bundle) ? 0 : 1);
  int status = 1;
  return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to)
{
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
}

// Runs a shell command line and answers what it printed.
std::string Output(const std::string& command)
{
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r"))
  {
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    pclose(pipe);
  }
  return out;
}

std::string Quoted(const std::string& text)
{
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// A process's arguments, from /proc.
std::vector<std::string> Arguments(pid_t pid)
{
  std::ifstream in("/proc/" + std::to_string(pid) + "/cmdline", std::ios::binary);
  std::vector<std::string> args;
  std::string arg;
  while (std::getline(in, arg, '\0')) args.push_back(arg);
  return args;
}

pid_t ParentOf(pid_t pid)
{
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  // One line. Read through the stream, not its buffer: a process that ends
  // while the list of processes is read fails the read, which the buffer's
  // iterator throws out and the stream turns into an empty line.
  std::string stat;
  std::getline(in, stat);
  const size_t close = stat.rfind(')');
  if (close == std::string::npos) return 0;
  std::istringstream rest(stat.substr(close + 2));
  char state = 0;
  pid_t parent = 0;
  rest >> state >> parent;
  return parent;
}

// Runs of indexes where ink holds, joined across gaps shorter than gap.
std::vector<std::pair<int, int>> Runs(const std::vector<bool>& ink, int gap)
{
  std::vector<std::pair<int, int>> runs;
  for (int i = 0; i < static_cast<int>(ink.size()); ++i)
  {
    if (!ink[static_cast<size_t>(i)]) continue;
    if (!runs.empty() && i - runs.back().second <= gap)
      runs.back().second = i + 1;
    else
      runs.push_back({i, i + 1});
  }
  return runs;
}

// The full name of the output port whose name holds part, as a MIDI input
// (the editor's keyboard input among them) lists it; "" when there is none.
std::string ReadablePortName(const char* part)
{
  try
  {
    RtMidiIn lister(RtMidi::UNIX_JACK, "Zephra test port lister");
    for (unsigned i = 0; i < lister.getPortCount(); ++i)
      if (lister.getPortName(i).find(part) != std::string::npos) return lister.getPortName(i);
  }
  catch (const RtMidiError&)
  {
  }
  return "";
}

// Menus and message boxes close while the harness reads them: a window
// gone between listing and reading must read as nothing, not end the test
// process, which Xlib's default handler does on any error.
int IgnoreXError(::Display*, XErrorEvent*) { return 0; }
}  // namespace

struct RunningEditor::X
{
  ::Display* display = nullptr;
  ~X()
  {
    if (display) XCloseDisplay(display);
  }
};

RunningEditor::RunningEditor(RunningEditorSetup setup) : mSetup(std::move(setup)), mX(std::make_unique<X>()) {}

RunningEditor::~RunningEditor()
{
  // A program killed outright leaves its JACK clients in the server's
  // cycle, which in sync mode then stalls every client for minutes: end it
  // as a session does, and kill it only when it does not end.
  if (Running()) Stop(SIGTERM, 10);
  mKeyboard.reset();
  mSynth.reset();
  StopDisplay();
}

std::string RunningEditor::SettingsFolder() const { return mHome.Path() + kFolder; }

std::string RunningEditor::SettingsText() const
{
  std::ifstream in(SettingsFolder() + "settings.ini", std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string RunningEditor::ArtefactFolder()
{
  const std::string folder = std::string(ZEPHRA_BUILD_RESOURCES) + "/../artefacts";
  std::filesystem::create_directories(folder);
  return folder;
}

std::vector<SimBytes> RunningEditor::Heard()
{
  return mSynth ? mSynth->With([](SynthSimModel& m) { return m.heard; }) : std::vector<SimBytes>();
}

bool RunningEditor::SwitchSynthOffAndOn(std::string& error)
{
  mSynth.reset();
  mSynth = std::make_unique<SynthSim>();
  if (!mSynth->OpenOwnPorts(error)) return false;
  mSynth->With([](SynthSimModel& m) { return m.keepHeard = true; });
  return true;
}

bool RunningEditor::HeardAProgram(double seconds)
{
  return WaitUntil([this] { return Heard().size() >= kProgramMessages; }, seconds);
}

bool RunningEditor::ShowsScale(double scale, double seconds)
{
  char line[64];
  std::snprintf(line, sizeof line, "guiscale=%.15f\n", scale);
  return WaitUntil(
    [&] { return SettingsText().find(line) != std::string::npos && GuiRect(scale).w == MainRect().w; }, seconds);
}

bool RunningEditor::PassThrough(const SimBytes& message)
{
  for (int attempt = 0; attempt < 10; ++attempt)
  {
    const size_t heard = Heard().size();
    if (!Keyboard().SendRaw(message)) return false;
    const auto arrived = [&] {
      const std::vector<SimBytes> now = Heard();
      return now.size() > heard &&
             std::find(now.begin() + static_cast<std::ptrdiff_t>(heard), now.end(), message) != now.end();
    };
    if (WaitUntil(arrived, 1)) return true;
  }
  return false;
}

void RunningEditor::ClearHeard()
{
  if (mSynth) mSynth->With([](SynthSimModel& m) {
      m.heard.clear();
      return 0;
    });
}

// ---- start and stop ----

bool RunningEditor::StartDisplay(std::string& error)
{
  int fds[2];
  if (pipe(fds) != 0)
  {
    error = "no pipe for the display number";
    return false;
  }
  const std::string screen = std::to_string(mSetup.screenWidth) + "x" + std::to_string(mSetup.screenHeight) + "x24";
  const std::string fd = std::to_string(fds[1]);
  mDisplayPid = fork();
  if (mDisplayPid == 0)
  {
    close(fds[0]);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
           static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  std::string number;
  char c;
  while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
  close(fds[0]);
  if (number.empty())
  {
    error = "Xvfb did not start";
    return false;
  }
  mDisplay = ":" + number;
  XSetErrorHandler(IgnoreXError);
  mX->display = XOpenDisplay(mDisplay.c_str());
  if (!mX->display)
  {
    error = "cannot open display " + mDisplay;
    return false;
  }
  return true;
}

bool RunningEditor::StartWindowManager(std::string& error)
{
  // A home of the test's own: no user's configuration changes the frames.
  const std::string home = "HOME=" + mHome.Path();
  const std::string display = "DISPLAY=" + mDisplay;
  mManagerPid = fork();
  if (mManagerPid == 0)
  {
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    char* envp[] = {const_cast<char*>(home.c_str()), const_cast<char*>(display.c_str()), nullptr};
    execle("/usr/bin/openbox", "openbox", "--sm-disable", static_cast<char*>(nullptr), envp);
    _exit(127);
  }
  // The manager runs once it names itself on the root window.
  const Atom check = XInternAtom(mX->display, "_NET_SUPPORTING_WM_CHECK", False);
  const bool up = WaitUntil(
    [&] {
      Atom type;
      int format;
      unsigned long n = 0, left = 0;
      unsigned char* data = nullptr;
      const bool found = XGetWindowProperty(mX->display, DefaultRootWindow(mX->display), check, 0, 1, False,
                                            AnyPropertyType, &type, &format, &n, &left, &data) == Success &&
                         n == 1;
      if (data) XFree(data);
      return found || waitpid(mManagerPid, nullptr, WNOHANG) == mManagerPid;
    },
    20);
  if (!up || waitpid(mManagerPid, nullptr, WNOHANG) != 0)
  {
    error = "the window manager (openbox) did not start";
    return false;
  }
  return true;
}

void RunningEditor::StopDisplay()
{
  if (mManagerPid > 0)
  {
    kill(mManagerPid, SIGTERM);
    waitpid(mManagerPid, nullptr, 0);
    mManagerPid = 0;
  }
  if (mX->display)
  {
    XCloseDisplay(mX->display);
    mX->display = nullptr;
  }
  if (mDisplayPid > 0)
  {
    kill(mDisplayPid, SIGTERM);
    waitpid(mDisplayPid, nullptr, 0);
    mDisplayPid = 0;
  }
}

bool RunningEditor::Start(std::string& error)
{
  if (!Launch(error)) return false;
  return WaitForMainWindow(error);
}

bool RunningEditor::Launch(std::string& error)
{
  std::string settings = mSetup.settings;
  if (mSetup.synth)
  {
    if (!SynthSim::JackServerAnswers())
    {
      error = NoJackServer("");
      return false;
    }
    mSynth = std::make_unique<SynthSim>();
    if (!mSynth->OpenOwnPorts(error))
    {
      error = NoJackServer(": " + error);
      return false;
    }
    mSynth->With([](SynthSimModel& m) { return m.keepHeard = true; });
    // The editor's input hears the synth's output, and the other way round.
    ReplaceAll(settings, "{synth-in}", mSynth->OutputName());
    ReplaceAll(settings, "{synth-out}", mSynth->InputName());
    if (mSetup.keyboard)
    {
      mKeyboard = std::make_unique<SynthSim>();
      if (!mKeyboard->OpenAsKeyboard(error))
      {
        error = NoJackServer(": " + error);
        return false;
      }
      ReplaceAll(settings, "{keyboard}", ReadablePortName(SynthSim::kKeyboardPortName));
    }
    // A [MIDI] of any case is the section: the program matches names so.
    std::string lowered = settings;
    for (char& ch : lowered)
      if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    if (lowered.find("[midi]") == std::string::npos)
      settings += "\n[midi]\ninBdev=off\nindev=" + mSynth->OutputName() + "\noutdev=" + mSynth->InputName() + "\n";
  }
  if (!mSetup.settings.empty() || mSetup.synth)
  {
    std::filesystem::create_directories(SettingsFolder());
    std::ofstream(SettingsFolder() + "settings.ini", std::ios::binary) << settings;
  }
  std::string bundle;
  if (!mSetup.trustedCaFile.empty())
  {
    bundle = mHome.Path() + "/.trusted-authorities.pem";
    std::ifstream system(kSystemCaBundle, std::ios::binary), added(mSetup.trustedCaFile, std::ios::binary);
    if (!system || !added)
    {
      error = std::string("no mount namespace: no ") + (!system ? kSystemCaBundle : mSetup.trustedCaFile.c_str());
      return false;
    }
    std::ofstream out(bundle, std::ios::binary);
    out << system.rdbuf() << "\n" << added.rdbuf();
    if (!out.flush())
    {
      error = "cannot write the bundle of trusted authorities";
      return false;
    }
    if (!CanTrustOwnBundle(bundle.c_str()))
    {
      error = "no mount namespace for the trusted authorities";
      return false;
    }
  }
  if (!StartDisplay(error)) return false;
  if (mSetup.windowManager && !StartWindowManager(error)) return false;

  std::vector<std::pair<std::string, std::string>> env = {
    {"HOME", mHome.Path()}, {"DISPLAY", mDisplay}, {"GDK_BACKEND", "x11"}, {"GSETTINGS_BACKEND", "memory"},
    {"NO_AT_BRIDGE", "1"}};
  env.insert(env.end(), mSetup.env.begin(), mSetup.env.end());
  // Everything the child needs is made before the fork: the synth's MIDI
  // threads run, so the child may only exec.
  std::vector<std::string> entries;
  for (char** e = environ; *e; ++e)
  {
    const std::string entry = *e;
    const std::string name = entry.substr(0, entry.find('='));
    if (std::none_of(env.begin(), env.end(), [&](const auto& set) { return set.first == name; }))
      entries.push_back(entry);
  }
  for (const auto& [name, value] : env) entries.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (std::string& entry : entries) envp.push_back(&entry[0]);
  envp.push_back(nullptr);
  std::string program = mSetup.program.empty() ? std::string(ZEPHRA_EDITOR_APP) : mSetup.program;
  char* argv[] = {&program[0], nullptr};
  const int console = mSetup.console.empty() ? -1 : open(mSetup.console.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  mPid = fork();
  if (mPid == 0)
  {
    if (console >= 0) dup2(console, STDERR_FILENO);
    if (!bundle.empty() && !TrustOwnBundle(bundle.c_str())) _exit(126);
    execve(program.c_str(), argv, envp.data());
    _exit(127);
  }
  if (console >= 0) close(console);
  return true;
}

bool RunningEditor::WaitForMainWindow(std::string& error)
{
  const std::string search = "search --onlyvisible --pid " + std::to_string(mPid) + " --name '^ZephraEditor$'";
  const bool shown = WaitUntil(
    [&] {
      const std::string found = XdotoolOutput(search);
      mMainWindow = std::strtoul(found.c_str(), nullptr, 10);
      return mMainWindow != 0 || !Running();
    },
    60);
  if (!shown || mMainWindow == 0)
  {
    error = Running() ? "the main window did not show" : "the program ended before its window showed";
    return false;
  }
  // The window maps before the GUI's first frame: wait for the panels,
  // which are never one colour.
  const bool drawn = WaitUntil(
    [&] {
      const Rect window = MainRect();
      const std::vector<uint32_t> middle = Grab({window.x + window.w / 4, window.y + window.h / 4, window.w / 2, window.h / 2});
      return std::any_of(middle.begin(), middle.end(), [&](uint32_t p) { return p != middle.front(); });
    },
    kBusyLimit);
  if (!drawn) error = "the GUI never drew";
  return drawn;
}

bool RunningEditor::Running()
{
  if (mPid <= 0) return false;
  int status = 0;
  if (waitpid(mPid, &status, WNOHANG) == mPid)
  {
    mPid = -mPid;  // reaped: keep the number for the alert search
    mExitStatus = status;
    return false;
  }
  return true;
}

int RunningEditor::Stop(int signal, double seconds)
{
  if (mPid > 0) kill(mPid, signal);
  WaitUntil([&] { return !Running(); }, seconds);
  if (Running())
  {
    // What it waits on, for the failure's report: a hang seen once on a
    // busy machine is otherwise gone with the process.
    std::fprintf(stderr, "the program did not end within %.0f s; its threads:\n%s\n", seconds,
                 Output("command -v gdb >/dev/null && timeout 60 gdb -p " + std::to_string(mPid) +
                        " -batch -nx -ex 'thread apply all bt' 2>&1 | grep -E '^(Thread|#)'")
                   .c_str());
    kill(mPid, SIGKILL);
    waitpid(mPid, nullptr, 0);
    mPid = -mPid;
    return -1;
  }
  return WIFEXITED(mExitStatus) ? WEXITSTATUS(mExitStatus) : -1;
}

bool RunningEditor::WaitUntil(const std::function<bool()>& ready, double seconds)
{
  const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!ready())
  {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

long RunningEditor::ResidentKiB()
{
  if (!Running()) return -1;
  std::ifstream in("/proc/" + std::to_string(mPid) + "/status");
  for (std::string line; std::getline(in, line);)
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  return -1;
}

// ---- windows ----

RunningEditor::Rect RunningEditor::WindowRect(unsigned long window) const
{
  Rect r;
  XWindowAttributes attributes;
  if (!mX->display || !window || !XGetWindowAttributes(mX->display, window, &attributes)) return r;
  Window child;
  if (!XTranslateCoordinates(mX->display, window, DefaultRootWindow(mX->display), 0, 0, &r.x, &r.y, &child))
    return {};
  r.w = attributes.width;
  r.h = attributes.height;
  return r;
}

unsigned long RunningEditor::TopOf(unsigned long window) const
{
  const Window rootWindow = DefaultRootWindow(mX->display);
  for (Window w = window; w;)
  {
    Window root, parent, *children = nullptr;
    unsigned n = 0;
    if (!XQueryTree(mX->display, w, &root, &parent, &children, &n)) return 0;
    if (children) XFree(children);
    if (parent == rootWindow) return w;
    w = parent;
  }
  return 0;
}

RunningEditor::Rect RunningEditor::MainFrameRect() const
{
  if (!mX->display || !mMainWindow) return {};
  return WindowRect(TopOf(mMainWindow));
}

RunningEditor::Rect RunningEditor::GuiRect(double scale) const
{
  const Rect window = MainRect();
  Rect gui;
  gui.w = static_cast<int>(kGuiWidth * scale + 0.5);
  gui.h = static_cast<int>(kGuiHeight * scale + 0.5);
  gui.x = window.x;
  gui.y = window.y + window.h - gui.h;
  return gui;
}

std::pair<int, int> RunningEditor::GuiPoint(int gx, int gy, double scale) const
{
  const Rect gui = GuiRect(scale);
  return {gui.x + static_cast<int>(gx * scale), gui.y + static_cast<int>(gy * scale)};
}

std::vector<unsigned long> RunningEditor::OtherWindows() const
{
  std::vector<unsigned long> windows;
  if (!mX->display) return windows;
  Window root, parent, *children = nullptr;
  unsigned n = 0;
  if (!XQueryTree(mX->display, DefaultRootWindow(mX->display), &root, &parent, &children, &n)) return windows;
  // Under a window manager the main window lies in a frame of its own.
  const unsigned long main = mMainWindow ? TopOf(mMainWindow) : 0;
  for (unsigned i = 0; i < n; ++i)
  {
    XWindowAttributes attributes;
    if (children[i] != mMainWindow && children[i] != main && XGetWindowAttributes(mX->display, children[i], &attributes) &&
        attributes.map_state == IsViewable && attributes.width > 1 && attributes.height > 1)
      windows.push_back(children[i]);
  }
  if (children) XFree(children);
  return windows;
}

void RunningEditor::FocusMain() { Xdotool("windowfocus --sync " + std::to_string(mMainWindow)); }

// ---- input ----

std::string RunningEditor::XdotoolCommand(const std::string& args) const
{
  return "DISPLAY=" + mDisplay + " xdotool " + args + " 2>/dev/null";
}

bool RunningEditor::Xdotool(const std::string& args) const { return std::system(XdotoolCommand(args).c_str()) == 0; }

std::string RunningEditor::XdotoolOutput(const std::string& args) const { return Output(XdotoolCommand(args)); }

std::pair<int, int> RunningEditor::Pointer() const
{
  if (!mX->display) return {-1, -1};
  Window root, child;
  int x = -1, y = -1, windowX, windowY;
  unsigned mask;
  if (!XQueryPointer(mX->display, DefaultRootWindow(mX->display), &root, &child, &x, &y, &windowX, &windowY, &mask))
    return {-1, -1};
  return {x, y};
}

void RunningEditor::MoveTo(int x, int y)
{
  // xdotool's wait for the move ends when the pointer leaves where it was:
  // sent where it already is, it waits out a limit of its own (15 s) for a
  // move that never comes. A drag of a few pixels in ten steps repeats points.
  if (Pointer() == std::make_pair(x, y)) return;
  Xdotool("mousemove --sync " + std::to_string(x) + " " + std::to_string(y));
}

void RunningEditor::Click(int x, int y, int button)
{
  MoveTo(x, y);
  Xdotool("click " + std::to_string(button));
}

void RunningEditor::DoubleClick(int x, int y)
{
  MoveTo(x, y);
  Xdotool("click --repeat 2 --delay 60 1");
}

void RunningEditor::Drag(int x0, int y0, int x1, int y1, int steps, int button)
{
  MoveTo(x0, y0);
  Xdotool("mousedown " + std::to_string(button));
  for (int i = 1; i <= steps; ++i)
  {
    MoveTo(x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  Xdotool("mouseup " + std::to_string(button));
}

void RunningEditor::ClickGui(int gx, int gy, double scale)
{
  const auto [x, y] = GuiPoint(gx, gy, scale);
  Click(x, y);
}

void RunningEditor::DragGui(int gx0, int gy0, int gx1, int gy1, double scale)
{
  const auto [x0, y0] = GuiPoint(gx0, gy0, scale);
  const auto [x1, y1] = GuiPoint(gx1, gy1, scale);
  Drag(x0, y0, x1, y1);
}

void RunningEditor::Key(const std::string& keys) { Xdotool("key --clearmodifiers " + keys); }

void RunningEditor::Type(const std::string& text) { Xdotool("type --delay 20 " + Quoted(text)); }

bool RunningEditor::Paste(const std::string& text)
{
  ::Display* d = mX->display;
  if (!d) return false;
  const Atom clipboard = XInternAtom(d, "CLIPBOARD", False);
  const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
  const Atom targets = XInternAtom(d, "TARGETS", False);
  const Window owner = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
  XSetSelectionOwner(d, clipboard, owner, CurrentTime);
  bool handed = false;
  if (XGetSelectionOwner(d, clipboard) == owner)
  {
    Key("ctrl+v");
    // The test owns the clipboard and answers the toolkit's requests itself:
    // the text has reached the field once the request for it is answered,
    // and a key sent after it comes after the text.
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(kBusyLimit);
    while (!handed && std::chrono::steady_clock::now() < end)
    {
      if (!XPending(d))
      {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        continue;
      }
      XEvent event;
      XNextEvent(d, &event);
      if (event.type != SelectionRequest) continue;
      const XSelectionRequestEvent& request = event.xselectionrequest;
      XSelectionEvent reply{};
      reply.type = SelectionNotify;
      reply.display = d;
      reply.requestor = request.requestor;
      reply.selection = request.selection;
      reply.target = request.target;
      reply.time = request.time;
      reply.property = None;
      const Atom property = request.property != None ? request.property : request.target;
      if (request.target == targets)
      {
        const Atom offered[] = {targets, utf8, XA_STRING};
        XChangeProperty(d, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(offered), 3);
        reply.property = property;
      }
      else if (request.target == utf8 || request.target == XA_STRING)
      {
        XChangeProperty(d, request.requestor, property, request.target, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
        reply.property = property;
        handed = true;
      }
      XEvent sent{};
      sent.xselection = reply;
      XSendEvent(d, request.requestor, False, 0, &sent);
      XFlush(d);
    }
  }
  XSetSelectionOwner(d, clipboard, None, CurrentTime);
  XDestroyWindow(d, owner);
  XFlush(d);
  return handed;
}

bool RunningEditor::EnterInChooser(const std::string& path)
{
  Key("ctrl+l");
  if (!Paste(path)) return false;
  Key("Return");
  return true;
}

// ---- pixels ----

RunningEditor::Rect RunningEditor::NameDisplay(double scale) const
{
  const auto [left, top] = GuiPoint(58, 30, scale);
  const auto [right, bottom] = GuiPoint(268, 46, scale);
  return {left, top, right - left, bottom - top};
}

int RunningEditor::NameInkWidth(double scale) const
{
  const Rect r = NameDisplay(scale);
  const std::vector<uint32_t> pixels = Grab(r);
  if (pixels.empty()) return 0;
  int first = -1, last = -1;
  for (int x = 0; x < r.w; ++x)
    for (int y = 0; y < r.h; ++y)
    {
      const uint32_t p = pixels[static_cast<size_t>(y * r.w + x)];
      if ((p >> 16 & 0xFF) >= 0xA0 && (p >> 8 & 0xFF) < 0x60 && (p & 0xFF) < 0x60)
      {
        if (first < 0) first = x;
        last = x;
      }
    }
  return first < 0 ? 0 : last - first + 1;
}

std::vector<uint32_t> RunningEditor::Grab(Rect r) const
{
  std::vector<uint32_t> pixels;
  if (!mX->display || r.w <= 0 || r.h <= 0) return pixels;
  // The server refuses a grab reaching off the screen with an error that
  // ends the test's process: a window placed partly off screen is what some
  // tests look for.
  const int screen = DefaultScreen(mX->display);
  if (r.x < 0 || r.y < 0 || r.x + r.w > DisplayWidth(mX->display, screen) ||
      r.y + r.h > DisplayHeight(mX->display, screen))
    return pixels;
  XImage* image = XGetImage(mX->display, DefaultRootWindow(mX->display), r.x, r.y, static_cast<unsigned>(r.w),
                            static_cast<unsigned>(r.h), AllPlanes, ZPixmap);
  if (!image) return pixels;
  pixels.resize(static_cast<size_t>(r.w) * static_cast<size_t>(r.h));
  for (int y = 0; y < r.h; ++y)
    for (int x = 0; x < r.w; ++x)
      pixels[static_cast<size_t>(y) * static_cast<size_t>(r.w) + static_cast<size_t>(x)] =
        static_cast<uint32_t>(XGetPixel(image, x, y) & 0xFFFFFF);
  XDestroyImage(image);
  return pixels;
}

uint32_t RunningEditor::Pixel(int x, int y) const
{
  const std::vector<uint32_t> one = Grab({x, y, 1, 1});
  return one.empty() ? 0 : one[0];
}

bool RunningEditor::SavePicture(const std::string& name, Rect r) const
{
  const std::vector<uint32_t> pixels = Grab(r);
  if (pixels.empty()) return false;
  RAST_MemBitmap bitmap(r.w, r.h, 1);
  for (int y = 0; y < r.h; ++y)
    for (int x = 0; x < r.w; ++x)
    {
      const uint32_t p = pixels[static_cast<size_t>(y * r.w + x)];
      bitmap.getBits()[y * bitmap.getRowSpan() + x] =
        RAST_RGBA(static_cast<int>(p >> 16), static_cast<int>(p >> 8), static_cast<int>(p), 255);
    }
  std::string error;
  return ArtWritePng(ArtefactFolder() + "/" + name + ".png", &bitmap, &error, 1);
}

// ---- the menu bar ----

RunningEditor::Rect RunningEditor::MenuBarRect() const
{
  const Rect window = MainRect();
  const Rect gui = GuiRect(1.0);
  // Whatever the scale, the bar is the band above the GUI: the GUI is the
  // window's bottom part and keeps the window's width.
  Rect bar{window.x, window.y, window.w, std::max(0, window.h - std::min(window.h, gui.h))};
  if (bar.h <= 0 || bar.h > 60) bar.h = 24;
  return bar;
}

std::vector<RunningEditor::Rect> RunningEditor::MenuBarItems() const
{
  const Rect bar = MenuBarRect();
  const std::vector<uint32_t> pixels = Grab(bar);
  if (pixels.empty()) return {};
  const uint32_t background = pixels[static_cast<size_t>(bar.h / 2 * bar.w + bar.w - 1)];
  // The titles' words only, the bar's middle half: a lit title (its menu
  // open, or just closed) is underlined across its padding at the bottom,
  // which ran it into its neighbour.
  std::vector<bool> ink(static_cast<size_t>(bar.w), false);
  for (int x = 0; x < bar.w; ++x)
    for (int y = bar.h / 4; y < bar.h * 3 / 4; ++y)
      if (pixels[static_cast<size_t>(y * bar.w + x)] != background) ink[static_cast<size_t>(x)] = true;
  std::vector<Rect> items;
  for (const auto& [from, to] : Runs(ink, 8)) items.push_back({bar.x + from, bar.y, to - from, bar.h});
  return items;
}

std::vector<RunningEditor::Rect> RunningEditor::OpenMenuItems() const
{
  const std::vector<unsigned long> others = OtherWindows();
  if (others.empty()) return {};
  const Rect menu = WindowRect(others.back());
  const std::vector<uint32_t> pixels = Grab(menu);
  if (pixels.empty()) return {};
  const uint32_t background = pixels[static_cast<size_t>(menu.h / 2 * menu.w + menu.w - 4)];
  // A row of ink that spans most of the width is a separator line.
  std::vector<bool> text(static_cast<size_t>(menu.h), false);
  for (int y = 2; y < menu.h - 2; ++y)
  {
    int inked = 0;
    for (int x = 2; x < menu.w - 2; ++x)
      if (pixels[static_cast<size_t>(y * menu.w + x)] != background) ++inked;
    text[static_cast<size_t>(y)] = inked > 0 && inked < (menu.w - 4) * 3 / 4;
  }
  std::vector<Rect> items;
  for (const auto& [from, to] : Runs(text, 3)) items.push_back({menu.x, menu.y + from, menu.w, to - from});
  return items;
}

std::vector<RunningEditor::Rect> RunningEditor::OpenMenu(int top)
{
  if (top < 0) return {};
  // A busy machine may show the window before its menu bar is drawn.
  std::vector<Rect> titles;
  if (!WaitUntil([&] { return top < static_cast<int>((titles = MenuBarItems()).size()); }, kBusyLimit)) return {};
  const Rect& title = titles[static_cast<size_t>(top)];
  // A title clicked again at once (the marks read, then a choice) is
  // clicked a pixel aside, so the two clicks never make a double click.
  const bool again = Pointer() == std::make_pair(title.CenterX(), title.CenterY());
  const int x = again ? title.CenterX() + 1 : title.CenterX();
  // A menu's window shows what lay under it until the program draws it: the
  // panel's own rows of text there, read as the menu's, sent a click to
  // another item on a stalled machine. The menu counts as drawn once most
  // of it differs from the window under it as it was before.
  const Rect under = MainRect();
  const std::vector<uint32_t> before = Grab(under);
  Click(x, title.CenterY());
  const auto drawn = [&] {
    const Rect menu = OpenMenuRect();
    const int x0 = std::max(menu.x, under.x), x1 = std::min(menu.x + menu.w, under.x + under.w);
    const int y0 = std::max(menu.y, under.y), y1 = std::min(menu.y + menu.h, under.y + under.h);
    if (before.empty() || x1 <= x0 || y1 <= y0) return true;
    const std::vector<uint32_t> now = Grab({x0, y0, x1 - x0, y1 - y0});
    if (now.empty()) return false;
    size_t differing = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x)
        differing += now[static_cast<size_t>((y - y0) * (x1 - x0) + (x - x0))] !=
                     before[static_cast<size_t>((y - under.y) * under.w + (x - under.x))];
    return differing * 2 > now.size();
  };
  std::vector<Rect> rows;
  WaitUntil([&] { return !(rows = OpenMenuItems()).empty() && drawn(); }, kBusyLimit);
  // The menu draws its rows after it maps, and a busy machine may still
  // grow or move it: wait for the count and the menu's place to settle.
  Rect place = OpenMenuRect();
  for (size_t last = 0; last != rows.size();)
  {
    last = rows.size();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    rows = OpenMenuItems();
    const Rect now = OpenMenuRect();
    if (now.x != place.x || now.y != place.y || now.w != place.w || now.h != place.h) last = SIZE_MAX;
    place = now;
  }
  return rows;
}

std::vector<int> RunningEditor::MarkedMenuItems(int top)
{
  const std::vector<Rect> rows = OpenMenu(top);
  std::vector<std::vector<uint32_t>> pixels;
  std::vector<uint32_t> backgrounds;
  // Each row's first inked column: the label's start, or a mark's place
  // left of it.
  std::vector<int> firstInk;
  for (const Rect& row : rows)
  {
    pixels.push_back(Grab(row));
    const std::vector<uint32_t>& p = pixels.back();
    const uint32_t background = p.empty() ? 0 : p[static_cast<size_t>(row.h / 2 * row.w + row.w - 4)];
    int first = row.w;
    for (int y = 0; y < row.h && !p.empty(); ++y)
      for (int x = 2; x < first; ++x)
        if (p[static_cast<size_t>(y * row.w + x)] != background) first = x;
    backgrounds.push_back(background);
    firstInk.push_back(first);
  }
  if (!rows.empty())
  {
    Key("Escape");
    WaitUntil([&] { return OtherWindows().empty(); }, kBusyLimit);
  }
  // The labels share one column: where a row without a mark's place starts.
  const int labels = firstInk.empty() ? 0 : *std::max_element(firstInk.begin(), firstInk.end());
  std::vector<int> marked;
  for (size_t i = 0; i < rows.size(); ++i)
  {
    if (firstInk[i] + 4 >= labels) continue;
    // The mark's place: a ring, with a dot inside when marked (a check box
    // with its tick likewise inked at its middle).
    const Rect& row = rows[i];
    const auto inked = [&](int x, int y) { return pixels[i][static_cast<size_t>(y * row.w + x)] != backgrounds[i]; };
    int left = row.w, right = -1, topY = row.h, bottomY = -1;
    for (int y = 0; y < row.h; ++y)
      for (int x = firstInk[i]; x < labels - 2; ++x)
        if (inked(x, y))
        {
          left = std::min(left, x);
          right = std::max(right, x);
          topY = std::min(topY, y);
          bottomY = std::max(bottomY, y);
        }
    if (right >= 0 && inked((left + right) / 2, (topY + bottomY) / 2)) marked.push_back(static_cast<int>(i));
  }
  return marked;
}

RunningEditor::Rect RunningEditor::OpenMenuRect() const
{
  const std::vector<unsigned long> others = OtherWindows();
  return others.empty() ? Rect{} : WindowRect(others.back());
}

bool RunningEditor::PreferencesOk()
{
  constexpr int kFileMenu = 0, kPreferences = 9;
  if (!ChooseMenu(kFileMenu, kPreferences)) return false;
  std::vector<unsigned long> windows;
  if (!WaitUntil([&] { return !(windows = OtherWindows()).empty(); })) return false;
  // OK at (192, 133) of the dialog's 320 units, 50 x 20, once drawn (a
  // face of one colour is not yet).
  const Rect dialog = WindowRect(windows.back());
  const double widen = dialog.w / 320.0;
  const Rect ok{dialog.x + static_cast<int>(192 * widen), dialog.y + 133, static_cast<int>(50 * widen), 20};
  const auto drawn = [&] {
    const std::vector<uint32_t> pixels = Grab(ok);
    return std::adjacent_find(pixels.begin(), pixels.end(), std::not_equal_to<uint32_t>()) != pixels.end();
  };
  if (!WaitUntil(drawn)) return false;
  Click(ok.CenterX(), ok.CenterY());
  return WaitUntil([&] { return OtherWindows().empty(); });
}

bool RunningEditor::ChooseMenu(int top, int item)
{
  std::vector<Rect> rows = OpenMenu(top);
  // Clicked once the pointer rests on the row, in a menu of the size and
  // place its rows were read in: on two busy cores a menu read before it
  // grew, or before it moved, lacked its last rows or had the click land on
  // the row below. The pointer waits for the row to light up; a greyed row
  // never does, and is clicked after a few seconds all the same.
  const auto same = [](const Rect& a, const Rect& b) { return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h; };
  constexpr double kGreyedRowSeconds = 3;
  for (int attempt = 0; attempt < 10 && item >= 0; ++attempt)
  {
    const Rect place = OpenMenuRect();
    if (item < static_cast<int>(rows.size()))
    {
      const Rect& row = rows[static_cast<size_t>(item)];
      const std::vector<uint32_t> unlit = Grab(row);
      MoveTo(row.CenterX(), row.CenterY());
      (void)WaitUntil([&] { return Grab(row) != unlit; }, kGreyedRowSeconds);
      if (same(OpenMenuRect(), place))
      {
        Click(row.CenterX(), row.CenterY());
        return true;
      }
    }
    WaitUntil([&] { return static_cast<int>((rows = OpenMenuItems()).size()) > item; }, kBusyLimit);
  }
  Key("Escape");
  return false;
}

// ---- message boxes ----

std::vector<RunningEditor::Alert> RunningEditor::Alerts() const
{
  std::vector<Alert> alerts;
  const pid_t editor = mPid > 0 ? mPid : -mPid;
  DIR* proc = opendir("/proc");
  if (!proc) return alerts;
  while (dirent* entry = readdir(proc))
  {
    const pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
    if (pid <= 0 || ParentOf(pid) != editor) continue;
    std::vector<std::string> args = Arguments(pid);
    if (args.size() < 4 || args[0].find("zephra-alert") == std::string::npos) continue;
    Alert alert;
    alert.pid = pid;
    alert.title = args[1];
    alert.text = args[2];
    alert.buttons.assign(args.begin() + 3, args.end());
    alerts.push_back(alert);
  }
  closedir(proc);
  return alerts;
}

bool RunningEditor::WaitForAlert(Alert& alert, double seconds)
{
  return WaitUntil(
    [&] {
      const std::vector<Alert> shown = Alerts();
      if (shown.empty()) return false;
      alert = shown.front();
      // The box takes the keyboard once it is on screen.
      return !XdotoolOutput("search --onlyvisible --pid " + std::to_string(alert.pid)).empty();
    },
    seconds);
}

unsigned long RunningEditor::AlertWindow(const Alert& alert) const
{
  const std::string window = XdotoolOutput("search --onlyvisible --pid " + std::to_string(alert.pid));
  return std::strtoul(window.c_str(), nullptr, 10);
}

unsigned long RunningEditor::TransientFor(unsigned long window) const
{
  Window owner = 0;
  if (!mX->display || !window || !XGetTransientForHint(mX->display, window, &owner)) return 0;
  return owner;
}

bool RunningEditor::Answer(const Alert& alert, int button)
{
  const std::string window = XdotoolOutput("search --onlyvisible --pid " + std::to_string(alert.pid));
  const unsigned long id = std::strtoul(window.c_str(), nullptr, 10);
  if (!id) return false;
  Xdotool("windowfocus --sync " + std::to_string(id));
  // The first button has the focus; Tab walks the buttons in order.
  std::string keys;
  if (button < 0)
    keys = "Escape";
  else
  {
    for (int i = 0; i < button; ++i) keys += "Tab ";
    keys += "Return";
  }
  Xdotool("key --clearmodifiers " + keys);
  return WaitUntil([&] { return kill(alert.pid, 0) != 0 || ParentOf(alert.pid) != (mPid > 0 ? mPid : -mPid); }, kBusyLimit);
}
