// ZephraPanels: the editor's panels as the sound model sees them. It builds
// the controls of a look from its table (ZephraSkinBuild.cpp), keeps the
// references the later reactions need (captions, plates, FLEXI pairs and
// lamps, the special sliders, file selectors, EQ graph, about overlay) and
// carries out the panel operations: the effect panels, the FLEXI list
// views, the synced ranges and the EQ graph (ZephraPanels.cpp).
//
// Threads: every operation runs with the plug-in mutex held, on whichever
// thread changed the parameter; the controls take their own change locks.
// The graphics object owns the controls; the references here never own.
#pragma once

#include "editor/ZephraSkin.h"
#include "synth/ZephraPanelLink.h"
#include "synth/ZephraParams.h"

#include <array>

class IBitmapOverlayControl;
class IControl;
class IFileSelectorControl;
class IGraphics;
class IKeyboardControl;
class IKnobMultiControl;
class IParaGraphicEq;
class ITextControl;
class ZephraEditor;

// Looks, as settings.ini [gui] "background" chooses them.
enum ZephraSkinNumber : int
{
  kSkinSpace = 0,  // classic, space background
  kSkinSolid = 1,  // classic, plain background
  kSkinLcd = 2,
};

class ZephraPanels : public ZephraPanelLink
{
public:
  ZephraPanels(ZephraEditor& editor, IGraphics& gui);

  // ---- the build (ZephraSkinBuild.cpp) ----
  // Attaches the look's controls: skin 0 or 1 the classic table showing the
  // space or the plain background, skin 2 the classic table with the LCD
  // changes.
  void BuildSkin(int skin);
  // Tool tips of every control by its parameter, then the file selectors'.
  void SetTooltips();
  // The on-screen keyboard (IKeyboardControl, its own place and artwork)
  // and the about overlay (an unbound overlay at (70, 0)); attached.
  void AttachKeyboard();
  void AttachAbout();

  // ---- the model's link ----
  void SetValueCaption(int programIndex, const char* text) override;
  void SetNameDisplay(const char* text) override;
  std::string NameDisplayText() const override;
  void HideParamControl(int paramIndex, bool hide) override;
  bool IsParamControlHidden(int paramIndex) const override;
  void GrayOutParamControl(int paramIndex, bool gray) override;
  void HideValueCaption(int programIndex, bool hide) override { HideCaption(programIndex, hide); }
  void SetFlexiSlotTargeted(int slot, bool targeted) override;
  void PlaceFlexiRangeControls(int slot, int programIndex) override;
  void ShowEffectPanelsForProgram(bool afterRecall) override;
  void SetLastSelectedProgramFile(const char* path) override;
  void SetProgramSelectorsFile(const char* path) override;
  bool IsMidiSyncKnobHeld() const override;
  int ShowMessageBox(const char* text, const char* caption, int type) override;
  std::string PromptForSaveFile(const char* proposedPath) override;
  bool IsFlexiCopyMode() const override { return mFlexiCopyMode; }
  bool IsEqGraphView() const override { return !mEqParametric; }
  void UpdateEqGraphFromProgram() override;
  void SetEqGraphShown(bool shown) override { mEqParametric = !shown; }
  void HeldNoteChanged(int note) override;
  double KeyboardVelocity() const override;

  // ---- panel operations ----
  // Each hides (true) or shows (false) a panel with its values' controls
  // and captions; on showing, a value a FLEXI slot targets keeps its knob
  // hidden and shows the slot's range pair instead.
  void HideModFxPanel(bool hide);
  void HideOverdrivePanel(bool hide);
  void HideEqualizerPanel(bool hide);
  // The graph, the "Equalizer ON/OFF" knob, the blends and view switches;
  // the band knobs are left alone.
  void HideParagraphicEqPanel(bool hide);
  // The FLEXI list views: the close area, the list's background, the four
  // pages; the range list also the open slot's polarity switch.
  void HideFlexiSourceList(bool hide);
  void HideFlexiRangeList(bool hide);
  // Hides or shows the range pairs of every slot targeting programIndex;
  // true when a slot does.
  bool HideLearnedRangeControls(int programIndex, bool hide);
  // "VCO4 PWM LFO frq" 1..12 when synced, else 1..127, with its slider's
  // steps, and the first slot targeting it alike.
  void SetPwmLfoRangeMode(bool synced) override;
  // "Delay1" and "Delay2": mode 0 both 0..127, 1 Delay1 0..9, 2 both 0..9.
  void SetDelayRangeMode(int mode) override;
  // The four graph bands from parameters 161..172; shows the graph.
  void UpdateEqGraphFromParams();
  void SetFlexiCopyMode(bool flexi) { mFlexiCopyMode = flexi; }
  bool EqParametric() const { return mEqParametric; }
  void SetEqParametric(bool on) { mEqParametric = on; }

  // A value learn can give a slot (not a FLEXI value, not a composite
  // half 170..182) with a knob of its own at an anchor: only such a value
  // has a range pair standing over it.
  static bool RangePairCanCover(int programIndex);

  // ---- references ----
  int Skin() const { return mSkin; }
  IControl* Ref(SkinRef ref) const { return mRefs[static_cast<int>(ref)]; }
  // The value caption of a program value, null when it has none.
  ITextControl* Caption(int programIndex) const;
  IKnobMultiControl* RangeSlider(int param) const;
  IControl* LearnLamp(int slot) const { return mLamps[slot]; }
  ITextControl* FlexiLearnText(int slot) const { return mFlexiLearn[slot]; }
  ITextControl* FlexiPlusText(int slot) const { return mFlexiPlus[slot]; }
  IBitmapOverlayControl* About() const { return mAbout; }
  IKeyboardControl* Keyboard() const { return mKeyboard; }
  IParaGraphicEq* EqGraph() const;
  // The width of the red range slider, the step from Range A to Range B.
  int RangeSliderWidth() const { return mRangeWidth; }
  IGraphics& Gui() const { return mGui; }

private:
  void Remember(const SkinRow& row, IControl* control);
  // Shows or hides one value's control and caption as the effect panels
  // do: showing keeps a learnt value's knob hidden.
  void HideValue(int param, bool hide);
  void HideCaption(int programIndex, bool hide);
  void HidePlate(SkinRef ref, bool hide);
  void SetRangeKnobs(int slot, int frames, int minValue, int maxValue, int defaultValue);
  void SetFrameCount(SkinRef ref, int frames);
  int FirstSlotTargeting(int programIndex) const;
  void SetEqBands(const int* values);  // 12 values: the band parameters 161..172 in order

  ZephraEditor& mEditor;
  IGraphics& mGui;
  int mSkin = kSkinSpace;
  int mRangeWidth = 0;
  bool mEqParametric = false;  // the graph view is on at start
  bool mFlexiCopyMode = false;
  std::array<IControl*, static_cast<int>(SkinRef::kCount)> mRefs{};
  std::array<ITextControl*, kProgramSize> mCaptions{};
  std::array<ITextControl*, 4> mFlexiPlus{};
  std::array<ITextControl*, 4> mFlexiLearn{};
  std::array<IControl*, 4> mLamps{};
  std::array<IKnobMultiControl*, 8> mRangeSliders{};
  IBitmapOverlayControl* mAbout = nullptr;
  IKeyboardControl* mKeyboard = nullptr;
};
