#include "winl/WINL_MessageBox.h"

#include "platform/gtk/PLAT_Alert.h"
#include "winl/WINL_Queue.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>

namespace
{
struct Kind
{
  UINT type;
  const char* buttons[3];
  int results[3];
  int count;
  int onEscape;
};

constexpr Kind kKinds[] = {
    {MB_OK, {"OK"}, {IDOK}, 1, IDOK},
    {MB_OKCANCEL, {"OK", "Cancel"}, {IDOK, IDCANCEL}, 2, IDCANCEL},
    {MB_YESNOCANCEL, {"Yes", "Cancel", "No"}, {IDYES, IDCANCEL, IDNO}, 3, IDCANCEL},
    {MB_YESNO, {"Yes", "No"}, {IDYES, IDNO}, 2, IDNO},
    {MB_RETRYCANCEL, {"Retry", "Cancel"}, {IDRETRY, IDCANCEL}, 2, IDCANCEL},
};

struct Seam
{
  std::mutex mutex;
  bool on = false;
  std::deque<int> answers;
  std::vector<WINL_ShownMessageBox> shown;
};

Seam& TheSeam()
{
  static Seam* seam = new Seam;
  return *seam;
}

// The seam's answer, or false when real alerts are wanted.
bool SeamAnswer(const std::string& caption, const std::string& text, const char* const* buttons, int count,
                int* index)
{
  Seam& s = TheSeam();
  std::lock_guard<std::mutex> lock(s.mutex);
  if (!s.on) return false;
  s.shown.push_back({caption, text, std::vector<std::string>(buttons, buttons + count)});
  if (s.answers.empty())
  {
    std::fprintf(stderr, "ZephraEditor: message box \"%s\" shown with no answer queued\n", text.c_str());
    std::abort();
  }
  *index = s.answers.front();
  s.answers.pop_front();
  return true;
}
}  // namespace

namespace
{
std::atomic<bool> gBoxesCancelled{false};
}  // namespace

void WINL_CancelMessageBoxes(bool cancel)
{
  gBoxesCancelled = cancel;
  PLAT_AlertCancelAll(cancel);
}

int MessageBox(HWND, const char* text, const char* caption, UINT type)
{
  const Kind* kind = nullptr;
  for (const Kind& k : kKinds)
    if (k.type == type) kind = &k;
  if (!kind) return 0;
  const int index = WINL_AlertWithButtons(caption, text, kind->buttons, kind->count);
  if (index == -1) return kind->onEscape;
  if (index < 0 || index >= kind->count) return 0;  // never taken for OK or Yes
  return kind->results[index];
}

int WINL_AlertWithButtons(const char* caption, const char* text, const char* const* buttons, int count)
{
  // Once the application ends, no new box shows: each answers as dismissed.
  if (gBoxesCancelled) return -1;
  const std::string t = WINL_CStringToCFString(text);
  const std::string c = WINL_CStringToCFString(caption);
  int index;
  if (!SeamAnswer(c, t, buttons, count, &index)) index = PLAT_AlertShow(c.c_str(), t.c_str(), buttons, count);
  if (index == PLAT_ALERT_CANCELLED) return -1;
  if (index < 0 || index >= count)
  {
    // The caller must not go on as if the user had chosen.
    std::fprintf(stderr, "ZephraEditor: message box \"%s\" could not be shown\n", t.c_str());
    return -2;
  }
  return index;
}

void WINL_MessageBoxTestQueue(int buttonIndex)
{
  Seam& s = TheSeam();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.on = true;
  s.answers.push_back(buttonIndex);
}

std::vector<WINL_ShownMessageBox> WINL_MessageBoxTestTake()
{
  Seam& s = TheSeam();
  std::lock_guard<std::mutex> lock(s.mutex);
  std::vector<WINL_ShownMessageBox> out;
  out.swap(s.shown);
  return out;
}

void WINL_MessageBoxTestEnd()
{
  Seam& s = TheSeam();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.on = false;
  s.answers.clear();
  s.shown.clear();
}
