// FLEXI range learn and the FLEXI list view: the learnt target's range
// pair, the LEARN and CLEAR buttons, the range and polarity captions and
// the paged lists of sources and range controls.
//
// What stands here is how each of these ends its handling; the panel work
// (range pair, lamps, lists) comes with the FLEXI view of the panels.
#include "editor/ZephraEditor.h"

namespace {

using CaseEnd = ZephraEditor::CaseEnd;

}  // namespace

void ZephraEditor::ArrangeFlexiTarget(int /*slot*/, int /*r*/, int /*v*/) {}

CaseEnd ZephraEditor::OnFlexiPolarity(int /*r*/, int /*v*/)
{
  return CaseEnd::kRecord;
}

CaseEnd ZephraEditor::OnFlexiRange(int /*r*/, int /*v*/)
{
  return CaseEnd::kRecord;
}

// The buttons act on release; the press is noted as unknown, so a second
// press right after the first is handled too.
CaseEnd ZephraEditor::OnFlexiLearnOrClear(int r, int /*v*/)
{
  return GetParam(r)->Value() > 0.5 ? CaseEnd::kPressed : CaseEnd::kTail;
}

// Press and release both show the list, and both are recorded as they are.
CaseEnd ZephraEditor::OnShowFlexiList(int /*r*/, int /*v*/)
{
  return CaseEnd::kRecord;
}

// The same row may be chosen again at once.
CaseEnd ZephraEditor::OnFlexiListPage(int /*r*/, int /*v*/)
{
  return CaseEnd::kPressed;
}

CaseEnd ZephraEditor::OnCloseFlexiList(int /*r*/, int /*v*/)
{
  return CaseEnd::kRecord;
}
