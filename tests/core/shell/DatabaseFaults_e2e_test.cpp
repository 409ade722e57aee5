// The editor with a database server that never answers: while the login
// waits on it, the window keeps drawing and answering the pointer, and a
// whole bank downloaded from the synth is received and saved; the end of
// the session does not wait for the server either.
#include "support/RunningEditor.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

namespace
{
using Clock = std::chrono::steady_clock;

// A server that takes connections (the system queues them) and never says
// a word, not even the start of an encrypted session.
class StalledServer
{
public:
  StalledServer()
  {
    mSocket = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (mSocket < 0 || bind(mSocket, reinterpret_cast<sockaddr*>(&address), size) != 0 || listen(mSocket, 8) != 0 ||
        getsockname(mSocket, reinterpret_cast<sockaddr*>(&address), &size) != 0)
      return;
    mPort = ntohs(address.sin_port);
  }
  ~StalledServer()
  {
    if (mSocket >= 0) close(mSocket);
  }
  int Port() const { return mPort; }
  // True once a client waits in the queue.
  bool Asked() const
  {
    pollfd p{mSocket, POLLIN, 0};
    return poll(&p, 1, 0) == 1;
  }

private:
  int mSocket = -1;
  int mPort = 0;
};

size_t ProgramFiles(const std::string& folder)
{
  size_t n = 0;
  std::error_code error;
  for (const auto& e : std::filesystem::directory_iterator(folder, error))
    if (e.path().extension() == ".pr3") ++n;
  return n;
}

// GUI points of the program manager's controls.
constexpr int kDiskButton[2] = {50, 46};
constexpr int kDatabaseButton[2] = {225, 46};
constexpr int kPanelBorder[2] = {298, 40};
constexpr int kLogInButton[2] = {140, 80};
constexpr int kFromSynthButton[2] = {436, 75};
// Two category boxes, clicked in turn so that no two clicks make a
// double-click; each click turns the clicked one on, the other off.
constexpr int kCategoryBoxes[2][2] = {{831, 36}, {831, 49}};

TEST(DatabaseFaults, TheWindowDrawsAndADumpIsSavedWhileTheServerStalls)
{
  StalledServer server;
  ASSERT_GT(server.Port(), 0);
  RunningEditorSetup setup;
  setup.settings = "[gui]\nmanager=true\n\n[dbase]\nserver=127.0.0.1:" + std::to_string(server.Port()) + "\n";
  RunningEditor editor(setup);
  std::string error;
  if (!editor.Start(error))
  {
    if (error.rfind("no JACK server", 0) == 0) GTEST_SKIP() << error;
    FAIL() << error;
  }
  // The program sent at the start has gone out before the bank is asked for.
  ASSERT_TRUE(editor.HeardAProgram());

  // Clicks a button and waits for the panel it opens to change a pixel.
  const auto open = [&editor](const int* button, const int* probe) {
    const auto [x, y] = editor.GuiPoint(probe[0], probe[1]);
    const uint32_t before = editor.Pixel(x, y);
    editor.ClickGui(button[0], button[1]);
    return RunningEditor::WaitUntil([&] { return editor.Pixel(x, y) != before; }, RunningEditor::kBusyLimit);
  };
  ASSERT_TRUE(open(kDiskButton, kPanelBorder)) << "the folder panel did not show";
  ASSERT_TRUE(open(kDatabaseButton, kLogInButton)) << "the login panel did not show";
  editor.ClickGui(kLogInButton[0], kLogInButton[1]);
  ASSERT_TRUE(RunningEditor::WaitUntil([&] { return server.Asked(); }, RunningEditor::kBusyLimit));
  const Clock::time_point asked = Clock::now();

  // Ten clicks, each drawn within 100 ms: the window draws at least ten
  // frames a second while the login waits.
  for (int click = 0; click < 10; ++click)
  {
    const auto [boxX, boxY] = editor.GuiPoint(kCategoryBoxes[click % 2][0], kCategoryBoxes[click % 2][1]);
    const RunningEditor::Rect box{boxX - 5, boxY - 5, 11, 11};
    const std::vector<uint32_t> before = editor.Grab(box);
    editor.Click(boxX, boxY);
    const Clock::time_point clicked = Clock::now();
    ASSERT_TRUE(RunningEditor::WaitUntil([&] { return editor.Grab(box) != before; }, RunningEditor::kBusyLimit)) << click;
    EXPECT_LT(Clock::now() - clicked, std::chrono::milliseconds(100)) << click;
  }

  // The whole bank from the synth: 99 dumps received and saved as files.
  editor.ClickGui(kFromSynthButton[0], kFromSynthButton[1]);
  const std::string cache = editor.SettingsFolder() + "cache/";
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return ProgramFiles(cache) == 99; }, RunningEditor::kBusyLimit)) << ProgramFiles(cache);
  // All of it while the login still waited on the server (30 s at most).
  EXPECT_LT(Clock::now() - asked, std::chrono::seconds(25));
  EXPECT_TRUE(server.Asked());
  // The save-all ends by saying so; the box is answered like a user would.
  RunningEditor::Alert done;
  ASSERT_TRUE(editor.WaitForAlert(done, RunningEditor::kBusyLimit));
  EXPECT_EQ(done.text, "Finished successfully!");
  EXPECT_TRUE(editor.SavePicture("e2e-database-stalled", editor.GuiRect()));
  EXPECT_TRUE(editor.Answer(done, 0));
  EXPECT_TRUE(RunningEditor::WaitUntil([&] { return editor.Alerts().empty(); }, RunningEditor::kBusyLimit));

  // The end does not wait for the server either.
  const Clock::time_point stopping = Clock::now();
  EXPECT_EQ(editor.Stop(SIGTERM), 0);
  EXPECT_LT(Clock::now() - stopping, std::chrono::seconds(5));
}
}  // namespace
