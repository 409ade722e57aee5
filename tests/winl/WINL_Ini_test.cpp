#include "winl/ini/WINL_Ini.h"

#include "IniTestFiles.h"
#include "support/TempDir.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace
{
// ---- exact file text ----

TEST(WinlIni, WritesSortedSectionsAndKeys)
{
  TempDir dir;
  const std::string path = dir.File("settings.ini");
  ASSERT_TRUE(WritePrivateProfileString("midi", "indev", "off", path.c_str()));
  ASSERT_TRUE(WritePrivateProfileString("midi", "inBdev", "off", path.c_str()));
  ASSERT_TRUE(WritePrivateProfileString("midi", "outdev", "off", path.c_str()));
  EXPECT_EQ(ReadWholeFile(path), "[midi]\ninBdev=off\nindev=off\noutdev=off\n\n");

  ASSERT_TRUE(WritePrivateProfileString("gui", "guiscale", "1.25", path.c_str()));
  EXPECT_EQ(ReadWholeFile(path),
            "[gui]\nguiscale=1.25\n\n[midi]\ninBdev=off\nindev=off\noutdev=off\n\n");
  EXPECT_EQ(FolderEntries(dir.Path()), (std::vector<std::string>{".settings.ini.lock", "settings.ini"}));
}

TEST(WinlIni, IdenticalValueLeavesTheFileAlone)
{
  TempDir dir;
  const std::string path = dir.File("settings.ini");
  ASSERT_TRUE(WritePrivateProfileString("program", "lastfile", "/a/b.pr3", path.c_str()));
  const struct stat before = StatOf(path);

  ASSERT_TRUE(WritePrivateProfileString("PROGRAM", "LastFile", "/a/b.pr3", path.c_str()));
  const struct stat same = StatOf(path);
  EXPECT_EQ(same.st_ino, before.st_ino);
  EXPECT_EQ(same.st_mtim.tv_nsec, before.st_mtim.tv_nsec);

  // A different value is a new file put in place by rename: a new inode.
  ASSERT_TRUE(WritePrivateProfileString("program", "lastfile", "/a/c.pr3", path.c_str()));
  EXPECT_NE(StatOf(path).st_ino, before.st_ino);
  EXPECT_EQ(ReadWholeFile(path), "[program]\nlastfile=/a/c.pr3\n\n");
  EXPECT_EQ(FolderEntries(dir.Path()), (std::vector<std::string>{".settings.ini.lock", "settings.ini"}));
}

TEST(WinlIni, DeletesKeysAndSections)
{
  TempDir dir;
  const std::string path = dir.File("settings.ini");
  const char* p = path.c_str();
  WriteWholeFile(path, "[dbase]\nuser=me\nmemo=1\n[gui]\nmanager=0\n");
  ASSERT_TRUE(WritePrivateProfileString("dbase", "USER", nullptr, p));
  ASSERT_TRUE(WritePrivateProfileString("dbase", "memo", nullptr, p));
  EXPECT_EQ(ReadWholeFile(path), "[dbase]\n\n[gui]\nmanager=0\n\n");  // an emptied section stays
  ASSERT_TRUE(WritePrivateProfileString("DBase", nullptr, nullptr, p));
  EXPECT_EQ(ReadWholeFile(path), "[gui]\nmanager=0\n\n");
  // Deleting what is not there succeeds and writes nothing.
  const ino_t inode = StatOf(path).st_ino;
  EXPECT_TRUE(WritePrivateProfileString("nope", nullptr, nullptr, p));
  EXPECT_TRUE(WritePrivateProfileString("gui", "nope", nullptr, p));
  EXPECT_EQ(StatOf(path).st_ino, inode);
}

TEST(WinlIni, RefusesTextThatWouldInjectLines)
{
  TempDir dir;
  const std::string path = dir.File("settings.ini");
  ASSERT_TRUE(WritePrivateProfileString("midi", "indev", "off", path.c_str()));
  const std::string before = ReadWholeFile(path);
  struct Case
  {
    const char* name;
    const char* section;
    const char* key;
    const char* value;
  } const kCases[] = {
      {"LF in value", "midi", "indev", "x\n[dbase]\nuser=evil"},
      {"CR in value", "midi", "indev", "x\rfoo=bar"},
      {"LF in key", "midi", "a\nb", "1"},
      {"CR in key", "midi", "a\rb", "1"},
      {"= in key", "midi", "a=b", "1"},
      {"key opening a header", "midi", "[dbase", "]"},
      {"key with a leading blank", "midi", " indev", "1"},
      {"] in section", "mi]di", "k", "1"},
      {"LF in section", "mi\ndi", "k", "1"},
      {"empty section", "", "k", "1"},
      {"empty key", "midi", "", "1"},
      {"null section", nullptr, "k", "1"},
  };
  for (const Case& c : kCases)
    EXPECT_FALSE(WritePrivateProfileString(c.section, c.key, c.value, path.c_str())) << c.name;
  EXPECT_EQ(ReadWholeFile(path), before);
  EXPECT_EQ(IniRead("midi", "indev", path), "off");

  const char refused[] = "good=1\0bad=x\ny=2\0";
  EXPECT_FALSE(WritePrivateProfileSection("midi", refused, path.c_str()));
  EXPECT_EQ(ReadWholeFile(path), before);
  EXPECT_FALSE(WritePrivateProfileString("midi", "k", "v", nullptr));
  EXPECT_FALSE(WritePrivateProfileString("midi", "k", "v", ""));
}

// ---- reading ----

TEST(WinlIni, ReadsHandWrittenFiles)
{
  TempDir dir;
  const std::string path = dir.File("hand.ini");
  WriteWholeFile(path,
                 "lost=before any header\n"
                 "  [Midi]  \r\n"
                 "Key = value\r\n"
                 "\tindev=\"Port 1\"  \n"
                 "single='x'\n"
                 "quote=\"\n"
                 "mixed=\"x'\n"
                 "noequals\n"
                 "=nokey\n"
                 "[unclosed\n"
                 "still=midi\n"
                 "[]\n"
                 "dropped=after empty header\n"
                 "[gui]\n"
                 "guiscale=1\n"
                 "[GUI]\n"
                 "background=2\r"
                 "manager=1");
  struct Case
  {
    const char* section;
    const char* key;
    const char* want;
  } const kCases[] = {
      {"midi", "Key ", "value"},        // spaces before '=' belong to the key
      {"MIDI", "key ", "value"},        // names match without regard to case
      {"midi", "Key", "<none>"},
      {"midi", "indev", "Port 1"},      // one pair of double quotes goes
      {"midi", "single", "x"},          // and of single quotes
      {"midi", "quote", "\""},          // a lone quote stays
      {"midi", "mixed", "\"x'"},        // unmatched quotes stay
      {"midi", "still", "midi"},        // a header without ']' is ignored
      {"midi", "noequals", "<none>"},
      {"midi", "lost", "<none>"},
      {"", "dropped", "<none>"},
      {"gui", "guiscale", "<none>"},    // the repeated header emptied it
      {"gui", "background", "2"},       // CR alone ends a line
      {"gui", "manager", "1"},          // the last line needs no end
  };
  for (const Case& c : kCases)
    EXPECT_EQ(IniRead(c.section, c.key, path), c.want) << "[" << c.section << "] " << c.key;
}

TEST(WinlIni, ValueCopiesAreCutToTheBuffer)
{
  TempDir dir;
  const std::string path = dir.File("s.ini");
  WriteWholeFile(path, "[s]\nk=abcdef\n");
  char buf[8];
  memset(buf, '#', sizeof(buf));
  EXPECT_EQ(GetPrivateProfileString("s", "k", "", buf, 4, path.c_str()), 3u);
  EXPECT_EQ(std::string(buf, 5), std::string("abc\0#", 5));
  EXPECT_EQ(GetPrivateProfileString("s", "missing", "defaultvalue", buf, 5, path.c_str()), 4u);
  EXPECT_STREQ(buf, "defa");
  EXPECT_EQ(GetPrivateProfileString("s", "missing", buf, buf, 5, path.c_str()), 4u);  // own buffer
  EXPECT_STREQ(buf, "defa");
  memset(buf, '#', sizeof(buf));
  EXPECT_EQ(GetPrivateProfileString("s", "k", "", buf, 0, path.c_str()), 0u);
  EXPECT_EQ(GetPrivateProfileString("s", "missing", "dflt", buf, 0, path.c_str()), 0u);
  EXPECT_EQ(buf[0], '#');
}

TEST(WinlIni, ListsNamesWithinTheBuffer)
{
  TempDir dir;
  const std::string path = dir.File("s.ini");
  WriteWholeFile(path, "[cd]\nb=1\na=2\n[ab]\n");
  struct Case
  {
    const char* name;
    const char* section;  // null: list sections
    DWORD size;
    std::string want;  // bytes written
    DWORD result;
  } const kCases[] = {
      {"sections, size 5", nullptr, 5, std::string("ab\0\0\0", 5), 3},
      {"sections, whole", nullptr, 7, std::string("ab\0cd\0\0", 7), 5},
      {"sections, size 2", nullptr, 2, std::string("\0\0", 2), 0},
      {"sections, size 1", nullptr, 1, std::string("\0", 1), 0},
      {"sections, size 0", nullptr, 0, std::string(), 0},
      {"keys", "CD", 16, std::string("a\0b\0\0", 5), 3},
      {"keys of an empty section", "ab", 16, std::string("\0\0", 2), 0},
      {"keys of a missing section", "zz", 16, std::string("\0\0", 2), 0},
      {"keys, size 1", "cd", 1, std::string("\0", 1), 0},
  };
  for (const Case& c : kCases)
  {
    char buf[24];
    memset(buf, '#', sizeof(buf));
    EXPECT_EQ(GetPrivateProfileString(c.section, nullptr, "dflt", buf, c.size, path.c_str()),
              c.result)
        << c.name;
    EXPECT_EQ(std::string(buf, c.want.size()), c.want) << c.name;
    EXPECT_EQ(buf[c.want.size()], '#') << c.name << ": wrote past what it should";
  }
}

TEST(WinlIni, ReadsIntegers)
{
  TempDir dir;
  const std::string path = dir.File("s.ini");
  WriteWholeFile(path,
                 "[n]\nzero=0\nneg=-3\nabc=abc\nempty=\nquoted=\"42\"\nbig=99999999999\n"
                 "lead=7up\nminuszero=-0\n");
  struct Case
  {
    const char* key;
    int want;
  } const kCases[] = {
      {"zero", 0},          {"neg", -3},         {"abc", 77},  {"empty", 77},
      {"missing", 77},      {"quoted", 42},      {"lead", 7},  {"big", 2147483647},
      {"minuszero", 77},
  };
  for (const Case& c : kCases)
    EXPECT_EQ(GetPrivateProfileInt("n", c.key, 77, path.c_str()), c.want) << c.key;
  EXPECT_EQ(GetPrivateProfileInt(nullptr, "zero", 77, path.c_str()), 77);
  EXPECT_EQ(GetPrivateProfileInt("n", nullptr, 77, path.c_str()), 77);
}

TEST(WinlIni, StructsRoundTripWithAChecksum)
{
  TempDir dir;
  const std::string path = dir.File("s.ini");
  const unsigned char bytes[3] = {0x01, 0xAB, 0xFF};
  ASSERT_TRUE(WritePrivateProfileStruct("st", "blob", bytes, 3, path.c_str()));
  EXPECT_EQ(ReadWholeFile(path), "[st]\nblob=01ABFFAB\n\n");  // 0x01+0xAB+0xFF = 0x1AB
  unsigned char out[3] = {};
  EXPECT_TRUE(GetPrivateProfileStruct("st", "blob", out, 3, path.c_str()));
  EXPECT_EQ(memcmp(out, bytes, 3), 0);
  EXPECT_FALSE(GetPrivateProfileStruct("st", "blob", out, 2, path.c_str()));  // wrong length

  WriteWholeFile(path, "[st]\nlower=01abffab\nbadsum=01ABFF00\nnothex=01ZZFFAB\n");
  EXPECT_TRUE(GetPrivateProfileStruct("st", "lower", out, 3, path.c_str()));
  EXPECT_FALSE(GetPrivateProfileStruct("st", "badsum", out, 3, path.c_str()));
  EXPECT_FALSE(GetPrivateProfileStruct("st", "nothex", out, 3, path.c_str()));
  // Without a key the whole section goes; the bytes (no terminator) are not read as text.
  ASSERT_TRUE(WritePrivateProfileStruct("st", nullptr, bytes, 3, path.c_str()));
  EXPECT_EQ(ReadWholeFile(path), "");
}

TEST(WinlIni, SectionsAsEntryLists)
{
  TempDir dir;
  const std::string path = dir.File("s.ini");
  const char entries[] = "b=2\0a= 'one' \0skipped\0=noname\0";
  ASSERT_TRUE(WritePrivateProfileSection("sec", entries, path.c_str()));
  EXPECT_EQ(ReadWholeFile(path), "[sec]\na= 'one' \nb=2\n\n");

  char buf[32];
  EXPECT_EQ(GetPrivateProfileSection("SEC", buf, sizeof(buf), path.c_str()), 10u);
  EXPECT_EQ(std::string(buf, 11), std::string("a=one\0b=2\0\0", 11));
  memset(buf, '#', sizeof(buf));
  EXPECT_EQ(GetPrivateProfileSection("sec", buf, 8, path.c_str()), 6u);
  EXPECT_EQ(std::string(buf, 9), std::string("a=one\0\0\0#", 9));
  EXPECT_EQ(GetPrivateProfileSection("missing", buf, 8, path.c_str()), 0u);
  EXPECT_EQ(std::string(buf, 2), std::string("\0\0", 2));

  ASSERT_TRUE(WritePrivateProfileSection("sec", "c=3\0", path.c_str()));
  ASSERT_TRUE(WritePrivateProfileSection("other", "", path.c_str()));  // creates nothing
  EXPECT_EQ(ReadWholeFile(path), "[sec]\nc=3\n\n");
}

// ---- the cache and the disk ----

TEST(WinlIni, PathsCompareExactly)
{
  TempDir dir;
  const std::string upper = dir.File("Settings.ini");
  const std::string lower = dir.File("settings.ini");
  WriteWholeFile(upper, "[midi]\nindev=upper\n");
  WriteWholeFile(lower, "[midi]\nindev=lower\n");
  EXPECT_EQ(IniRead("midi", "indev", upper), "upper");
  EXPECT_EQ(IniRead("midi", "indev", lower), "lower");
  ASSERT_TRUE(WritePrivateProfileString("midi", "outdev", "x", lower.c_str()));
  EXPECT_EQ(ReadWholeFile(upper), "[midi]\nindev=upper\n");
  EXPECT_EQ(ReadWholeFile(lower), "[midi]\nindev=lower\noutdev=x\n\n");
}

TEST(WinlIni, SeesOutsideEdits)
{
  TempDir dir;
  const std::string path = dir.File("s.ini");
  WriteWholeFile(path, "[a]\nk=1\n");
  const timespec fixed[2] = {{1600000000, 0}, {1600000000, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), fixed, 0), 0);
  ASSERT_EQ(IniRead("a", "k", path), "1");

  // A different size.
  WriteWholeFile(path, "[a]\nk=22\n");
  EXPECT_EQ(IniRead("a", "k", path), "22");

  // Same size, same inode, a modification time that differs by a nanosecond.
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), fixed, 0), 0);
  ASSERT_EQ(IniRead("a", "k", path), "22");
  WriteWholeFile(path, "[a]\nk=33\n");
  const timespec later[2] = {{1600000000, 0}, {1600000000, 1}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), later, 0), 0);
  EXPECT_EQ(IniRead("a", "k", path), "33");

  // Same size and time, but replaced by another file (a new inode).
  const std::string other = dir.File("other");
  WriteWholeFile(other, "[a]\nk=44\n");
  ASSERT_EQ(utimensat(AT_FDCWD, other.c_str(), later, 0), 0);
  ASSERT_EQ(rename(other.c_str(), path.c_str()), 0);
  EXPECT_EQ(IniRead("a", "k", path), "44");

  // Removed: back to the defaults, and a write creates it anew.
  ASSERT_EQ(unlink(path.c_str()), 0);
  EXPECT_EQ(IniRead("a", "k", path), "<none>");
  ASSERT_TRUE(WritePrivateProfileString("a", "j", "5", path.c_str()));
  EXPECT_EQ(ReadWholeFile(path), "[a]\nj=5\n\n");
}

TEST(WinlIni, TheThirtyThirdFileEvictsTheLeastRecentlyUsed)
{
  TempDir dir;
  std::vector<std::string> paths;
  const timespec fixed[2] = {{1600000000, 0}, {1600000000, 0}};
  for (int i = 0; i < 33; ++i)
  {
    paths.push_back(dir.File("f" + std::to_string(i) + ".ini"));
    WriteWholeFile(paths.back(), "[s]\nk=old\n");
    ASSERT_EQ(utimensat(AT_FDCWD, paths.back().c_str(), fixed, 0), 0);
  }
  // Fill all 32 slots with these files (earlier tests' slots are older), then
  // touch 1..31 again so that file 0 is the least recently used.
  for (int i = 0; i < 32; ++i) ASSERT_EQ(IniRead("s", "k", paths[i]), "old");
  for (int i = 1; i < 32; ++i) ASSERT_EQ(IniRead("s", "k", paths[i]), "old");

  // Change files 0 and 1 behind the cache's back in a way that its change
  // detection cannot see: same inode, size and modification time.
  for (int i = 0; i < 2; ++i)
  {
    const int fd = open(paths[i].c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(pwrite(fd, "new", 3, 6), 3);
    close(fd);
    ASSERT_EQ(utimensat(AT_FDCWD, paths[i].c_str(), fixed, 0), 0);
  }
  EXPECT_EQ(IniRead("s", "k", paths[1]), "old");  // still served from memory

  ASSERT_EQ(IniRead("s", "k", paths[32]), "old");  // the 33rd file
  EXPECT_EQ(IniRead("s", "k", paths[0]), "new");   // file 0 was evicted and is read again
}

TEST(WinlIni, RefusesToOverwriteAFileItCouldNotRead)
{
  TempDir dir;
  // A folder where the file should be, and a path through a plain file: both
  // unreadable for reasons other than "missing".
  const std::string folder = dir.File("settings.ini");
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  EXPECT_EQ(IniRead("midi", "indev", folder), "<none>");
  EXPECT_FALSE(WritePrivateProfileString("midi", "indev", "x", folder.c_str()));
  EXPECT_FALSE(WritePrivateProfileSection("midi", "a=1\0", folder.c_str()));

  const std::string plain = dir.File("plain");
  WriteWholeFile(plain, "keep");
  const std::string through = plain + "/settings.ini";
  EXPECT_FALSE(WritePrivateProfileString("midi", "indev", "x", through.c_str()));
  EXPECT_EQ(ReadWholeFile(plain), "keep");

  // A big file without a header early on reads as empty and is kept whole.
  const std::string big = dir.File("big.ini");
  const std::string bytes = std::string(300000, 'x') + "\n[midi]\nindev=far\n";
  WriteWholeFile(big, bytes);
  EXPECT_EQ(IniRead("midi", "indev", big), "<none>");
  EXPECT_FALSE(WritePrivateProfileString("midi", "indev", "x", big.c_str()));
  EXPECT_FALSE(WritePrivateProfileString("midi", nullptr, nullptr, big.c_str()));
  EXPECT_EQ(ReadWholeFile(big), bytes);
  EXPECT_EQ(FolderEntries(dir.Path()),
            (std::vector<std::string>{".big.ini.lock", ".settings.ini.lock", "big.ini", "plain", "settings.ini"}));
}

TEST(WinlIni, KeepsTheFilesPermissions)
{
  TempDir dir;
  const std::string path = dir.File("s.ini");
  WriteWholeFile(path, "[a]\nk=1\n");
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  ASSERT_TRUE(WritePrivateProfileString("a", "k", "2", path.c_str()));
  EXPECT_EQ(StatOf(path).st_mode & 07777, 0640u);
}
TEST(WinlIni, RefusesALineTheReaderWouldSplit)
{
  // The reader keeps a line of up to 33,554,432 bytes whole; a longer value
  // would come back cut, its tail read as a line of its own.
  struct Case
  {
    const char* name;
    size_t section, key, value;  // lengths
    bool stored;
  } const kCases[] = {
      {"entry one byte short", 1, 1, 33554429, true},
      {"entry at the limit", 1, 1, 33554430, true},
      {"entry one byte over", 1, 1, 33554431, false},
      {"key one byte over", 1, 33554431, 1, false},
      {"header at the limit", 33554430, 1, 1, true},
      {"header one byte over", 33554431, 1, 1, false},
  };
  TempDir dir;
  const std::string path = dir.File("settings.ini");
  // Another name for the same file has a slot of its own, so it is read from disk.
  const std::string again = dir.File("./settings.ini");
  for (const Case& c : kCases)
  {
    const std::string section(c.section, 's'), key(c.key, 'k'), value(c.value, 'v');
    WriteWholeFile(path, "[a]\nk=1\n\n");
    EXPECT_EQ(WritePrivateProfileString(section.c_str(), key.c_str(), value.c_str(), path.c_str()),
              c.stored ? TRUE : FALSE)
        << c.name;
    if (!c.stored)
    {
      // Not EXPECT_EQ: a failure would print 32 MiB.
      EXPECT_TRUE(ReadWholeFile(path) == "[a]\nk=1\n\n") << c.name;
      continue;
    }
    EXPECT_TRUE(ReadWholeFile(path) ==
                "[a]\nk=1\n\n[" + section + "]\n" + key + "=" + value + "\n\n")
        << c.name;
    std::string back(c.value + 2, '#');
    EXPECT_EQ(GetPrivateProfileString(section.c_str(), key.c_str(), "", &back[0],
                                      static_cast<DWORD>(back.size()), again.c_str()),
              c.value)
        << c.name;
  }
  const std::string over = "k=" + std::string(33554431, 'v') + '\0';
  EXPECT_FALSE(WritePrivateProfileSection("s", over.c_str(), path.c_str()));
  EXPECT_TRUE(ReadWholeFile(path) == "[a]\nk=1\n\n");
}
TEST(WinlIni, WritesThroughALinkIntoItsTarget)
{
  struct Case
  {
    const char* name;
    bool absolute;       // the link holds the target's full path
    const char* before;  // the target's text; null: no target yet
    const char* after;
  } const kCases[] = {
      {"relative link", false, "[gui]\nguiscale=1\n\n", "[gui]\nguiscale=1\n\n[midi]\nindev=off\n\n"},
      {"absolute link", true, "[gui]\nguiscale=1\n\n", "[gui]\nguiscale=1\n\n[midi]\nindev=off\n\n"},
      {"link to a missing file", false, nullptr, "[midi]\nindev=off\n\n"},
  };
  for (const Case& c : kCases)
  {
    TempDir dir;
    ASSERT_EQ(mkdir(dir.File("real").c_str(), 0755), 0);
    ASSERT_EQ(mkdir(dir.File("cfg").c_str(), 0755), 0);
    const std::string target = dir.File("real/settings.ini");
    const std::string link = dir.File("cfg/settings.ini");
    const std::string linkText = c.absolute ? target : "../real/settings.ini";
    if (c.before) WriteWholeFile(target, c.before);
    ASSERT_EQ(symlink(linkText.c_str(), link.c_str()), 0);

    ASSERT_TRUE(WritePrivateProfileString("midi", "indev", "off", link.c_str())) << c.name;
    char held[256] = {};
    EXPECT_EQ(readlink(link.c_str(), held, sizeof(held) - 1), static_cast<ssize_t>(linkText.size()))
        << c.name;
    EXPECT_EQ(held, linkText) << c.name;
    EXPECT_EQ(ReadWholeFile(target), c.after) << c.name;
    EXPECT_EQ(FolderEntries(dir.File("cfg")), std::vector<std::string>{"settings.ini"}) << c.name;
    EXPECT_EQ(FolderEntries(dir.File("real")),
              (std::vector<std::string>{".settings.ini.lock", "settings.ini"}))
        << c.name;
  }
}
}  // namespace
