// The program manager's folder chooser: the chooser's answer with a "/"
// added, never a path cut to fit.
#include "editor/ZephraManagerWindowLink.h"

#include "winl/WINL_FileDialog.h"

#include <gtest/gtest.h>

TEST(ZephraManagerWindowLink, ChosenFolderGetsItsSlashWithin255Bytes)
{
  struct Case
  {
    const char* name;
    std::vector<std::string> answer;  // none: cancelled
    const char* expected;             // "" or "=": the answer and "/"
  } const kCases[] = {
    {"chosen", {"/home/user/banks"}, "/home/user/banks/"},
    {"cancelled", {}, ""},
    {"253 bytes", {"/" + std::string(252, 'f')}, "="},
    {"254 bytes: 255 with the slash", {"/" + std::string(253, 'f')}, "="},
    {"255 bytes", {"/" + std::string(254, 'f')}, ""},
  };
  ZephraManagerWindowLink link;
  for (const Case& c : kCases)
  {
    WINL_ChooserTestQueue(c.answer);
    const std::string chosen = link.ChooseDirectory("/start/here/");
    EXPECT_EQ(chosen, std::string(c.expected) == "=" ? c.answer[0] + "/" : c.expected) << c.name;
    const auto shown = WINL_ChooserTestTake();
    ASSERT_EQ(shown.size(), 1u) << c.name;
    EXPECT_EQ(shown[0].kind, WINL_ShownChooser::Folder);
    EXPECT_EQ(shown[0].title, "Select Directory");
    EXPECT_EQ(shown[0].folder, "/start/here/");
  }
  WINL_ChooserTestEnd();
}
