// The undo steps of the program being edited.
#include "synth/ZephraUndoStore.h"

#include <algorithm>

void ZephraUndoStore::Clear()
{
  mUndoSnapshots.clear();
  mUndoPos = 0;
  mUndoGroup = -1;
}

void ZephraUndoStore::Reset(const ProgramValues& program)
{
  mUndoRecord = program;
  mUndoSnapshots.assign(1, mUndoRecord);
  mUndoPos = 0;
  mUndoGroup = -1;
}

void ZephraUndoStore::DropRedoSteps()
{
  if (mUndoPos < Count() - 1) mUndoSnapshots.resize(mUndoPos + 1);
}

void ZephraUndoStore::Push()
{
  DropRedoSteps();
  mUndoSnapshots.push_back(mUndoRecord);
  mUndoPos = Count() - 1;
}

void ZephraUndoStore::Store()
{
  DropRedoSteps();
  if (mUndoSnapshots.empty())
    mUndoSnapshots.push_back(mUndoRecord);
  else
    mUndoSnapshots[mUndoPos] = mUndoRecord;
}

void ZephraUndoStore::Step(int groupKey)
{
  if (groupKey == mUndoGroup)
  {
    Store();
    return;
  }
  Push();
  mUndoGroup = groupKey;
}

void ZephraUndoStore::Back()
{
  mUndoPos = std::max(0, mUndoPos - 1);
}

bool ZephraUndoStore::Forward()
{
  if (mUndoPos >= Count() - 1) return false;
  ++mUndoPos;
  return true;
}
