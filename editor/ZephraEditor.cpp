// The editor object's construction: the model's steps, then the GUI, then
// the program state, which needs the handler and the panels in place.
#include "editor/ZephraEditor.h"

ZephraEditor::ZephraEditor(const IUnitInstanceInfo& info, const ZephraEditorSetup& setup)
  : ZephraModel(info, setup)
{
  // The graphics object, the resize manager and the panels. Until the
  // panels are built here by default, only a supplied builder makes a GUI.
  if (setup.buildGui) setup.buildGui(*this);
  InitProgramState();
  // The manager's browser opens on the program folder, its sub-panels shut.
  if (!ProgramFolder().empty())
  {
    ListDirectory(ProgramFolder());
    CloseSubPanels();
  }
  SetParameterFromGUI2(kParamMidiChannel, mKbdMidiChannel);
}

ZephraEditor::~ZephraEditor()
{
  // The timer thread calls into this object; it must stop while the whole
  // object still stands.
  DestroyEditor();
  // A control going away may still send (the on-screen keyboard ends its
  // note): the MIDI output and the model must outlive the GUI.
  CloseGraphics();
}
