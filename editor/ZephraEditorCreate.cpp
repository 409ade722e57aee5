// The editor object's constructor and destructor. They live with the panels
// because building the GUI is a step of construction; the model's own steps
// are the private set-up functions of synth/ZephraEditor.cpp.
#include "synth/ZephraEditor.h"

ZephraEditor::ZephraEditor(const IUnitInstanceInfo& info, const ZephraEditorSetup& setup)
  : IUnitStandalone(info, kParamCount, "0-1 0-2", 1, "ZephraEditor", "", "brindleaudio",
                    kBundleVersion, kUniqueID, kMfrID, 0, true, false, false),
    mPanels(std::make_unique<ZephraPanelLink>()),
    mSettingsPath((setup.settingsFolder.empty() ? DefaultSettingsFolder() : setup.settingsFolder) +
                  "/settings.ini"),
    mRunTimer(setup.runTimer),
    mSendTap(setup.sendTap)
{
  SetAllLastValues(kNoLastValue);
  ReadKbdMidiChannel();
  DefineParameters();
  // The graphics object, the resize manager and the panels. Until the
  // panels are built here by default, only a supplied builder makes a GUI.
  if (setup.buildGui) setup.buildGui(*this);
  InitProgramState();
  SetParameterFromGUI2(341, mKbdMidiChannel);
}

ZephraEditor::~ZephraEditor()
{
  // Stops the timer before anything is freed, then saves the settings.
  DestroyEditor();
}
