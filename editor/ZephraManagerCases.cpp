// The program manager's actions on its buttons and lists (307..340), which
// run before the rest of the handler while the manager is shown.
#include "editor/ZephraEditor.h"

bool ZephraEditor::RunManagerAction(int /*paramIndex*/)
{
  return false;
}
