// ZephraLearn: MIDI learn and the controller keyboard's held notes.
//
// A controller of the keyboard can be bound to any of the first 122 program
// values (item i is program index i). Moving it then sets the value over
// kProgramMin[i]..bound, where bound is the value the control had when it
// was learnt: controller value 0 gives the minimum, 127 the bound.
//
// The learn gesture: the learn button arms; while armed, the first program
// value the user touches is the chosen item and the first controller that
// arrives is its controller, in either order; when both are known the item
// is bound and learn disarms.
//
// "midilearn.ini" (beside the settings file) keeps the table as one line per
// learnt item in item order, "%d=%d:%d\n": item, controller, bound. A line
// read from it that binds nothing (a comment, an item this editor does not
// have) is written back after them as it was, and a file that could not be
// read at all is never written over, so a save loses nothing it held.
//
// Not thread-safe: the editor calls it with the plug-in mutex held, from the
// GUI thread and the keyboard's MIDI input thread alike. The one exception
// is the held notes' reading, which any thread may do without the mutex:
// the on-screen keyboard reads them while it draws, under its control's
// change lock, and the MIDI thread takes that lock while it holds the mutex.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

class ZephraLearn
{
public:
  static constexpr int kItemCount = 122;  // program indices 0..121
  static constexpr int kNoteCount = 128;
  static constexpr int kControllerCount = 128;
  // Ours holds at most 122 short lines, but a hand-edited one may carry
  // comments and lines of its own; past this it is not a learn file, and it
  // is neither read nor written over.
  static constexpr size_t kMaxFileBytes = 8 * 1024 * 1024;

  enum class FileResult
  {
    kSaved,
    kLoaded,
    kMissing,       // no file: nothing learnt is changed
    kTooLarge,      // larger than kMaxFileBytes: not read
    kReadFailed,
    kWriteFailed,   // the old file, if any, is still in place
    kLeftAlone,     // not saved: the last load could not read the file
  };

  ZephraLearn() { Clear(); }

  // Forgets every binding and disarms; lines kept from the file stay.
  void Clear();

  // ---- the learn gesture ----
  // The learn button: arming forgets the controller and item met so far.
  void SetArmed(bool armed);
  bool Armed() const { return mArmed; }
  // While armed, the user changed program value item (0..121) to value:
  // it becomes the chosen item with value as its bound. True when a
  // controller had already arrived, so the item is now bound and learn over.
  bool ChooseItem(int item, int value);
  // While armed, controller 0..127 arrived. True when an item had been
  // chosen, so it is now bound and learn over.
  bool ReceiveController(int controller);
  // The item being learnt, -1 while none is chosen.
  int ChosenItem() const { return mChosenItem; }

  // ---- the table ----
  // -1 when item has no controller (or is not an item).
  int Controller(int item) const;
  int Bound(int item) const;
  bool NothingLearnt() const { return mNothingLearnt; }
  // Binds item to controller with bound clamped into the item's range.
  // False, and nothing changed, when item or controller is out of range.
  bool Bind(int item, int controller, int bound);
  // Item loses its controller; other numbers change nothing.
  void Unbind(int item);
  // What controller value 0..127 sets item to:
  // floor(min + (bound - min) * value / 127.0).
  int LearntValue(int item, int value) const;

  // ---- "midilearn.ini" ----
  // The bindings, then the lines kept from the last text parsed.
  std::string FormatText() const;
  // Lines end at LF, CR or both; a leading byte-order mark is skipped. Each
  // line binds its item (the number at its start, 0..121) to the controller
  // after "=" (0..127) with the bound after the last ":", blanks allowed
  // before each number. Blank lines go; every other line that binds nothing
  // is kept, in place of those kept before. Returns the number of lines bound.
  int ParseText(const std::string& text);
  // A missing file is kMissing; otherwise kLoaded once the text is parsed.
  // After kTooLarge or kReadFailed, SaveFile leaves the file alone.
  [[nodiscard]] FileResult LoadFile(const std::string& path);
  // Writes FormatText to a temporary file beside path and renames it over
  // path, so that a failed save never leaves a cut-short table behind.
  [[nodiscard]] FileResult SaveFile(const std::string& path) const;

  // ---- held notes ----
  // Note 0..127; other numbers are ignored. The count is the number of held
  // flags, so a stray note off or a repeated note on cannot skew it. One
  // writer at a time (under the mutex). True when the note's state changed.
  bool SetNoteHeld(int note, bool held);
  // Any thread, without the mutex.
  int HeldNoteCount() const { return mHeldCount.load(std::memory_order_relaxed); }
  bool IsNoteHeld(int note) const;

private:
  std::array<int16_t, kItemCount> mController{};
  std::array<int32_t, kItemCount> mBound{};
  bool mNothingLearnt = true;
  bool mArmed = false;
  int mLastController = -1;
  int mChosenItem = -1;
  std::string mKeptLines;         // each with its "\n"
  bool mLeaveFileAlone = false;   // the file there could not be read
  std::array<std::atomic<uint8_t>, kNoteCount> mHeld{};
  std::atomic<int> mHeldCount{0};
};
