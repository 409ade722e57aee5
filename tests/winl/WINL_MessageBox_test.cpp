// Message boxes through the test seam: each type's buttons and the answer
// each button gives, texts shown as they are, and failures never taken for
// a confirmation.
#include "winl/WINL_MessageBox.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>

namespace
{
class WinlMessageBox : public ::testing::Test
{
protected:
  void TearDown() override { WINL_MessageBoxTestEnd(); }
};

TEST_F(WinlMessageBox, EachTypeShowsItsButtonsAndAnswersByButton)
{
  struct Case { UINT type; int pressed; int want; const char* buttons; } const kCases[] = {
      {0, 0, 1, "OK"},           {0, -1, 1, "OK"},
      {1, 0, 1, "OK|Cancel"},    {1, 1, 2, "OK|Cancel"},    {1, -1, 2, "OK|Cancel"},
      {3, 0, 6, "Yes|Cancel|No"}, {3, 1, 2, "Yes|Cancel|No"}, {3, 2, 7, "Yes|Cancel|No"}, {3, -1, 2, "Yes|Cancel|No"},
      {4, 0, 6, "Yes|No"},       {4, 1, 7, "Yes|No"},       {4, -1, 7, "Yes|No"},
      {5, 0, 4, "Retry|Cancel"}, {5, 1, 2, "Retry|Cancel"},
      // A box that could not be shown, or an answer past the buttons.
      {4, -2, 0, "Yes|No"},      {0, 1, 0, "OK"},
  };
  for (const Case& c : kCases)
  {
    WINL_MessageBoxTestQueue(c.pressed);
    EXPECT_EQ(MessageBox(nullptr, "text", "ZephraEditor", c.type), c.want) << c.type << " " << c.pressed;
    const auto shown = WINL_MessageBoxTestTake();
    ASSERT_EQ(shown.size(), 1u);
    std::string buttons;
    for (const std::string& b : shown[0].buttons) buttons += (buttons.empty() ? "" : "|") + b;
    EXPECT_EQ(buttons, c.buttons);
  }
}

TEST_F(WinlMessageBox, UnknownTypesShowNothing)
{
  WINL_MessageBoxTestQueue(0);
  for (UINT type : {2u, 6u, 0x30u}) EXPECT_EQ(MessageBox(nullptr, "x", "y", type), 0) << type;
  EXPECT_TRUE(WINL_MessageBoxTestTake().empty());
}

TEST_F(WinlMessageBox, TextsAreShownLiterallyFromAnyThread)
{
  WINL_MessageBoxTestQueue(0);
  int result = -1;
  std::thread worker([&result] { result = MessageBox(nullptr, "100%s <b>bold</b> \xE9", nullptr, 0); });
  worker.join();
  EXPECT_EQ(result, 1);
  const auto shown = WINL_MessageBoxTestTake();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, "100%s <b>bold</b> \xC3\xA9");
  EXPECT_EQ(shown[0].caption, "");
}

TEST_F(WinlMessageBox, RealHelperWithoutADisplayAnswersNothing)
{
  const char* display = std::getenv("DISPLAY");
  const std::string saved = display ? display : "";
  unsetenv("DISPLAY");
  // The helper cannot open a display: neither OK nor Yes may come back.
  for (UINT type : {0u, 4u}) EXPECT_EQ(MessageBox(nullptr, "text", "ZephraEditor", type), 0) << type;
  if (display) setenv("DISPLAY", saved.c_str(), 1);
}
}  // namespace
