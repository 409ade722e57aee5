// IKeyboardControl: the five-octave piano keyboard at the bottom of the
// editor window. A click or a drag over a key plays its note on the synth
// (key k is note 24 + k, keys 0..59), louder the further down the key is
// hit; the release ends it. Every key held on the controller keyboard is
// lit as well.
//
// Artwork: the key strip shows one octave per frame, frame k + 1 with key k
// (0..11) lit; the octave bitmap is the unlit octave. Both are records of
// the surface's bitmap cache, shared and never owned. The octave width is
// the key strip's width, read afresh at every lookup and draw, so a rescale
// of the artwork never leaves a stale width behind.
//
// Notes go out through the model's SendNote, which reads the velocity from
// the panels' KeyboardVelocity: the panels answer it with VelocityFraction.
// Whatever note sounds is ended on the release, wherever it happens, when
// the surface takes the capture away and when the control is deleted.
//
// Threads: mouse input and drawing on the GUI thread. The held notes are
// read without the plug-in mutex: the keyboard thread, holding the mutex,
// marks this control dirty (through the panels' HeldNoteChanged), so Draw,
// which runs under the change lock, must never wait for the mutex.
#pragma once

#include "graphics/controls/IControl.h"

#include <atomic>

class ZephraModel;

class IKeyboardControl : public IControl
{
public:
  static constexpr int kLeft = 316;
  static constexpr int kTop = 728;
  static constexpr int kOctaves = 5;
  static constexpr int kLowestNote = 24;
  static constexpr int kHighestKey = 59;
  static constexpr int kNoKey = -100;

  // Five octaves of the key strip's width and one frame of it high, with
  // (x, y) the top-left corner; a double click plays as a single click.
  // The GUI build passes LoadIBitmap(104, "img/orig/keys-2x.png", 12) and
  // LoadIBitmap(105, "img/orig/bgkb-2x.png") and attaches the result.
  IKeyboardControl(ZephraModel* model, IBitmap* keys, IBitmap* octave, int x = kLeft, int y = kTop);
  // Ends the note that still sounds; the model must still stand.
  ~IKeyboardControl() override;

  // ---- mouse ----
  // The left button plays the key under (x, y); a drag moves the note from
  // key to key. Right clicks, places between keys and the key already
  // pressed send nothing.
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  // Ends the sounding note, wherever the release is.
  void OnMouseUp(int x, int y, IMouseMod* mod) override;
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
  void OnMouseWheel(int x, int y, IMouseMod* mod, int d) override;
  void OnMouseCaptureLost() override;

  // ---- drawing ----
  bool Draw(IGraphics* graphics) override;
  // The GUI scale, by which the black keys' size and the key offsets grow.
  void AfterGUIResize(double ratio) override;
  // The unlit octave, or the octave with keyInOctave (0..11) lit, into rect.
  virtual void DrawKey(IGraphics* graphics, const IRECT& rect, int keyInOctave, bool background);

  // ---- lookup ----
  // The key 0..59 at (x, y) of the target rectangle, -1 outside it; a black
  // key wins over the white key under it. Sets the velocity fraction: 0 at
  // the top of the key, 1 from nine tenths of its height down.
  int GetKeyAt(int x, int y);
  // The last lookup's velocity fraction, 0..1. Any thread.
  double VelocityFraction() const { return mVelocity.load(std::memory_order_relaxed); }

private:
  // Sends the note off of the sounding key, if any, and returns to idle.
  void EndNote();
  IRECT OctaveRect(const IRECT& r, int octave) const;

  ZephraModel* mModel;  // not owned
  IBitmap* mKeys;       // not owned
  IBitmap* mOctave;     // not owned
  // GUI thread, under the change lock. The pressed key is the one the mouse
  // lights (-1: none, or its note is held on the controller keyboard, which
  // lights it anyway); the sounding key's note is the one to end.
  int mPressedKey = -1;
  int mSoundingKey = kNoKey;
  double mScale = 1.0;
  std::atomic<double> mVelocity{0.0};
};
