// BankList: the program manager's 99 synth locations, each holding at most
// one program -- a ".pr3"/".prg" file of a folder or an "https://" address of
// the program database. The location is the index; entry 0 exists and is
// never shown, selected or written.
//
// This holds the list and the operations that change it, without any panel:
// the operations return the rows whose cells must be redrawn, and the editor
// passes them on to the manager panel.
//
// Threads: none of its own; the editor calls it with the plug-in mutex held.
#pragma once

#include "core/Utf8Text.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

constexpr int kBankSize = 100;
constexpr int kBankFirstLocation = 1;
constexpr int kBankLastLocation = 99;
constexpr int kBankPathSize = 256;   // bytes with the terminating NUL
constexpr int kBankNameMaxChars = 32; // characters a name or display may hold
// Room for the longest name in any script: 32 characters of up to four
// bytes each, and the terminating NUL.
constexpr int kBankNameSize = 4 * kBankNameMaxChars + 1;
constexpr int kBankNameFieldChars = 30;

// Category types; 0 only on an empty location.
enum BankCategory : int32_t
{
  kCategoryEmpty = 0,
  kCategoryNone = 1,
  kCategoryBass = 2,
  kCategoryGuitar = 3,
  kCategoryMidi = 4,
  kCategoryFx = 5,
  kCategoryEwi = 6,
};

struct BankEntry
{
  uint8_t empty = 1;    // 1: no program at this location
  uint8_t selected = 0; // 1: the row is selected
  int32_t category = kCategoryEmpty;
  char path[kBankPathSize] = {};  // folder + file name, or an "https://" address
  char name[kBankNameSize] = {};  // at most 32 characters used
  char display[kBankNameSize] = {}; // the name broken into lines for the row
};

// ---- names ----

// What a program file's name says about its place in the bank.
struct BankFileName
{
  int location = 0;
  int32_t category = kCategoryNone;
  std::string name;
};

// Reads a program file's name, by the one rule every reader of a folder
// uses (the folder load, the bank's save, the single and the bank write):
// the first two characters, read as a decimal number, are the location, and
// a file whose two give no location 1..99 is no bank entry (false). The
// rest of the name up to its last "." loses the tag "_BASS_", "_GTR_",
// "_MIDI_", "_FX_" or "_EWI_" right after the two (none: category 1) and
// then one leading "_", and is cut to fit an entry: "01INIT.pr3" is INIT
// at 1, "20_80s Brass.pr3" "80s Brass" at 20, "7 Pad.pr3" "Pad" at 7,
// "100 Voices.pr3" "0 Voices" at 10, "07.pr3" unnamed at 7.
[[nodiscard]] bool ParseBankFileName(const char* fileName, BankFileName& out);

// The name a program file goes to the synth under: the name the library
// shows, with its category tag kept in front so that the category comes back
// with the program ("01INIT.pr3" INIT, "12_BASS_Deep.pr3" BASS_Deep,
// "02_01_A.pr3" 01_A); a file without a location keeps its whole name. Cut
// as a bank entry's name is.
std::string SynthNameOfFile(const std::string& fileName);

// Category and name of a program file sent to the bank from the browser,
// whatever location it lands on: as ParseBankFileName when the name gives a
// location; otherwise a tag is looked for at the start of the name, and the
// rest up to the last "." is the name.
void BankNameOfFile(const std::string& fileName, int32_t& category, std::string& name);

// The location prefix a name received from the synth may carry, as the
// library's own files put it before a name they hand to the synth: a
// location number (1..99, in one or two digits) followed by "_", which may
// begin a category tag ("07_Deep", "07_BASS_Deep"), or location's own number
// alone ("07"). Its number of digits; 0 when text does not start with one.
// Other leading digits belong to the program's own name ("80s Brass",
// "5th Lead", "3 Osc Bass").
size_t BankLocationPrefix(const std::string& text, int location);

// The bank entry of a program received from the synth's location: the
// dump's own location, whatever its name says; a location prefix
// (BankLocationPrefix) and the tag after it taken off ("12_BASS_Deep":
// BASS, "Deep"), as a tag without its "_" at the start, as the library
// sends it ("BASS_Deep": BASS, "Deep"); any other name whole ("80s Brass",
// "7th Heaven"); and
// fileName its own file for that location, the canonical
// "%02d_[TAG_]name.pr3" ("20_80s Brass.pr3"), which ParseBankFileName reads
// back as the same entry, and so that two locations of one name never
// share a file. False for a location outside 1..99.
[[nodiscard]] bool BankEntryOfDump(const std::string& dumpName, int location, BankFileName& out,
                                   std::string& fileName);

// The file the menu's save-all keeps the program of the synth's location in
// (the folder is the user's, not the manager's): the canonical name of its
// whole name without a category, as MakeBankFileName makes it ("05_80s
// Brass.pr3", "01_01_A.pr3", "07_.pr3"; "03BASS_Deep.pr3"), so that every
// location has a file of its own, which ParseBankFileName reads back as
// that location and name. A name no file can carry (".", "..") leaves it
// unnamed. False for a location outside 1..99.
[[nodiscard]] bool SavedProgramFileName(const std::string& dumpName, int location, std::string& fileName);

// The text a row shows for a name: names of 13 characters or more are
// broken into two or three lines at "_" or a blank from the fifth character
// on, else after 12 and 25 characters; at most 32 characters. Counts and
// cuts whole UTF-8 characters. Touches no file.
std::string BankDisplayName(const std::string& name);

// The export file name of a program: "%02d_%s.pr3" with the category's tag
// ("07_BASS_Deep.pr3", an unnamed program "07_.pr3"); every "/" of the name
// becomes "_". A name without a category that begins like a tag follows
// the digits at once ("07BASS_Deep.pr3"), so that it reads back whole.
// False for a location outside 1..99, a name "." or "..", or a result that
// does not fit a path field.
[[nodiscard]] bool MakeBankFileName(int location, int32_t category, const std::string& name,
                                    std::string& fileName);

// The bank location under a drop at (x, y) in base units: the rows' area
// starts at (309, 109), 10 columns over 812 units and 10 rows over 680,
// column and row each held to 0..9. 0 outside the area or on location 0,
// which no row shows.
int BankDropLocation(double x, double y);

// ---- the list ----

class BankList
{
public:
  BankList() = default;

  BankEntry& operator[](int location) { return mEntries[static_cast<size_t>(location)]; }
  const BankEntry& operator[](int location) const { return mEntries[static_cast<size_t>(location)]; }

  // Counts the changes of the programs the list holds (their places,
  // names and categories through the operations below; not the selection):
  // equal counts mean an unchanged bank.
  unsigned Revision() const { return mRevision; }

  // Every entry empty and unselected (categories 0).
  void Clear();
  // Stores a program at location: false, with the entry unchanged, when the
  // location is outside 1..99 or path or name do not fit.
  [[nodiscard]] bool SetProgram(int location, const std::string& path, int32_t category,
                                const std::string& name);
  // Name and its display text; a longer name is cut to 32 characters, and
  // on a character boundary until it and its display text fit their fields.
  // "/" never reaches a name: it becomes "_". False (unchanged) for a
  // location outside 1..99.
  [[nodiscard]] bool SetName(int location, const std::string& name);
  // Empties one location; its category and selection stay.
  void RemoveProgram(int location);

  // ---- selection ----
  int FirstSelectedRow() const;          // lowest selected location, or -1
  int FindLastSelectedLocation() const;  // highest, or -1
  int SelectedCount() const;
  void ClearRowSelections();
  void SelectOnly(int location);
  bool AnyProgram() const;

  // ---- operations on the selection; each returns the rows to redraw ----
  // Empties every selected location; the selection stays.
  std::vector<int> RemoveSelectedPrograms();
  // Moves or copies the selected programs so that the first lands on
  // destination, keeping their spacing. Every moving program is read before
  // any target is written, so a target that is itself a source gets its new
  // program, never loses it. A program whose target is past 99 stays where
  // it is, unless another moving program lands there. The selection is
  // cleared.
  std::vector<int> MoveProgramEntries(int destination);
  std::vector<int> CopyProgramEntries(int destination);
  // Exchanges the selected programs with those at destination and after it,
  // one pair after another, stopping at the destination itself.
  std::vector<int> ExchangeProgramEntries(int destination);

private:
  std::vector<int> MoveOrCopy(int destination, bool move);

  std::array<BankEntry, kBankSize> mEntries{};
  unsigned mRevision = 0;
};
