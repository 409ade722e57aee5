// The profile calls: the text each write leaves in the file, what is refused,
// and how values, lists and numbers are read back.
#include "winl/ini/WINL_Ini.h"

#include "IniTestFiles.h"
#include "support/TempDir.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace
{
TEST(WinlIni, EachWriteLeavesTheExpectedText)
{
  // text: the file after the step, put in place as a new inode; null: the
  // file is not touched at all (same bytes, inode and modification time).
  struct Step { const char *section, *key, *value; BOOL result; const char* text; }
  const kSteps[] = {
      {"midi", "indev", "off", TRUE, "[midi]\nindev=off\n\n"},
      {"midi", "inBdev", "off", TRUE, "[midi]\ninBdev=off\nindev=off\n\n"},
      {"gui", "scale", "1.25", TRUE, "[gui]\nscale=1.25\n\n[midi]\ninBdev=off\nindev=off\n\n"},
      {"MIDI", "InDev", "off", TRUE, nullptr},  // names match without regard to case
      {"midi", "indev", "Off", TRUE, "[gui]\nscale=1.25\n\n[midi]\ninBdev=off\nindev=Off\n\n"},
      // Refused: the text could start a line of its own or end a name early.
      {"midi", "indev", "x\n[dbase]\nuser=evil", FALSE, nullptr},
      {"midi", "indev", "x\rfoo=bar", FALSE, nullptr},
      {"midi", "a\nb", "1", FALSE, nullptr},
      {"midi", "a\rb", "1", FALSE, nullptr},
      {"midi", "a=b", "1", FALSE, nullptr},
      {"midi", "[dbase", "]", FALSE, nullptr},
      {"midi", " indev", "1", FALSE, nullptr},
      {"mi]di", "k", "1", FALSE, nullptr},
      {"mi\ndi", "k", "1", FALSE, nullptr},
      {"", "k", "1", FALSE, nullptr},
      {"midi", "", "1", FALSE, nullptr},
      {nullptr, "k", "1", FALSE, nullptr},
      // Deleting: an emptied section stays; deleting what is not there writes nothing.
      {"midi", "INBDEV", nullptr, TRUE, "[gui]\nscale=1.25\n\n[midi]\nindev=Off\n\n"},
      {"midi", "indev", nullptr, TRUE, "[gui]\nscale=1.25\n\n[midi]\n\n"},
      {"midi", "absent", nullptr, TRUE, nullptr},
      {"GUI", nullptr, nullptr, TRUE, "[midi]\n\n"},
      {"absent", nullptr, nullptr, TRUE, nullptr},
  };
  TempDir dir;
  const std::string path = dir.File("settings.ini");
  WriteWholeFile(path, "");
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  std::string text;
  for (const Step& s : kSteps)
  {
    const auto name = "step " + std::to_string(&s - kSteps);
    const struct stat before = StatOf(path);
    EXPECT_EQ(WritePrivateProfileString(s.section, s.key, s.value, path.c_str()), s.result) << name;
    if (s.text) text = s.text;
    EXPECT_EQ(ReadWholeFile(path), text) << name;
    const struct stat after = StatOf(path);
    EXPECT_EQ(after.st_ino != before.st_ino, s.text != nullptr) << name;
    EXPECT_TRUE(s.text || after.st_mtim.tv_nsec == before.st_mtim.tv_nsec) << name;
  }
  EXPECT_FALSE(WritePrivateProfileSection("midi", "good=1\0bad=x\ny=2\0", path.c_str()));
  EXPECT_FALSE(WritePrivateProfileString("midi", "k", "v", nullptr));
  EXPECT_FALSE(WritePrivateProfileString("midi", "k", "v", ""));
  EXPECT_EQ(ReadWholeFile(path), "[midi]\n\n");
  EXPECT_EQ(StatOf(path).st_mode & 07777, 0640u);  // the user's permissions stay
  EXPECT_EQ(FolderEntries(dir.Path()),
            (std::vector<std::string>{".settings.ini.lock", "settings.ini"}));
}

TEST(WinlIni, RefusesALineTheReaderWouldSplit)
{
  // The reader keeps a line of up to 33,554,432 bytes whole; a longer value
  // would come back cut, its tail read as a line of its own (see the reader's
  // own test for that limit).
  // section, key, value: lengths
  struct Case { const char* name; size_t section, key, value; bool stored; } const kCases[] = {
      {"entry one byte short", 1, 1, 33554429, true},
      {"entry at the limit", 1, 1, 33554430, true},
      {"entry one byte over", 1, 1, 33554431, false},
      {"key one byte over", 1, 33554431, 1, false},
      {"header at the limit", 33554430, 1, 1, true},
      {"header one byte over", 33554431, 1, 1, false},
  };
  TempDir dir;
  const std::string path = dir.File("settings.ini");
  for (const Case& c : kCases)
  {
    const std::string section(c.section, 's'), key(c.key, 'k'), value(c.value, 'v');
    WriteWholeFile(path, "[a]\nk=1\n\n");
    EXPECT_EQ(WritePrivateProfileString(section.c_str(), key.c_str(), value.c_str(), path.c_str()),
              c.stored ? TRUE : FALSE)
        << c.name;
    // Not EXPECT_EQ: a failure would print 32 MiB.
    const std::string added = c.stored ? "[" + section + "]\n" + key + "=" + value + "\n\n" : "";
    EXPECT_TRUE(ReadWholeFile(path) == "[a]\nk=1\n\n" + added) << c.name;
  }
  const std::string over = "k=" + std::string(33554431, 'v') + '\0';
  EXPECT_FALSE(WritePrivateProfileSection("s", over.c_str(), path.c_str()));
  EXPECT_TRUE(ReadWholeFile(path) == "[a]\nk=1\n\n");
}

TEST(WinlIni, ReadsAndRewritesAHandWrittenFile)
{
  TempDir dir;
  const std::string path = dir.File("hand.ini");
  const char kHand[] =
      "lost=before any header\n  [Midi]  \r\nKey = value\r\n\tindev=\"Port 1\"  \n"
      "single='x'\nquote=\"\nmixed=\"x'\nnoequals\n=nokey\n[unclosed\nstill=midi\n"
      "nul=ab\0cd\n[ sp ]\t\n k = v \t\n[]\ndropped=after empty header\n"
      "[gui]junk\nguiscale=1\n[GUI]\ny=1\rx=2\r\nY=3\nmanager=1";
  WriteWholeFile(path, std::string(kHand, sizeof(kHand) - 1));
  struct Case { const char *section, *key, *want; } const kCases[] = {
      {"midi", "Key ", "value"},  // spaces before '=' belong to the key
      {"MIDI", "key ", "value"},
      {"midi", "Key", "<none>"},
      {"midi", "indev", "Port 1"},  // one pair of double quotes goes
      {"midi", "single", "x"},      // and of single quotes
      {"midi", "quote", "\""},      // a lone quote stays
      {"midi", "mixed", "\"x'"},    // unmatched quotes stay
  };
  for (const Case& c : kCases)
    EXPECT_EQ(IniRead(c.section, c.key, path), c.want) << "[" << c.section << "] " << c.key;

  // Written back in normal form: sorted without regard to case, one entry per
  // key, blanks around lines and text after a NUL gone, names in brackets as
  // written; lines outside a section, without '=' or without a key dropped.
  ASSERT_TRUE(WritePrivateProfileString("gui", "added", "1", path.c_str()));
  EXPECT_EQ(ReadWholeFile(path),
            "[ sp ]\nk = v\n\n[gui]\nadded=1\nmanager=1\nx=2\nY=3\n\n"
            "[Midi]\nindev=\"Port 1\"\nKey = value\nmixed=\"x'\nnul=ab\nquote=\"\nsingle='x'\n"
            "still=midi\n\n");
}

// A value the reader would trim or unquote is written between double
// quotes, so that it reads back whole; any other value is written as it is.
TEST(WinlIni, ValuesReadBackWhole)
{
  struct Case { const char *value, *line; } const kCases[] = {
      {"USB MIDI:Trail ", "outdev=\"USB MIDI:Trail \""},
      {" lead", "outdev=\" lead\""},
      {"tab\t", "outdev=\"tab\t\""},
      {"\"x\"", "outdev=\"\"x\"\""},
      {"'y'", "outdev=\"'y'\""},
      {"USB MIDI:Port 1", "outdev=USB MIDI:Port 1"},
      {"a \"b\" c", "outdev=a \"b\" c"},
      {"\"x'", "outdev=\"x'"},
      {"", "outdev="},
  };
  TempDir dir;
  const std::string path = dir.File("settings.ini");
  for (const Case& c : kCases)
  {
    ASSERT_TRUE(WritePrivateProfileString("midi", "outdev", c.value, path.c_str())) << c.value;
    EXPECT_EQ(ReadWholeFile(path), "[midi]\n" + std::string(c.line) + "\n\n") << c.value;
    EXPECT_EQ(IniRead("midi", "outdev", path), c.value);
    // The same value again leaves the file as it is.
    const ino_t written = StatOf(path).st_ino;
    ASSERT_TRUE(WritePrivateProfileString("midi", "outdev", c.value, path.c_str())) << c.value;
    EXPECT_EQ(StatOf(path).st_ino, written) << c.value;
  }
}

// Some editors start a file with a UTF-8 byte-order mark: the first section
// is still found, and the next write keeps it.
TEST(WinlIni, AByteOrderMarkKeepsTheFirstSection)
{
  TempDir dir;
  const std::string path = dir.File("settings.ini");
  WriteWholeFile(path, "\xEF\xBB\xBF[midi]\nindev=synth:out\r\noutdev=synth:in\r\n");
  EXPECT_EQ(IniRead("midi", "indev", path), "synth:out");
  ASSERT_TRUE(WritePrivateProfileString("gui", "guiscale", "1.5", path.c_str()));
  EXPECT_EQ(ReadWholeFile(path), "[gui]\nguiscale=1.5\n\n[midi]\nindev=synth:out\noutdev=synth:in\n\n");
}

TEST(WinlIni, ReadsWithinTheBuffer)
{
  TempDir dir;
  const std::string path = dir.File("s.ini");
  WriteWholeFile(path, "[cd]\nk=abcdef\nb=1\n[ab]\n");
  // A null section lists the sections, a null key the keys; want: the bytes
  // written, after which the buffer stays '#'.
  struct Case { const char *name, *section, *key; DWORD size; std::string want; DWORD result; }
  const kCases[] = {
      {"value, one short", "cd", "k", 6, std::string("abcde\0", 6), 5},
      {"value, exact fit", "cd", "k", 7, std::string("abcdef\0", 7), 6},
      {"value, one spare", "cd", "k", 8, std::string("abcdef\0", 7), 6},
      {"value, size 0", "cd", "k", 0, std::string(), 0},
      {"default, cut", "cd", "missing", 5, std::string("dflt\0", 5), 4},
      {"default, size 0", "cd", "missing", 0, std::string(), 0},
      {"sections, size 5", nullptr, nullptr, 5, std::string("ab\0\0\0", 5), 3},
      {"sections, whole", nullptr, nullptr, 7, std::string("ab\0cd\0\0", 7), 5},
      {"sections, size 2", nullptr, nullptr, 2, std::string("\0\0", 2), 0},
      {"sections, size 1", nullptr, nullptr, 1, std::string("\0", 1), 0},
      {"sections, size 0", nullptr, nullptr, 0, std::string(), 0},
      {"keys", "CD", nullptr, 16, std::string("b\0k\0\0", 5), 3},
      {"keys of an empty section", "ab", nullptr, 16, std::string("\0\0", 2), 0},
      {"keys of a missing section", "zz", nullptr, 16, std::string("\0\0", 2), 0},
      {"keys, size 1", "cd", nullptr, 1, std::string("\0", 1), 0},
  };
  for (const Case& c : kCases)
  {
    char buf[24];
    memset(buf, '#', sizeof(buf));
    EXPECT_EQ(GetPrivateProfileString(c.section, c.key, "dflt-x", buf, c.size, path.c_str()),
              c.result)
        << c.name;
    EXPECT_EQ(std::string(buf, c.want.size() + 1), c.want + '#') << c.name;
  }
  // The caller's own buffer as the default ("keep what you have").
  char own[8] = "keep";
  EXPECT_EQ(GetPrivateProfileString("cd", "missing", own, own, sizeof(own), path.c_str()), 4u);
  EXPECT_STREQ(own, "keep");
}

TEST(WinlIni, ReadsIntegers)
{
  TempDir dir;
  const std::string path = dir.File("s.ini");
  WriteWholeFile(path,
                 "[n]\nzero=0\nneg=-3\nabc=abc\nempty=\nquoted=\"42\"\nbig=99999999999\n"
                 "lead=7up\nminuszero=-0\n");
  struct Case { const char* key; int want; } const kCases[] = {
      {"zero", 0},   {"neg", -3}, {"abc", 77},         {"empty", 77},    {"missing", 77},
      {"quoted", 42}, {"lead", 7}, {"big", 2147483647}, {"minuszero", 77}};
  for (const Case& c : kCases)
    EXPECT_EQ(GetPrivateProfileInt("n", c.key, 77, path.c_str()), c.want) << c.key;
  EXPECT_EQ(GetPrivateProfileInt(nullptr, "zero", 77, path.c_str()), 77);
  EXPECT_EQ(GetPrivateProfileInt("n", nullptr, 77, path.c_str()), 77);
}

TEST(WinlIni, StructsCarryAChecksum)
{
  TempDir dir;
  const std::string path = dir.File("s.ini");
  ASSERT_TRUE(WritePrivateProfileStruct("st", "blob", "\x01\xAB\xFF", 3, path.c_str()));
  EXPECT_EQ(ReadWholeFile(path), "[st]\nblob=01ABFFAB\n\n");  // 0x01+0xAB+0xFF = 0x1AB

  WriteWholeFile(path, "[st]\nblob=01ABFFAB\nlower=01abffab\nbadsum=01ABFF00\nnothex=01ZZFFAB\n");
  struct Case { const char* key; UINT count; BOOL want; } const kCases[] = {
      {"blob", 3, TRUE},  {"blob", 2, FALSE},   {"blob", 4, FALSE},
      {"lower", 3, TRUE}, {"badsum", 3, FALSE}, {"nothex", 3, FALSE}};
  for (const Case& c : kCases)
  {
    unsigned char out[4] = {};
    EXPECT_EQ(GetPrivateProfileStruct("st", c.key, out, c.count, path.c_str()), c.want) << c.key;
    EXPECT_TRUE(!c.want || memcmp(out, "\x01\xAB\xFF\x00", 4) == 0) << c.key;
  }
  // Without a key the whole section goes; the bytes (no terminator) are not read as text.
  ASSERT_TRUE(WritePrivateProfileStruct("st", nullptr, "\x01\xAB\xFF", 3, path.c_str()));
  EXPECT_EQ(ReadWholeFile(path), "");
}

TEST(WinlIni, SectionsAsEntryLists)
{
  TempDir dir;
  const std::string path = dir.File("s.ini");
  const char kEntries[] = "b=2\0a= 'one' \0skipped\0=noname\0";
  ASSERT_TRUE(WritePrivateProfileSection("sec", kEntries, path.c_str()));
  EXPECT_EQ(ReadWholeFile(path), "[sec]\na= 'one' \nb=2\n\n");

  // "a=one\0b=2\0" and the closing NUL fit exactly in 11 bytes.
  struct Case { const char* section; DWORD size; std::string want; DWORD result; }
  const kCases[] = {
      {"SEC", 12, std::string("a=one\0b=2\0\0", 11), 10},
      {"sec", 11, std::string("a=one\0b=2\0\0", 11), 10},
      {"sec", 10, std::string("a=one\0b=\0\0", 10), 8},
      {"sec", 8, std::string("a=one\0\0\0", 8), 6},
      {"missing", 8, std::string("\0\0", 2), 0},
  };
  for (const Case& c : kCases)
  {
    char buf[16];
    memset(buf, '#', sizeof(buf));
    EXPECT_EQ(GetPrivateProfileSection(c.section, buf, c.size, path.c_str()), c.result) << c.size;
    EXPECT_EQ(std::string(buf, c.want.size() + 1), c.want + '#') << c.section << " " << c.size;
  }
  ASSERT_TRUE(WritePrivateProfileSection("sec", "c=3\0", path.c_str()));
  ASSERT_TRUE(WritePrivateProfileSection("other", "", path.c_str()));  // creates nothing
  EXPECT_EQ(ReadWholeFile(path), "[sec]\nc=3\n\n");
}
}  // namespace
