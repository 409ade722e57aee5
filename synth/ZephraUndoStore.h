// ZephraUndoStore: the undo steps of the program being edited. Each step is
// a whole program record (184 values, record encoding); a drag of one
// control is one step, because changes with the same group key overwrite
// the current step instead of opening a new one.
//
// The store only keeps records: building the working record from the
// parameters and recalling a step into them is the model's work.
// Threads: used under the plug-in mutex only.
#pragma once

#include "synth/ZephraTables.h"

#include <array>
#include <cstdint>
#include <vector>

class ZephraUndoStore
{
public:
  using ProgramValues = std::array<int32_t, kProgramSize>;

  // The working record: the next snapshot, filled before Push, Store or Step.
  ProgramValues& Record() { return mUndoRecord; }
  const ProgramValues& Record() const { return mUndoRecord; }

  // No steps at all (before the first program is in the editor).
  void Clear();
  // program becomes the working record and the only step.
  void Reset(const ProgramValues& program);
  // Appends the working record after the current step, dropping the steps
  // that redo would have reached.
  void Push();
  // Overwrites the current step with the working record (appends it to an
  // empty store), dropping the redo steps as Push does.
  void Store();
  // Push when groupKey differs from the key of the last Step, else Store.
  void Step(int groupKey);
  // Moves to the previous step, staying on the first.
  void Back();
  // Moves to the next step; false on the last one.
  bool Forward();

  int Position() const { return mUndoPos; }
  int Count() const { return static_cast<int>(mUndoSnapshots.size()); }
  // The step at Position; only valid while Count() > 0.
  const ProgramValues& Current() const { return mUndoSnapshots[mUndoPos]; }

private:
  void DropRedoSteps();

  ProgramValues mUndoRecord{};
  std::vector<ProgramValues> mUndoSnapshots;
  int mUndoPos = 0;
  int mUndoGroup = -1;  // no step recorded yet
};
