#include "synth/BankList.h"

#include "synth/ProgramFolder.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace
{
struct CategoryTag
{
  int32_t category;
  const char* tag;
};
// Compared in this order over each tag's own length.
constexpr CategoryTag kCategoryTags[] = {
  {kCategoryBass, "_BASS_"}, {kCategoryGuitar, "_GTR_"}, {kCategoryMidi, "_MIDI_"},
  {kCategoryFx, "_FX_"},     {kCategoryEwi, "_EWI_"},
};

const char* TagOf(int32_t category)
{
  for (const CategoryTag& t : kCategoryTags)
    if (t.category == category) return t.tag;
  return "_";
}

bool IsSeparator(const std::string& c) { return c == "_" || c == " "; }

template <size_t N>
void CopyField(char (&field)[N], const std::string& text)
{
  const size_t n = std::min(text.size(), N - 1);
  memcpy(field, text.data(), n);
  memset(field + n, 0, N - n);
}

void MakeEmpty(BankEntry& e)
{
  e.empty = 1;
  e.category = kCategoryEmpty;
  CopyField(e.path, "");
  CopyField(e.name, "");
  CopyField(e.display, "");
}
}  // namespace

// ---- names ----

namespace
{
// The longest start of name that a bank entry holds: 32 characters and
// fewer than kBankNameSize bytes, never splitting a character.
std::string FitBankName(const std::string& name)
{
  return Utf8Prefix(name, static_cast<size_t>(kBankNameMaxChars), static_cast<size_t>(kBankNameSize) - 1);
}

// True when text starts with one of the category tags.
bool StartsWithTag(const std::string& text)
{
  for (const CategoryTag& t : kCategoryTags)
    if (text.compare(0, strlen(t.tag), t.tag) == 0) return true;
  return false;
}

// Category and name of a name whose tag (if any) starts at nameStart: the
// rest loses a leading "_" and is cut to fit.
void TagAndName(const std::string& stem, size_t nameStart, BankFileName& out)
{
  int32_t category = kCategoryNone;
  for (const CategoryTag& t : kCategoryTags)
  {
    if (nameStart <= stem.size() && stem.compare(nameStart, strlen(t.tag), t.tag) == 0)
    {
      category = t.category;
      nameStart += strlen(t.tag);
      break;
    }
  }
  std::string name = stem.substr(std::min(nameStart, stem.size()));
  if (!name.empty() && name[0] == '_') name.erase(0, 1);
  out.category = category;
  out.name = FitBankName(name);
}

// The leading digits of text (at most three looked at) and the number they
// make; 0 digits when there are none or more than two.
size_t LeadingLocation(const std::string& text, int& location)
{
  size_t digits = 0;
  while (digits < text.size() && digits < 3 && isdigit(static_cast<unsigned char>(text[digits]))) ++digits;
  if (digits == 0 || digits > 2) return 0;
  location = std::stoi(text.substr(0, digits));
  return location >= kBankFirstLocation && location <= kBankLastLocation ? digits : 0;
}

// Category and name of a name received from the synth: only a location
// prefix is taken off.
void NameWithoutPrefix(const std::string& stem, BankFileName& out)
{
  const size_t prefix = BankLocationPrefix(stem, out.location);
  if (prefix > 0)
  {
    TagAndName(stem, prefix, out);
    return;
  }
  // A name the library sent ("BASS_Deep") carries its category at its start.
  if (StartsWithTag("_" + stem))
  {
    TagAndName("_" + stem, 0, out);
    return;
  }
  out.category = kCategoryNone;
  out.name = FitBankName(stem);
}

// The characters a file name's location takes.
constexpr size_t kLocationChars = 2;

std::string Stem(const std::string& fileName) { return fileName.substr(0, fileName.rfind('.')); }
}  // namespace

size_t BankLocationPrefix(const std::string& text, int location)
{
  int number = 0;
  const size_t digits = LeadingLocation(text, number);
  if (digits == 0) return 0;
  if (digits == text.size()) return number == location ? digits : 0;
  return text[digits] == '_' ? digits : 0;
}

bool ParseBankFileName(const char* fileName, BankFileName& out)
{
  if (fileName == nullptr) return false;
  const int location = LocationFromFileName(fileName);
  if (location == 0) return false;
  out.location = location;
  TagAndName(Stem(fileName), kLocationChars, out);
  return true;
}

std::string SynthNameOfFile(const std::string& fileName)
{
  std::string name = Stem(fileName);
  if (LocationFromFileName(fileName.c_str()) != 0)
  {
    name.erase(0, kLocationChars);
    if (!name.empty() && name[0] == '_') name.erase(0, 1);
  }
  return FitBankName(name);
}

void BankNameOfFile(const std::string& fileName, int32_t& category, std::string& name)
{
  BankFileName parsed;
  if (!ParseBankFileName(fileName.c_str(), parsed)) TagAndName(Stem(fileName), 0, parsed);
  category = parsed.category;
  name = parsed.name;
}

bool SavedProgramFileName(const std::string& dumpName, int location, std::string& fileName)
{
  // A name no file can carry (".", "..") still has its location's file.
  return MakeBankFileName(location, kCategoryNone, dumpName, fileName) ||
         MakeBankFileName(location, kCategoryNone, "", fileName);
}

bool BankEntryOfDump(const std::string& dumpName, int location, BankFileName& out, std::string& fileName)
{
  if (location < kBankFirstLocation || location > kBankLastLocation) return false;
  out.location = location;
  NameWithoutPrefix(dumpName.substr(0, dumpName.find('\0')), out);
  // A name no file can carry (".", "..") still has its location's file.
  if (!MakeBankFileName(location, out.category, out.name, fileName))
    return MakeBankFileName(location, out.category, "", fileName);
  return true;
}

std::string BankDisplayName(const std::string& name)
{
  // Work on whole characters so that a break never falls inside one.
  const std::vector<size_t> starts = Utf8CharacterStarts(name);
  std::vector<std::string> chars;
  for (size_t i = 0; i + 1 < starts.size(); ++i)
    chars.push_back(name.substr(starts[i], starts[i + 1] - starts[i]));
  if (chars.size() < 13) return name;

  bool broken = false;
  for (size_t i = 4; i < chars.size(); ++i)
  {
    if (!IsSeparator(chars[i])) continue;
    chars[i] = "\n";
    broken = true;
    // A long rest gets a second line, at the next separator 5 on.
    if (chars.size() - i >= 12)
    {
      for (size_t j = i + 5; j < chars.size(); ++j)
      {
        if (IsSeparator(chars[j]))
        {
          chars[j] = "\n";
          break;
        }
      }
    }
    break;
  }
  if (!broken)
  {
    chars.insert(chars.begin() + 12, "\n");
    if (chars.size() >= 25) chars.insert(chars.begin() + 25, "\n");
  }
  std::string display;
  for (size_t i = 0; i < chars.size() && i < static_cast<size_t>(kBankNameMaxChars); ++i)
    display += chars[i];
  return display;
}

bool MakeBankFileName(int location, int32_t category, const std::string& name, std::string& fileName)
{
  if (location < kBankFirstLocation || location > kBankLastLocation) return false;
  std::string safe = name.substr(0, name.find('\0'));
  std::replace(safe.begin(), safe.end(), '/', '_');
  // An unnamed program still has its place: "%02d_.pr3".
  if (safe == "." || safe == "..") return false;
  // A name without a category that begins like a tag ("BASS_Deep") would
  // read back as that category and the rest: it follows the digits at once
  // ("03BASS_Deep.pr3"), which reads back as the whole name.
  const char* tag = TagOf(category);
  if (category <= kCategoryNone && StartsWithTag(tag + safe)) tag = "";
  char prefix[16];
  snprintf(prefix, sizeof prefix, "%02d%s", location, tag);
  std::string result = prefix + safe + ".pr3";
  if (result.size() >= static_cast<size_t>(kBankPathSize)) return false;
  fileName = std::move(result);
  return true;
}

// ---- the list ----

void BankList::Clear()
{
  ++mRevision;
  for (BankEntry& e : mEntries)
  {
    MakeEmpty(e);
    e.selected = 0;
  }
}

bool BankList::SetProgram(int location, const std::string& path, int32_t category, const std::string& name)
{
  if (location < kBankFirstLocation || location > kBankLastLocation) return false;
  if (path.empty() || path.size() >= static_cast<size_t>(kBankPathSize)) return false;
  if (category < kCategoryNone || category > kCategoryEwi) return false;
  BankEntry& e = mEntries[static_cast<size_t>(location)];
  const BankEntry before = e;
  if (!SetName(location, name))
  {
    e = before;
    return false;
  }
  e.empty = 0;
  e.category = category;
  CopyField(e.path, path);
  ++mRevision;
  return true;
}

bool BankList::SetName(int location, const std::string& name)
{
  if (location < kBankFirstLocation || location > kBankLastLocation) return false;
  std::string safe = name.substr(0, name.find('\0'));
  std::replace(safe.begin(), safe.end(), '/', '_');
  safe = FitBankName(safe);
  // 32 characters of any width and their row text of 32 characters fit
  // their fields whole: a name is cut only at its 33rd character.
  const std::string display = BankDisplayName(safe);
  BankEntry& e = mEntries[static_cast<size_t>(location)];
  CopyField(e.name, safe);
  CopyField(e.display, display);
  ++mRevision;
  return true;
}

void BankList::RemoveProgram(int location)
{
  if (location < kBankFirstLocation || location > kBankLastLocation) return;
  BankEntry& e = mEntries[static_cast<size_t>(location)];
  const int32_t category = e.category;
  MakeEmpty(e);
  e.category = category;
  ++mRevision;
}

int BankList::FirstSelectedRow() const
{
  for (int n = kBankFirstLocation; n <= kBankLastLocation; ++n)
    if (mEntries[static_cast<size_t>(n)].selected) return n;
  return -1;
}

int BankList::FindLastSelectedLocation() const
{
  for (int n = kBankLastLocation; n >= kBankFirstLocation; --n)
    if (mEntries[static_cast<size_t>(n)].selected) return n;
  return -1;
}

int BankList::SelectedCount() const
{
  int count = 0;
  for (int n = kBankFirstLocation; n <= kBankLastLocation; ++n)
    count += mEntries[static_cast<size_t>(n)].selected ? 1 : 0;
  return count;
}

void BankList::ClearRowSelections()
{
  for (BankEntry& e : mEntries) e.selected = 0;
}

void BankList::SelectOnly(int location)
{
  ClearRowSelections();
  if (location >= kBankFirstLocation && location <= kBankLastLocation)
    mEntries[static_cast<size_t>(location)].selected = 1;
}

bool BankList::AnyProgram() const
{
  for (int n = kBankFirstLocation; n <= kBankLastLocation; ++n)
    if (!mEntries[static_cast<size_t>(n)].empty) return true;
  return false;
}

std::vector<int> BankList::RemoveSelectedPrograms()
{
  std::vector<int> rows;
  for (int n = kBankFirstLocation; n <= kBankLastLocation; ++n)
  {
    if (!mEntries[static_cast<size_t>(n)].selected) continue;
    RemoveProgram(n);
    rows.push_back(n);
  }
  return rows;
}

std::vector<int> BankList::MoveProgramEntries(int destination) { return MoveOrCopy(destination, true); }

std::vector<int> BankList::CopyProgramEntries(int destination) { return MoveOrCopy(destination, false); }

std::vector<int> BankList::MoveOrCopy(int destination, bool move)
{
  std::vector<int> rows;
  const int first = FirstSelectedRow();
  if (first < 0 || destination < kBankFirstLocation || destination > kBankLastLocation) return rows;

  // staying[n]: the selected program at n does not go anywhere (its target
  // is itself or past 99). A mover still lands on such a location: the
  // program there is replaced, as on any other target.
  std::array<bool, kBankSize> staying{};
  std::vector<int> sources;
  for (int s = first; s <= kBankLastLocation; ++s)
  {
    if (!mEntries[static_cast<size_t>(s)].selected) continue;
    sources.push_back(s);
    const int t = destination + (s - first);
    if (t > kBankLastLocation || t == s) staying[static_cast<size_t>(s)] = true;
  }

  const std::array<BankEntry, kBankSize> snapshot = mEntries;
  for (int s : sources) mEntries[static_cast<size_t>(s)].selected = 0;
  if (move)
  {
    for (int s : sources)
    {
      if (staying[static_cast<size_t>(s)]) continue;
      MakeEmpty(mEntries[static_cast<size_t>(s)]);
      rows.push_back(s);
    }
  }
  for (int s : sources)
  {
    if (staying[static_cast<size_t>(s)]) continue;
    const int t = destination + (s - first);
    BankEntry& target = mEntries[static_cast<size_t>(t)];
    const uint8_t selected = target.selected;
    target = snapshot[static_cast<size_t>(s)];
    target.selected = selected;
    rows.push_back(t);
  }
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  if (!rows.empty()) ++mRevision;
  return rows;
}

std::vector<int> BankList::ExchangeProgramEntries(int destination)
{
  std::vector<int> rows;
  const int first = FirstSelectedRow();
  if (first < 0 || first == destination || destination < kBankFirstLocation ||
      destination > kBankLastLocation)
    return rows;
  for (int s = first; s <= kBankLastLocation; ++s)
  {
    BankEntry& source = mEntries[static_cast<size_t>(s)];
    if (!source.selected) continue;
    if (s == destination && s != first) break;
    source.selected = 0;
    const int t = destination + (s - first);
    if (t > kBankLastLocation) continue;
    // The selection belongs to the row, not to the program.
    BankEntry& target = mEntries[static_cast<size_t>(t)];
    const uint8_t targetSelected = target.selected;
    std::swap(source, target);
    source.selected = targetSelected;
    target.selected = 0;
    rows.push_back(s);
    rows.push_back(t);
  }
  if (!rows.empty()) ++mRevision;
  return rows;
}

int BankDropLocation(double x, double y)
{
  if (x < 309 || y < 109) return 0;
  // Past the last column or row the mouse still means the last one.
  const int column = std::min(static_cast<int>(std::min((x - 308) / 812, 1.0) * 10), 9);
  const int row = std::min(static_cast<int>(std::min((y - 108) / 680, 1.0) * 10), 9);
  return column + 10 * row;
}
