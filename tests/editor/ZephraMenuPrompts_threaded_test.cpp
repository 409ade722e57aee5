// While a menu command waits for the user in a folder prompt, the synth's
// dumps go on arriving and being saved: the prompt runs without the
// plug-in mutex.
#include "ZephraTestEditor.h"

#include "support/TempDir.h"
#include "synth/ZephraManagerLink.h"
#include "tests/synth/support/ZephraTestPrograms.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

namespace {

using namespace std::chrono_literals;

// A folder prompt that stays open until the test cancels it.
struct BlockingFolders : ZephraManagerLink
{
  std::string ChooseDirectory(const std::string&) override
  {
    shown.set_value();
    dismissed.wait();
    return std::string();
  }
  std::promise<void> shown, dismiss;
  std::shared_future<void> dismissed = dismiss.get_future().share();
};

}  // namespace

TEST(ZephraMenuPrompts, DumpIsSavedWhileAFolderPromptIsOpen)
{
  for (int index : {1, 5, 21, 24})
  {
    SCOPED_TRACE(index);
    TempDir dir, files;
    TestEditor t(dir.Path());
    ZephraEditor& editor = *t.editor;
    WriteWholeFile(files.File("01_A.pr3"), MarkerText(kDefaultValues));
    editor.ScanProgramFolder(files.File("01_A.pr3").c_str());
    auto owned = std::make_unique<BlockingFolders>();
    BlockingFolders& folders = *owned;
    editor.SetManagerLink(std::move(owned));
    editor.StartSaveAllFromSynth(false);
    editor.OnIdle();  // asks for location 1

    std::thread gui([&] { EXPECT_TRUE(editor.OnStandaloneMenuCommand(index)); });
    folders.shown.get_future().wait();
    auto delivered = std::async(std::launch::async, [&] {
      t.Receive(ProgramMessage(0x41, 1, kDefaultWire, "Warm Pad"));
    });
    const bool arrived = delivered.wait_for(10s) == std::future_status::ready;
    folders.dismiss.set_value();
    gui.join();
    delivered.wait();
    EXPECT_TRUE(arrived) << "the dump waited for the prompt";
    EXPECT_EQ(LineNumbers(ReadWholeFile(files.File("01Warm Pad.pr3"))), Pr3Numbers(kDefaultValues));
  }
}
