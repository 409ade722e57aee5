// Looking the window layer's functions up by name.
#include "winl/WINL_ApiTable.h"
#include "winl/WINL_Cursor.h"
#include "winl/WINL_Kernel.h"
#include "winl/WINL_Menu.h"
#include "winl/WINL_Window.h"
#include "winl/draw/WINL_Runtime.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace
{
TEST(WinlApiTable, NamesAtTheEndsAndBetween)
{
  struct Case { const char* name; void* fn; } kCases[] = {
      {"AddMenuItem", reinterpret_cast<void*>(&AddMenuItem)},          // first
      {"lstrcpyn", reinterpret_cast<void*>(&lstrcpyn)},                // last
      {"TrackPopupMenu", reinterpret_cast<void*>(&TrackPopupMenu)},
      {"WaitForSingleObject", reinterpret_cast<void*>(&WaitForSingleObject)},
      {"AddMenuIte", nullptr},
      {"AddMenuItemX", nullptr},
      {"lstrcpynz", nullptr},
      {"", nullptr},
      {"A", nullptr},
      {"trackpopupmenu", nullptr},
      {"WINLAPI_GetFunc", nullptr},
  };
  for (const Case& c : kCases) EXPECT_EQ(WINLAPI_GetFunc(c.name), c.fn) << c.name;
  EXPECT_EQ(WINLAPI_GetFunc(nullptr), reinterpret_cast<void*>(0x100));
}

TEST(WinlApiTable, CursorAndWindowFunctionsAnswer)
{
  struct Case { const char* name; void* fn; } kCases[] = {
      {"GetCursorPos", reinterpret_cast<void*>(&GetCursorPos)},
      {"GetMessagePos", reinterpret_cast<void*>(&GetMessagePos)},
      {"GetWindowContentViewRect", reinterpret_cast<void*>(&GetWindowContentViewRect)},
      {"ScrollWindow", reinterpret_cast<void*>(&ScrollWindow)},
      {"WINL_GetCursor", reinterpret_cast<void*>(&WINL_GetCursor)},
      {"WINL_SetCursor", reinterpret_cast<void*>(&WINL_SetCursor)},
      {"WINL_GetLastSetCursor", reinterpret_cast<void*>(&WINL_GetLastSetCursor)},
      {"WINL_IsCursorVisible", reinterpret_cast<void*>(&WINL_IsCursorVisible)},
      {"WINL_LoadCursor", reinterpret_cast<void*>(&WINL_LoadCursor)},
      {"WINL_LoadCursorFromFile", reinterpret_cast<void*>(&WINL_LoadCursorFromFile)},
      {"WINL_ModalWindowStart", reinterpret_cast<void*>(&WINL_ModalWindowStart)},
      {"WINL_ModalWindowRun", reinterpret_cast<void*>(&WINL_ModalWindowRun)},
      {"WINL_ModalWindowEnd", reinterpret_cast<void*>(&WINL_ModalWindowEnd)},
      {"WINL_SetCursorPos", reinterpret_cast<void*>(&WINL_SetCursorPos)},
      {"WINL_SetWindowRepre", reinterpret_cast<void*>(&WINL_SetWindowRepre)},
      {"WINL_ShowCursor", reinterpret_cast<void*>(&WINL_ShowCursor)},
  };
  for (const Case& c : kCases) EXPECT_EQ(WINLAPI_GetFunc(c.name), c.fn) << c.name;
}

// ---- the table against the declarations ----

std::string ReadFile(const std::string& path)
{
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// The function a statement declares: after any of inline, static, extern
// and constexpr, a type (words, '::', '<>', ',', '*', '&') and then a name
// directly followed by '('; "" for anything else.
std::string DeclaredName(const std::string& statement)
{
  std::istringstream words(statement);
  std::string first;
  words >> first;
  for (const char* kw : {"using", "typedef", "struct", "class", "enum", "union", "template", "return"})
    if (first == kw) return "";
  const size_t paren = statement.find('(');
  if (paren == std::string::npos) return "";
  size_t end = paren;
  while (end > 0 && statement[end - 1] == ' ') --end;
  size_t begin = end;
  while (begin > 0 && IsWordChar(statement[begin - 1])) --begin;
  if (begin == end || std::isdigit(static_cast<unsigned char>(statement[begin]))) return "";
  const std::string type = statement.substr(0, begin);
  if (type.find_first_not_of(" \t") == std::string::npos) return "";  // a call or a macro, no type
  if (type.back() != ' ' && type.back() != '*' && type.back() != '&') return "";
  for (char c : type)
    if (!IsWordChar(c) && std::string(" \t:<>,*&").find(c) == std::string::npos) return "";
  return statement.substr(begin, end - begin);
}

// The names of the functions a header declares outside any brace: comments,
// preprocessor lines and bodies are dropped, the rest is cut at each ';' and
// '{', and each statement is read by DeclaredName.
std::set<std::string> DeclaredFunctions(const std::string& header)
{
  std::string flat;
  int depth = 0;
  bool lineStart = true;
  for (size_t i = 0; i < header.size(); ++i)
  {
    const char c = header[i];
    if (header.compare(i, 2, "//") == 0 || (lineStart && c == '#' && depth == 0))
    {
      while (i < header.size() && header[i] != '\n') ++i;
      flat += ' ';
      lineStart = true;
      continue;
    }
    if (header.compare(i, 2, "/*") == 0)
    {
      i = header.find("*/", i + 2);
      if (i == std::string::npos) break;
      ++i;
      continue;
    }
    if (c == '{' && depth++ == 0) flat += ';';
    if (c == '}') depth = depth > 0 ? depth - 1 : 0;
    if (depth == 0 && c != '}') flat += c == '\n' ? ' ' : c;
    if (c == '\n') lineStart = true;
    else if (c != ' ') lineStart = false;
  }
  std::set<std::string> names;
  std::stringstream statements(flat);
  std::string statement;
  while (std::getline(statements, statement, ';'))
    if (std::string name = DeclaredName(statement); !name.empty()) names.insert(name);
  return names;
}

TEST(WinlApiTable, EveryNameWhoseFunctionIsDeclaredAnswersIt)
{
  const std::string root = std::string(ZEPHRA_SOURCE_ROOT) + "/winl/";
  // Every public header of the layer, found as the build finds them.
  std::vector<std::string> headers;
  for (const char* folder : {"", "draw", "ini"})
    for (const auto& entry : std::filesystem::directory_iterator(root + folder))
    {
      const std::string path = entry.path().string();
      if (entry.path().extension() == ".h" && path.find("Private.h") == std::string::npos &&
          path.find("ApiTable") == std::string::npos)
        headers.push_back(path);
    }
  ASSERT_GE(headers.size(), 20u);
  std::set<std::string> declared;
  for (const std::string& h : headers)
    for (const std::string& name : DeclaredFunctions(ReadFile(h))) declared.insert(name);

  std::istringstream names(ReadFile(root + "WINL_ApiNames.txt"));
  std::string name;
  int listed = 0;
  int answering = 0;
  while (std::getline(names, name))
  {
    if (name.empty()) continue;
    ++listed;
    const bool has = declared.count(name) > 0;
    EXPECT_EQ(WINLAPI_GetFunc(name.c_str()) != nullptr, has)
        << name << (has ? " is declared but answers null" : " answers without a declaration");
    answering += has ? 1 : 0;
  }
  EXPECT_EQ(listed, 341);
  // A scan that lost its way would find next to nothing.
  EXPECT_GE(answering, 326);
}
}  // namespace
