#include "winl/ini/WINL_Ini.h"

#include "core/BASE_HeapBuf.h"
#include "winl/ini/WINL_IniStore.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{
// ---- what may be written ----
// The file is line-based text, so a stored text must not be able to start a
// line of its own or change where a key ends; otherwise a typed device name
// could plant or hide other settings.

bool HasLineBreak(const char* text, size_t n)
{
  return memchr(text, '\n', n) || memchr(text, '\r', n);
}

// The reader cuts a line longer than this and reads the rest as a line of
// its own, which could plant a key; such a line is never written.
bool FitsALine(size_t length)
{
  return length <= static_cast<size_t>(WINL_IniParser::kMaxLine);
}

bool SafeSection(const char* section)
{
  return *section && !strpbrk(section, "]\r\n") && FitsALine(strlen(section) + 2);
}

// A key must also read back as itself: leading blanks are trimmed on reading
// and a leading '[' would make the line a header.
bool SafeKey(const char* key, size_t n)
{
  return n > 0 && key[0] != ' ' && key[0] != '\t' && key[0] != '[' && !memchr(key, '=', n) &&
         !HasLineBreak(key, n);
}

bool SafeValue(const char* value)
{
  return !HasLineBreak(value, strlen(value));
}

bool IsBlank(char c)
{
  return c == ' ' || c == '\t';
}

// ---- reading values ----

// The value as callers see it: blanks around it and one pair of matching
// quotes removed.
void Unquote(const char* value, const char** begin, size_t* length)
{
  while (IsBlank(*value)) ++value;
  size_t n = strlen(value);
  while (n > 0 && IsBlank(value[n - 1])) --n;
  if (n >= 2 && value[0] == value[n - 1] && (value[0] == '"' || value[0] == '\''))
  {
    ++value;
    n -= 2;
  }
  *begin = value;
  *length = n;
}

// The text a value is stored as, so that it reads back whole: a value that
// Unquote would not give back as it is (blanks at an end, as a port name
// may have, or a pair of enclosing quotes of its own) goes between double
// quotes. Any other value is stored as it is, as files written before
// always had it.
std::string StoredValue(const char* value)
{
  const char* begin = nullptr;
  size_t n = 0;
  Unquote(value, &begin, &n);
  const std::string text(value);
  return begin == value && n == text.size() ? text : "\"" + text + "\"";
}

// The stored value of key in section, or null. Needs the mutex.
const char* FindValue(const char* section, const char* key, const char* path)
{
  WINL_IniFile* file = GetINIFileData(path);
  if (!file) return nullptr;
  WINL_IniSection* s = file->sections.Get(section, nullptr);
  return s ? s->Get(key, nullptr) : nullptr;
}

// Copies text into out, cut to size - 1 characters, and terminates it. The
// default may be the caller's own buffer ("keep what you have"), so the copy
// allows overlap.
DWORD CopyText(const char* text, size_t n, char* out, DWORD size)
{
  if (n > size - 1) n = size - 1;
  memmove(out, text, n);
  out[n] = 0;
  return static_cast<DWORD>(n);
}

// Fills a NUL-separated list into out without building it first: the pieces
// go in order and whatever lies beyond the limit is dropped.
class ListWriter
{
public:
  ListWriter(char* out, size_t limit) : mOut(out), mLimit(limit) {}
  void Put(const char* text, size_t n)
  {
    const size_t room = mPos < mLimit ? mLimit - mPos : 0;
    const size_t take = n < room ? n : room;
    if (take) memcpy(mOut + mPos, text, take);
    mPos += take;
  }
  size_t Written() const { return mPos; }

private:
  char* mOut;
  size_t mLimit;
  size_t mPos = 0;
};

// Lists the non-empty names of a keyed array: with total the list's length,
// n = min(total - 1, size - 2) bytes go out followed by two NULs. An empty
// list is two NULs; size 1 holds only one.
template <class VAL>
DWORD ListNames(const BASE_StringKeyedArray<VAL>* names, char* out, DWORD size)
{
  size_t total = 0;
  for (int i = 0; names && i < names->GetSize(); ++i)
  {
    const char* name = nullptr;
    names->Enumerate(i, &name);
    if (name && *name) total += strlen(name) + 1;
  }
  if (total == 0 || size < 2)
  {
    out[0] = 0;
    if (size >= 2) out[1] = 0;
    return 0;
  }
  const size_t n = total - 1 < size - 2 ? total - 1 : size - 2;
  ListWriter list(out, n);
  for (int i = 0; i < names->GetSize() && list.Written() < n; ++i)
  {
    const char* name = nullptr;
    names->Enumerate(i, &name);
    if (name && *name) list.Put(name, strlen(name) + 1);
  }
  out[n] = 0;
  out[n + 1] = 0;
  return static_cast<DWORD>(n);
}

BOOL Save(WINL_IniFile* file)
{
  return WriteBackIniFile(file) ? TRUE : FALSE;
}
}  // namespace

DWORD GetPrivateProfileString(const char* section, const char* key, const char* defaultValue,
                              char* out, DWORD outSize, const char* path)
{
  if (!out || outSize == 0) return 0;
  BASE_MutexLock lock(WINL_IniStoreMutex());

  if (!section || !key)
  {
    WINL_IniFile* file = GetINIFileData(path);
    if (!section) return ListNames(file ? &file->sections : nullptr, out, outSize);
    const WINL_IniSection* s = file ? file->sections.Get(section, nullptr) : nullptr;
    return ListNames(s, out, outSize);
  }

  const char* value = FindValue(section, key, path);
  if (value)
  {
    const char* begin;
    size_t n;
    Unquote(value, &begin, &n);
    return CopyText(begin, n, out, outSize);
  }
  if (!defaultValue) defaultValue = "";
  return CopyText(defaultValue, strlen(defaultValue), out, outSize);
}

BOOL WritePrivateProfileString(const char* section, const char* key, const char* value,
                               const char* path)
{
  if (!section || !path || !*path || !SafeSection(section)) return FALSE;
  if (key && !SafeKey(key, strlen(key))) return FALSE;
  if (value && !SafeValue(value)) return FALSE;
  const std::string stored = value ? StoredValue(value) : std::string();
  if (value && key && !FitsALine(strlen(key) + 1 + stored.size())) return FALSE;

  BASE_MutexLock lock(WINL_IniStoreMutex());
  const WINL_IniWriteLock fileLock(path);
  if (!fileLock.Held()) return FALSE;
  WINL_IniFile* file = GetINIFileData(path);
  if (!file || !file->writable) return FALSE;

  if (!key)
  {
    if (!file->sections.Delete(section)) return TRUE;
    return Save(file);
  }
  WINL_IniSection* s = file->sections.Get(section, nullptr);
  if (!value)
  {
    if (!s || !s->Delete(key)) return TRUE;
    return Save(file);  // an emptied section stays, as a bare header
  }
  if (s)
  {
    const char* old = s->Get(key, nullptr);
    if (old && strcmp(old, stored.c_str()) == 0) return TRUE;
  }
  else
  {
    s = WINL_IniNewSection();
    if (!s || file->sections.Insert(section, s) < 0)
    {
      WINL_IniDisposeSection(s);
      return FALSE;
    }
  }
  char* copy = strdup(stored.c_str());
  if (!copy || s->Insert(key, copy) < 0)
  {
    free(copy);
    WINL_IniForget(file);  // a new empty section may be left that the disk lacks
    return FALSE;
  }
  return Save(file);
}

int GetPrivateProfileInt(const char* section, const char* key, int defaultValue, const char* path)
{
  // Without both names the string call would list names instead of reading.
  if (!section || !key) return defaultValue;
  char text[512];
  GetPrivateProfileString(section, key, "", text, sizeof(text), path);
  if (!text[0]) return defaultValue;
  const long v = strtol(text, nullptr, 10);
  if (v != 0) return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v);
  return text[0] == '0' ? 0 : defaultValue;
}

namespace
{
int HexDigit(char c)
{
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}
}  // namespace

BOOL GetPrivateProfileStruct(const char* section, const char* key, void* out, UINT count,
                             const char* path)
{
  if (!section || !key || (!out && count > 0)) return FALSE;
  BASE_MutexLock lock(WINL_IniStoreMutex());
  const char* value = FindValue(section, key, path);
  if (!value) return FALSE;
  const char* text;
  size_t n;
  Unquote(value, &text, &n);
  if (n != 2 * static_cast<uint64_t>(count) + 2) return FALSE;

  unsigned char* bytes = static_cast<unsigned char*>(out);
  unsigned sum = 0;
  for (size_t i = 0; i <= count; ++i)
  {
    const int hi = HexDigit(text[2 * i]);
    const int lo = HexDigit(text[2 * i + 1]);
    if (hi < 0 || lo < 0) return FALSE;
    const unsigned byte = static_cast<unsigned>(hi * 16 + lo);
    if (i == count) return byte == (sum & 0xFF) ? TRUE : FALSE;
    bytes[i] = static_cast<unsigned char>(byte);
    sum += byte;
  }
  return FALSE;
}

BOOL WritePrivateProfileStruct(const char* section, const char* key, const void* data,
                               UINT count, const char* path)
{
  // Without both, this is a deletion: of the section (no key) or of the key.
  if (!key || !data) return WritePrivateProfileString(section, key, nullptr, path);
  const uint64_t length = 2 * static_cast<uint64_t>(count) + 2;
  if (length + 1 > INT_MAX) return FALSE;
  BASE_HeapBuf buf(4096);
  buf.Resize(static_cast<int>(length + 1));
  if (buf.GetSize() != static_cast<int>(length + 1)) return FALSE;
  static const char kHex[] = "0123456789ABCDEF";
  char* text = static_cast<char*>(buf.Get());
  const unsigned char* bytes = static_cast<const unsigned char*>(data);
  unsigned sum = 0;
  for (UINT i = 0; i < count; ++i)
  {
    text[2 * i] = kHex[bytes[i] >> 4];
    text[2 * i + 1] = kHex[bytes[i] & 15];
    sum += bytes[i];
  }
  text[2 * count] = kHex[(sum >> 4) & 15];
  text[2 * count + 1] = kHex[sum & 15];
  text[length] = 0;
  return WritePrivateProfileString(section, key, text, path);
}

DWORD GetPrivateProfileSection(const char* section, char* out, DWORD outSize, const char* path)
{
  if (!out || outSize == 0) return 0;
  out[0] = 0;
  if (outSize < 2) return 0;
  out[1] = 0;
  if (!section) return 0;

  BASE_MutexLock lock(WINL_IniStoreMutex());
  WINL_IniFile* file = GetINIFileData(path);
  const WINL_IniSection* s = file ? file->sections.Get(section, nullptr) : nullptr;
  if (!s) return 0;

  // One pass measures, the next fills: the whole list fits when it and its
  // closing NUL do; otherwise outSize - 2 bytes go out and two NULs end them.
  size_t total = 0;
  for (int pass = 0; pass < 2; ++pass)
  {
    const size_t limit = total + 1 <= outSize ? total : outSize - 2;
    ListWriter list(out, pass == 0 ? 0 : limit);
    size_t measured = 0;
    for (int i = 0; i < s->GetSize(); ++i)
    {
      const char* key = nullptr;
      const char* value = s->Enumerate(i, &key);
      if (!key || !*key) continue;
      const char* begin;
      size_t n;
      Unquote(value ? value : "", &begin, &n);
      const size_t keyLength = strlen(key);
      list.Put(key, keyLength);
      list.Put("=", 1);
      list.Put(begin, n);
      list.Put("", 1);
      measured += keyLength + n + 2;
    }
    if (pass == 0)
    {
      total = measured;
      continue;
    }
    if (total == 0) return 0;
    out[limit] = 0;
    if (limit < total) out[limit + 1] = 0;
    return static_cast<DWORD>(limit);
  }
  return 0;
}

BOOL WritePrivateProfileSection(const char* section, const char* entries, const char* path)
{
  if (!section || !path || !*path || !SafeSection(section)) return FALSE;
  if (!entries) entries = "";

  // Check every entry before touching anything, so a refused list changes
  // nothing at all.
  for (const char* p = entries; *p; p += strlen(p) + 1)
  {
    const size_t length = strlen(p);
    const char* eq = static_cast<const char*>(memchr(p, '=', length < 8191 ? length : 8191));
    if (!eq || eq == p) continue;
    if (!SafeKey(p, static_cast<size_t>(eq - p)) || !SafeValue(eq + 1) || !FitsALine(length))
      return FALSE;
  }

  BASE_MutexLock lock(WINL_IniStoreMutex());
  const WINL_IniWriteLock fileLock(path);
  if (!fileLock.Held()) return FALSE;
  WINL_IniFile* file = GetINIFileData(path);
  if (!file || !file->writable) return FALSE;

  WINL_IniSection* s = file->sections.Get(section, nullptr);
  if (s)
  {
    s->DeleteAll();
  }
  else
  {
    if (!*entries) return TRUE;
    s = WINL_IniNewSection();
    if (!s || file->sections.Insert(section, s) < 0)
    {
      WINL_IniDisposeSection(s);
      return FALSE;
    }
  }
  for (const char* p = entries; *p; p += strlen(p) + 1)
  {
    const size_t length = strlen(p);
    const char* eq = static_cast<const char*>(memchr(p, '=', length < 8191 ? length : 8191));
    if (!eq || eq == p) continue;
    char* key = strndup(p, static_cast<size_t>(eq - p));
    char* value = strdup(eq + 1);
    const bool stored = key && value && s->Insert(key, value) >= 0;
    free(key);
    if (!stored)
    {
      free(value);
      WINL_IniForget(file);
      return FALSE;
    }
  }
  return Save(file);
}
