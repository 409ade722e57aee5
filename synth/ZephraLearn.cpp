#include "synth/ZephraLearn.h"

#include "synth/ZephraTables.h"

#include "core/BASE_FileWhole.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>

namespace {

bool IsBlank(char c)
{
  return c == ' ' || c == '\t';
}

// Reads a decimal number (blanks, then an optional "-", then digits) from
// text at at; false when there are no digits or more than nine of them.
// What follows the digits is not looked at.
bool ReadNumber(const std::string& text, size_t at, int* number)
{
  while (at < text.size() && IsBlank(text[at])) ++at;
  const bool negative = at < text.size() && text[at] == '-';
  if (negative) ++at;
  const size_t first = at;
  long value = 0;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9' && at - first < 9)
    value = value * 10 + (text[at++] - '0');
  if (at == first || (at < text.size() && text[at] >= '0' && text[at] <= '9')) return false;
  *number = static_cast<int>(negative ? -value : value);
  return true;
}

// One line's binding: the item is the number at the line's start, the
// controller the number after the first "=", the bound the number after
// the last ":", which comes after the "=". Whatever else the line holds (a
// comment, a field more) is passed over.
bool ReadLine(const std::string& line, int* item, int* controller, int* bound)
{
  const size_t equals = line.find('=');
  const size_t colon = line.rfind(':');
  return equals != std::string::npos && colon != std::string::npos && colon > equals &&
         ReadNumber(line, 0, item) && ReadNumber(line, equals + 1, controller) &&
         ReadNumber(line, colon + 1, bound);
}

}  // namespace

void ZephraLearn::Clear()
{
  mController.fill(-1);
  mBound.fill(0);
  mNothingLearnt = true;
  mArmed = false;
  mLastController = -1;
  mChosenItem = -1;
}

// ---- the learn gesture ----

void ZephraLearn::SetArmed(bool armed)
{
  mArmed = armed;
  if (armed)
  {
    mLastController = -1;
    mChosenItem = -1;
  }
}

bool ZephraLearn::ChooseItem(int item, int value)
{
  if (!mArmed || item < 0 || item >= kItemCount) return false;
  mChosenItem = item;
  mBound[item] = value;
  if (mLastController < 0) return false;
  (void)Bind(item, mLastController, value);
  mArmed = false;
  return true;
}

bool ZephraLearn::ReceiveController(int controller)
{
  if (!mArmed || controller < 0 || controller >= kControllerCount) return false;
  mLastController = controller;
  if (mChosenItem < 0) return false;
  (void)Bind(mChosenItem, controller, mBound[mChosenItem]);
  mArmed = false;
  return true;
}

// ---- the table ----

int ZephraLearn::Controller(int item) const
{
  return item >= 0 && item < kItemCount ? mController[item] : -1;
}

int ZephraLearn::Bound(int item) const
{
  return item >= 0 && item < kItemCount ? mBound[item] : 0;
}

bool ZephraLearn::Bind(int item, int controller, int bound)
{
  if (item < 0 || item >= kItemCount || controller < 0 || controller >= kControllerCount) return false;
  mController[item] = static_cast<int16_t>(controller);
  mBound[item] = std::clamp<int32_t>(bound, kProgramMin[item], kProgramMax[item]);
  mNothingLearnt = false;
  return true;
}

void ZephraLearn::Unbind(int item)
{
  if (item >= 0 && item < kItemCount) mController[item] = -1;
}

int ZephraLearn::LearntValue(int item, int value) const
{
  if (item < 0 || item >= kItemCount) return 0;
  const int min = kProgramMin[item];
  return static_cast<int>(std::floor(min + (mBound[item] - min) * value / 127.0));
}

// ---- "midilearn.ini" ----

std::string ZephraLearn::FormatText() const
{
  std::string text;
  // Lines that bound nothing come after the bindings, as they were read.
  for (int item = 0; item < kItemCount; ++item)
  {
    if (mController[item] < 0) continue;
    char line[48];
    std::snprintf(line, sizeof line, "%d=%d:%d\n", item, mController[item], mBound[item]);
    text += line;
  }
  return text + mKeptLines;
}

int ZephraLearn::ParseText(const std::string& text)
{
  mKeptLines.clear();
  int bound = 0;
  // A byte-order mark that some editors put first is no part of the line.
  size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  while (start < text.size())
  {
    // Lines end at LF, CR or both, as editors of any system leave them.
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    if (std::all_of(line.begin(), line.end(), IsBlank)) continue;
    int item = 0, controller = 0, value = 0;
    if (ReadLine(line, &item, &controller, &value) && Bind(item, controller, value))
      ++bound;
    else
      mKeptLines += line + '\n';
  }
  return bound;
}

ZephraLearn::FileResult ZephraLearn::LoadFile(const std::string& path)
{
  // Non-blocking, so that a FIFO under the name does not hold the start
  // waiting for a writer; only a regular file is read.
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0)
  {
    mLeaveFileAlone = errno != ENOENT;
    return mLeaveFileAlone ? FileResult::kReadFailed : FileResult::kMissing;
  }
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
  {
    close(fd);
    mLeaveFileAlone = true;
    return FileResult::kReadFailed;
  }
  std::string text;
  char buffer[4096];
  FileResult result = FileResult::kLoaded;
  for (;;)
  {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) result = FileResult::kReadFailed;
    if (n <= 0) break;
    text.append(buffer, static_cast<size_t>(n));
    if (text.size() > kMaxFileBytes)
    {
      result = FileResult::kTooLarge;
      break;
    }
  }
  close(fd);
  if (result == FileResult::kLoaded) (void)ParseText(text);
  // A file that could not be read may hold bindings the table lacks.
  mLeaveFileAlone = result == FileResult::kTooLarge || result == FileResult::kReadFailed;
  return result;
}

ZephraLearn::FileResult ZephraLearn::SaveFile(const std::string& path) const
{
  if (mLeaveFileAlone) return FileResult::kLeftAlone;
  const bool ok = BASE_ReplaceFile(path, FormatText(), 0644);
  return ok ? FileResult::kSaved : FileResult::kWriteFailed;
}

// ---- held notes ----

bool ZephraLearn::SetNoteHeld(int note, bool held)
{
  if (note < 0 || note >= kNoteCount || (mHeld[note].load(std::memory_order_relaxed) != 0) == held) return false;
  mHeld[note].store(held ? 1 : 0, std::memory_order_relaxed);
  mHeldCount.fetch_add(held ? 1 : -1, std::memory_order_relaxed);
  return true;
}

bool ZephraLearn::IsNoteHeld(int note) const
{
  return note >= 0 && note < kNoteCount && mHeld[note].load(std::memory_order_relaxed) != 0;
}
