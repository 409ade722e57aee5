// ZephraPanelLink: what the sound model asks of the editor's panels. The
// panels are built above this library, on the GUI framework, so the model
// reaches them through this interface only; the panel code implements it
// and hands it to the editor when it builds the GUI.
//
// This base class is the state before any panel exists: every operation
// does nothing and reports nothing held, so the model runs unchanged with no
// GUI at all (captions simply have nowhere to go).
//
// Threads: called with the plug-in mutex held, on whichever thread changed
// the parameter (GUI, MIDI input or timer); the dialogs alone are called
// without it (through ZephraModel::AskUser and AskForSavePath).
#pragma once

#include <string>

class ZephraPanelLink
{
public:
  virtual ~ZephraPanelLink() = default;

  // Writes text into the value caption of a program index (0..183); values
  // without a caption control ignore it.
  virtual void SetValueCaption(int /*programIndex*/, const char* /*text*/) {}
  // The program-name display: the name, a marked name or a status text.
  virtual void SetNameDisplay(const char* /*text*/) {}
  // What the program-name display shows now ("" with no display).
  virtual std::string NameDisplayText() const { return std::string(); }
  // Hides or shows every control bound to the parameter.
  virtual void HideParamControl(int /*paramIndex*/, bool /*hide*/) {}
  // Whether the controls bound to the parameter are hidden.
  virtual bool IsParamControlHidden(int /*paramIndex*/) const { return false; }
  // Dims (gray) or restores every control bound to the parameter; a dimmed
  // control still takes the mouse.
  virtual void GrayOutParamControl(int /*paramIndex*/, bool /*gray*/) {}
  // Hides or shows the value caption of a program index (0..183).
  virtual void HideValueCaption(int /*programIndex*/, bool /*hide*/) {}
  // "MIDI Sync" re-ranges the values it turns into tempo divisions, with the
  // knobs and any FLEXI range pair learnt on them: the PWM LFO of VCO4 as
  // divisions (synced) or free; the delays free (0), "Delay1" synced (1) or
  // both synced (2).
  virtual void SetPwmLfoRangeMode(bool /*synced*/) {}
  virtual void SetDelayRangeMode(int /*mode*/) {}
  // A FLEXI slot (0..3) with or without a target: its caption reads "CLEAR"
  // or "LEARN" and its indicator is shown or hidden.
  virtual void SetFlexiSlotTargeted(int /*slot*/, bool /*targeted*/) {}
  // Moves the slot's two range controls onto the target's caption position.
  virtual void PlaceFlexiRangeControls(int /*slot*/, int /*programIndex*/) {}
  // Puts the effect panels, equaliser views and synced ranges in line with
  // the program just applied. afterRecall selects the undo-recall rules
  // (which also hide the program-location chooser).
  virtual void ShowEffectPanelsForProgram(bool /*afterRecall*/) {}
  // The file the save selector proposes next.
  virtual void SetLastSelectedProgramFile(const char* /*path*/) {}
  // The file the load, save and write selectors all start from next.
  virtual void SetProgramSelectorsFile(const char* /*path*/) {}
  // True while the user holds the "MIDI Sync" knob with the mouse.
  virtual bool IsMidiSyncKnobHeld() const { return false; }
  // A blocking message box (type as the GUI's message boxes take it);
  // returns the button pressed, 0 with no GUI. Any thread.
  virtual int ShowMessageBox(const char* /*text*/, const char* /*caption*/, int /*type*/)
  {
    return 0;
  }
  // The save selector opened on proposedPath; the chosen path, or "" when
  // cancelled or there is no GUI. GUI thread.
  virtual std::string PromptForSaveFile(const char* /*proposedPath*/) { return std::string(); }

  // ---- editing actions and the keyboard ----
  // The copy panel's mode: true copies FLEXI slots, false VCOs.
  virtual bool IsFlexiCopyMode() const { return false; }
  // The equaliser shown as the paragraphic graph rather than knobs.
  virtual bool IsEqGraphView() const { return false; }
  // Redraws the EQ graph from the equaliser values of the program record.
  virtual void UpdateEqGraphFromProgram() {}
  // Marks the paragraphic EQ display as shown (set once at start).
  virtual void SetEqGraphShown(bool /*shown*/) {}
  // Note 0..127 was pressed or let go: the on-screen keyboard redraws when
  // it shows that note.
  virtual void HeldNoteChanged(int /*note*/) {}
  // The on-screen keyboard's velocity setting, 0..1.
  virtual double KeyboardVelocity() const { return 0.0; }
};
