// The undo steps of the program being edited.
#include "synth/ZephraUndoStore.h"

#include <algorithm>

void ZephraUndoStore::Clear()
{
  // clear() would keep the capacity: a new vector gives it back.
  std::vector<ProgramValues>().swap(mSnapshots);
  mFirst = 0;
  mCount = 0;
  mUndoPos = 0;
  mUndoGroup = -1;
}

void ZephraUndoStore::Reset(const ProgramValues& program)
{
  mUndoRecord = program;
  std::vector<ProgramValues>(1, mUndoRecord).swap(mSnapshots);
  mFirst = 0;
  mCount = 1;
  mUndoPos = 0;
  mUndoGroup = -1;
}

void ZephraUndoStore::DropRedoSteps()
{
  if (mUndoPos < mCount - 1) mCount = mUndoPos + 1;
}

void ZephraUndoStore::Push()
{
  DropRedoSteps();
  if (static_cast<size_t>(mCount) < mSnapshots.size())
  {
    mSnapshots[Slot(mCount)] = mUndoRecord;
    ++mCount;
  }
  else if (mSnapshots.size() < static_cast<size_t>(kMaxSteps))
  {
    // Not yet a ring (mFirst is 0): the vector grows, doubling as usual
    // but never past kMaxSteps.
    if (mSnapshots.size() == mSnapshots.capacity())
      mSnapshots.reserve(std::min(std::max<size_t>(2 * mSnapshots.capacity(), 1), static_cast<size_t>(kMaxSteps)));
    mSnapshots.push_back(mUndoRecord);
    ++mCount;
  }
  else
  {
    // Full: the oldest step's slot takes the new one, which the ring then
    // reads as the last.
    mSnapshots[mFirst] = mUndoRecord;
    mFirst = (mFirst + 1) % mSnapshots.size();
  }
  mUndoPos = mCount - 1;
}

void ZephraUndoStore::Store()
{
  DropRedoSteps();
  if (mCount == 0)
    Push();
  else
    mSnapshots[Slot(mUndoPos)] = mUndoRecord;
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
  if (mUndoPos >= mCount - 1) return false;
  ++mUndoPos;
  return true;
}
