#include "winl/ini/WINL_IniParse.h"

#include <cstdlib>
#include <cstring>
#include <new>

WINL_IniSection* WINL_IniNewSection()
{
  return new (std::nothrow) WINL_IniSection(false, WINL_IniSection::freestr);
}

void WINL_IniDisposeSection(WINL_IniSection* section)
{
  delete section;
}

WINL_IniParser::WINL_IniParser(WINL_IniSections& sections) : mSections(sections) {}

WINL_IniParser::~WINL_IniParser()
{
  // The sections are appended unsorted until Finish.
  if (!mFinished) (void)Finish();
}

void WINL_IniParser::Fail(WINL_IniParseResult why)
{
  if (mResult == WINL_IniParseResult::kComplete) mResult = why;
}

bool WINL_IniParser::Carry(const char* data, size_t n)
{
  const int old = mLine.GetSize();
  // One spare byte for the terminator HandleLine needs.
  const int want = old + static_cast<int>(n) + 1;
  mLine.Resize(want, false);
  if (mLine.GetSize() != want)
  {
    Fail(WINL_IniParseResult::kFailed);
    return false;
  }
  memcpy(static_cast<char*>(mLine.Get()) + old, data, n);
  mLine.Resize(want - 1, false);
  return true;
}

bool WINL_IniParser::Feed(const char* data, size_t n)
{
  while (n > 0 && mResult == WINL_IniParseResult::kComplete)
  {
    // Bytes up to the next line end, but never more than a whole line may hold.
    const size_t room = static_cast<size_t>(kMaxLine - mLine.GetSize());
    const size_t scan = n < room ? n : room;
    size_t len = 0;
    while (len < scan && data[len] != '\n' && data[len] != '\r') ++len;
    const bool ended = len < scan;
    const size_t take = ended ? len + 1 : len;  // the line end counts as read
    if (!Carry(data, take)) break;
    data += take;
    n -= take;
    if (!ended && mLine.GetSize() < kMaxLine) break;  // the line goes on in the next piece
    const int raw = mLine.GetSize();
    mLine.Resize(raw + 1, false);
    if (mLine.GetSize() != raw + 1)
    {
      Fail(WINL_IniParseResult::kFailed);
      break;
    }
    char* text = static_cast<char*>(mLine.Get());
    text[raw] = 0;
    HandleLine(text, raw);
    mLine.Resize(0, false);
  }
  return mResult == WINL_IniParseResult::kComplete;
}

void WINL_IniParser::HandleLine(char* text, int length)
{
  // Some editors start a UTF-8 file with a byte-order mark; it is no part of
  // the first line, which may be the first header.
  if (mFirstLine)
  {
    mFirstLine = false;
    if (length >= 3 && memcmp(text, "\xEF\xBB\xBF", 3) == 0)
    {
      text += 3;
      length -= 3;
    }
  }
  // A file that shows no header early is not a settings file; reading all of
  // a large binary one would only waste time and memory. The line that goes
  // past the limit still counts when it opens the first section, so a file
  // this store wrote (sections sorted, any name length) always reads back.
  if (mSections.GetSize() == 0)
  {
    mPreamble += length;
    if (mPreamble > kMaxPreamble)
    {
      ParseLine(text, length);
      if (mSections.GetSize() == 0) Fail(WINL_IniParseResult::kCutShort);
      return;
    }
  }
  ParseLine(text, length);
}

void WINL_IniParser::ParseLine(char* text, int length)
{

  // Text behind a NUL byte cannot be kept in a C string; drop it here so that
  // trimming sees the same text that will be stored.
  length = static_cast<int>(strnlen(text, static_cast<size_t>(length)));
  while (length > 0 && (text[length - 1] == '\t' || text[length - 1] == '\n' ||
                        text[length - 1] == '\r' || text[length - 1] == ' '))
    --length;
  text[length] = 0;
  while (*text == '\t' || *text == ' ') ++text;

  if (*text == '[')
  {
    char* close = strchr(text + 1, ']');
    if (!close) return;
    *close = 0;
    const char* name = text + 1;
    CloseSection();
    if (!*name) return;  // an empty header: what follows belongs to no section
    // Appended, not inserted in order: a file of many sections out of order
    // would otherwise move the whole list at every header. Finish sorts
    // them once; there a repeated header's section replaces the earlier one,
    // as if the header had emptied it.
    WINL_IniSection* section = WINL_IniNewSection();
    if (!section || !mSections.AddUnsorted(name, section))
    {
      WINL_IniDisposeSection(section);
      Fail(WINL_IniParseResult::kFailed);
      return;
    }
    mCurrent = section;
    return;
  }

  if (!mCurrent) return;
  char* eq = strchr(text, '=');
  if (!eq || eq == text) return;
  *eq = 0;
  char* value = strdup(eq + 1);
  if (!value || !mCurrent->AddUnsorted(text, value))
  {
    free(value);
    Fail(WINL_IniParseResult::kFailed);
  }
}

void WINL_IniParser::CloseSection()
{
  if (mCurrent) mCurrent->Resort();
  mCurrent = nullptr;
}

WINL_IniParseResult WINL_IniParser::Finish()
{
  if (mResult == WINL_IniParseResult::kComplete && mLine.GetSize() > 0)
  {
    const int raw = mLine.GetSize();
    mLine.Resize(raw + 1, false);
    if (mLine.GetSize() == raw + 1)
    {
      char* text = static_cast<char*>(mLine.Get());
      text[raw] = 0;
      HandleLine(text, raw);
    }
    else
    {
      Fail(WINL_IniParseResult::kFailed);
    }
  }
  mLine.Resize(0, true);
  // Close even after a failure, so that the sections stay sorted and usable.
  CloseSection();
  // A repeated header's section keeps the name as the file first spelt it.
  mSections.Resort(true);
  mFinished = true;
  return mResult;
}

WINL_IniParseResult WINL_IniParseText(const char* data, size_t n, WINL_IniSections& sections)
{
  WINL_IniParser parser(sections);
  parser.Feed(data, n);
  return parser.Finish();
}

namespace
{
// Appending nothing is success here, whatever the string class says of it.
bool Add(BASE_String& out, const char* text)
{
  return !text || !*text || out.Append(text);
}
}  // namespace

bool WINL_IniFormat(const WINL_IniSections& sections, BASE_String& out)
{
  out.Set(nullptr);
  bool ok = true;
  for (int i = 0; i < sections.GetSize() && ok; ++i)
  {
    const char* name = nullptr;
    const WINL_IniSection* section = sections.Enumerate(i, &name);
    ok = Add(out, "[") && Add(out, name) && Add(out, "]\n");
    for (int k = 0; section && k < section->GetSize() && ok; ++k)
    {
      const char* key = nullptr;
      const char* value = section->Enumerate(k, &key);
      if (!key || !*key) continue;
      ok = Add(out, key) && Add(out, "=") && Add(out, value) && Add(out, "\n");
    }
    ok = ok && Add(out, "\n");
  }
  return ok;
}
