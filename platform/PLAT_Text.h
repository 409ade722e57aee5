// Fonts and lines of text for the window layer: fonts by face name, their
// metrics, laying out a text in lines and drawing a line onto a canvas.
//
// The real engine rests on the platform's text layout with fontconfig; it
// loads the application's font configuration ("fonts/fonts.conf" in the
// resources folder, PLAT_GetResourcesDir) on first use, so that every machine resolves the face names the program asks
// for ("Monaco", the label face) to the same shipped fonts and measures text
// the same. Sizes are in pixels (one point is one pixel at scale 1).
//
// A test may install an engine of its own (PLAT_SetTextEngine). Engines,
// fonts and layouts are used from one thread at a time; the real engine takes
// a lock of its own around the shared font machinery.
#pragma once

#include "platform/PLAT_Canvas.h"

#include <cstddef>
#include <memory>
#include <string>

// The face the window layer falls back to, in a font configuration that maps
// it to the shipped sans-serif face.
constexpr const char* PLAT_LABEL_FACE = "Lucida Grande";

struct PLAT_FontMetrics
{
  double ascent = 0;   // above the baseline, positive
  double descent = 0;  // below the baseline, positive
  double leading = 0;  // extra space the font asks for between lines
};

struct PLAT_LineMetrics
{
  double width = 0;  // typographic advance of the whole line
  double ascent = 0;
  double descent = 0;
  double leading = 0;
};

class PLAT_TextLayout
{
public:
  virtual ~PLAT_TextLayout() = default;

  // At least 1; a text of n line feeds has n + 1 lines.
  virtual int GetLineCount() const = 0;
  // Zero metrics for an index out of range.
  virtual PLAT_LineMetrics GetLine(int index) const = 0;
  // Draws line index in color with its left end at x and its baseline at y.
  virtual void DrawLine(PLAT_Canvas* canvas, int index, double x, double baseline, PLAT_Color color) const = 0;
};

class PLAT_Font
{
public:
  virtual ~PLAT_Font() = default;

  virtual PLAT_FontMetrics GetMetrics() const = 0;
  // The full name of the face that draws this font, such as "DejaVu Sans Bold".
  virtual std::string GetDisplayName() const = 0;
  virtual double GetSize() const = 0;
  // Lays out len bytes of UTF-8 text, which must be valid; each line feed
  // starts a new line. Null only when memory runs out.
  virtual std::unique_ptr<PLAT_TextLayout> Layout(const char* utf8, size_t len, PLAT_Antialias aa) const = 0;
};

class PLAT_TextEngine
{
public:
  virtual ~PLAT_TextEngine() = default;

  // The name of the face that a face name such as "Monaco Bold Italic"
  // resolves to (family and style words), for CreateFont; false when the
  // engine cannot tell.
  virtual bool ResolveFaceName(const char* requested, std::string* resolved) = 0;
  // A font of the named face (family followed by style words) at size
  // pixels; null when there is no such face.
  virtual std::unique_ptr<PLAT_Font> CreateFont(const char* face, double size) = 0;
  // The label face at size pixels; null only when memory runs out.
  virtual std::unique_ptr<PLAT_Font> CreateLabelFont(double size) = 0;
  // The label face at 10 pixels, owned by the engine.
  virtual const PLAT_Font* GetDefaultFont() = 0;
};

// Loads the application's font configuration once; later calls return the
// first result. False when the file is missing or does not parse: the
// system's configuration is then used as it is. Any thread.
bool PLAT_InitText();

// Does ahead, on any thread, what the first texts of face (as CreateFont
// takes it, before resolving) at each of the sizes would do on the thread
// that draws them: reads the application's font configuration, loads the
// faces and renders each byte of text (ASCII) as a glyph of its own, with
// smooth edges. Texts drawn afterwards come out the same, sooner. It does
// not make the configuration current: that still happens at the first text
// asked for.
// Does nothing while a test's engine is installed.
void PLAT_WarmText(const char* face, const double* sizes, size_t count, const char* text);

// The engine in use: the real one unless a test installed another.
PLAT_TextEngine* PLAT_GetTextEngine();

// Installs engine (null puts the real one back) and returns the one that was
// in use. For tests; fonts made by an engine must not outlive it.
PLAT_TextEngine* PLAT_SetTextEngine(PLAT_TextEngine* engine);
