// ZephraUndoStore: the undo steps of the program being edited. Each step is
// a whole program record (184 values, record encoding); a drag of one
// control is one step, because changes with the same group key overwrite
// the current step instead of opening a new one.
//
// The history is bounded: past kMaxSteps steps, each new step takes the
// place of the oldest one. A controller that sends for hours (automation,
// a knob moved slower than any pause) would otherwise hold a step per
// message until the editor quits. A reset gives the memory of the old
// history back.
//
// The store only keeps records: building the working record from the
// parameters and recalling a step into them is the model's work.
// Threads: used under the plug-in mutex only.
#pragma once

#include "synth/ZephraTables.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

class ZephraUndoStore
{
public:
  using ProgramValues = std::array<int32_t, kProgramSize>;
  // At most this many steps are kept (736 KB of records).
  static constexpr int kMaxSteps = 1000;

  // The working record: the next snapshot, filled before Push, Store or Step.
  ProgramValues& Record() { return mUndoRecord; }
  const ProgramValues& Record() const { return mUndoRecord; }

  // No steps at all (before the first program is in the editor); the
  // memory of the steps before is given back.
  void Clear();
  // program becomes the working record and the only step; the memory of
  // the steps before is given back.
  void Reset(const ProgramValues& program);
  // Appends the working record after the current step, dropping the steps
  // that redo would have reached; with kMaxSteps steps kept, the oldest
  // one goes.
  void Push();
  // Overwrites the current step with the working record (appends it to an
  // empty store), dropping the redo steps as Push does.
  void Store();
  // Push when groupKey differs from the key of the last Step, else Store.
  void Step(int groupKey);
  // The next Step opens a step of its own, whatever its key; an action
  // that pushed a step of its own ends with it.
  void EndGroup() { mUndoGroup = -1; }
  // Moves to the previous step, staying on the first.
  void Back();
  // Moves to the next step; false on the last one.
  bool Forward();

  int Position() const { return mUndoPos; }
  int Count() const { return mCount; }
  // The step at Position; only valid while Count() > 0.
  const ProgramValues& Current() const { return At(mUndoPos); }
  // The steps the store has memory for: what it holds, whatever Count says.
  size_t Capacity() const { return mSnapshots.capacity(); }

private:
  void DropRedoSteps();
  // Step index 0..Count() - 1, oldest first, in the ring of mSnapshots.
  const ProgramValues& At(int index) const { return mSnapshots[Slot(index)]; }
  size_t Slot(int index) const { return (mFirst + static_cast<size_t>(index)) % mSnapshots.size(); }

  ProgramValues mUndoRecord{};
  // Grows to kMaxSteps, then is used as a ring: mFirst is the oldest step's
  // slot. Slots past Count() hold dropped redo steps, overwritten next.
  std::vector<ProgramValues> mSnapshots;
  size_t mFirst = 0;
  int mCount = 0;
  int mUndoPos = 0;
  int mUndoGroup = -1;  // no step recorded yet
};
