#include "tools/artgen/ArtGuide.h"

#include <cstdio>
#include <cstring>

const std::vector<ArtGuideSection>& ArtGuideText()
{
  static const std::vector<ArtGuideSection> kGuide = {
    {"ZephraEditor " ZEPHRA_VERSION " user guide",
     {"ZephraEditor edits the current sound of a Zephra Prime synthesizer from your computer. Every knob, "
      "slider and switch on its panels stands for one value of the synth's sound; when you move it, the new "
      "value goes to the synth at once as a MIDI NRPN controller sequence (controllers 99, 98 and 6). The "
      "editor also requests and saves programs, writes them into the synth's 99 locations, keeps banks of "
      "programs on disk and updates the synth's firmware.",
      "The editor processes no audio and opens no audio device. It needs MIDI: one output to the synth, one "
      "input from the synth and, if you like, a second input from a controller keyboard."}},
    {"Setting up",
     {"Connect the synth's MIDI input and output to your computer. Open Preferences and choose the synth's "
      "output, the synth's input and, optionally, the keyboard input. The choice is kept in \"settings.ini\" "
      "in the folder \"Library/Application Support/ZephraEditor\" of your home folder, section \"midi\".",
      "At start the editor loads the program it had when it was last closed (\"lastprogram.pr3\" in the same "
      "folder) and sends it to the synth, so the panels and the synth agree. If the synth does not answer a "
      "request within three seconds, the editor reports \"Communication error has occurred!\"."}},
    {"The panels",
     {"The window shows the synth's values in rows: the four oscillators on the left, the filter, envelopes "
      "and voice settings on the right, and the effects below them. Drag a slider up or down to change it; "
      "hold Shift for fine steps. The mouse wheel moves a slider by a hundredth of its range, or a thousandth "
      "with Control. The value under each slider is shown in the synth's own terms.",
      "The effect area shows one effect at a time: click the tabs overdrive, equalizer, chorus and delay to "
      "choose. The equalizer has a knob view and a graph view in which the four bands can be dragged.",
      "Across the top are the file buttons (load, save, write one program to the synth, write all programs of "
      "a folder), the program name, the location number and the buttons that step through the programs of "
      "the current folder. Across the bottom are the save-mode and copy buttons, the channel of the on-screen "
      "keyboard, the keyboard itself, and the random and reset buttons with the section check boxes that say "
      "which parts of the sound they touch.",
      "Three looks are offered in the View menu: Space (the default), Solid and LCD. Space and Solid apply "
      "at once. Only LCD waits for the next start, as does leaving it for Space or Solid; the editor says so "
      "when you choose. The choice is kept as the key \"background\" in section \"gui\" of \"settings.ini\"."}},
    {"FLEXI modulation",
     {"The synth has four free modulation slots, FLEXI 1 to FLEXI 4. Each slot has a source, a destination, "
      "a range, a range control and a curve. To give a slot a destination, press its LEARN button and then "
      "move the slider you want to modulate. The slider is replaced by two narrow sliders: the first sets the "
      "value itself, the second the other end of the modulation range. Press CLEAR to free the slot.",
      "Click a slot's source or range-control field to open the list of sources; click a name to choose it. "
      "Click above the list to close it without choosing. If you move nothing within ten seconds after "
      "pressing LEARN, learning ends by itself."}},
    {"Program manager",
     {"The program manager replaces the panels with a browser on the left and a bank of 99 program locations "
      "on the right. It is shown while the key \"manager\" in section \"gui\" of \"settings.ini\" is "
      "\"true\". Choose a local folder or the online program database as the browser's source, select "
      "programs and send them to the bank. A bank can be saved to and loaded from a folder, filled from the "
      "synth and written to the synth. Check boxes choose how clicks on the bank edit it, whether a removal "
      "asks first, and the category of a location; the name field renames the selected location.",
      "Writing a whole bank to the synth needs both MIDI cables: the synth confirms every program it receives."}},
    {"Menus",
     {"File: choose the program folder, load a program into the editor, save the editor's program to a file, "
      "write a program file to the synth, write all programs of a folder to the synth, save one or all "
      "programs from the synth to files, and update the synth's firmware from a firmware file.",
      "Help: this user guide, the program database's web site and the About panel."}},
    {"MIDI learn",
     {"Controllers from a keyboard connected to the second input can move the synth's values. The editor "
      "keeps the table of learnt controllers in \"midilearn.ini\" beside its settings: each entry binds a "
      "controller number to a value, which then follows the controller from the value's minimum up to the "
      "value it had when it was learnt. Notes, pressure, program changes, pitch bend and clock from the "
      "keyboard pass through to the synth, and held notes light the on-screen keyboard."}},
  };
  return kGuide;
}

namespace
{
constexpr int kPageW = 595, kPageH = 842, kMargin = 64;
constexpr int kBodySize = 11, kTitleSize = 16, kLeading = 15;

// Helvetica's advance widths (thousandths of the size) of the printable
// ASCII characters, for line breaking.
constexpr short kHelvetica[95] = {
  278, 278, 355, 556, 556, 889, 667, 191, 333, 333, 389, 584, 278, 333, 278, 278, 556, 556, 556, 556,
  556, 556, 556, 556, 556, 556, 278, 278, 584, 584, 584, 556, 1015, 667, 667, 722, 722, 667, 611, 778,
  722, 278, 500, 667, 556, 833, 722, 778, 667, 778, 722, 667, 611, 722, 667, 944, 667, 667, 611, 278,
  278, 278, 469, 556, 333, 556, 556, 500, 556, 556, 278, 556, 556, 222, 222, 500, 222, 833, 556, 556,
  556, 556, 333, 500, 278, 556, 500, 722, 500, 500, 500, 334, 260, 334, 584};

double Width(const std::string& text, int size)
{
  double w = 0;
  for (unsigned char ch : text) w += (ch >= 32 && ch < 127 ? kHelvetica[ch - 32] : 556) * size / 1000.0;
  return w;
}

std::string Escape(const std::string& text)
{
  std::string out;
  for (char ch : text)
  {
    if (ch == '(' || ch == ')' || ch == '\\') out += '\\';
    out += ch;
  }
  return out;
}

// One page's content stream, built line by line.
struct Page
{
  std::string stream;
  int y = kPageH - kMargin;
};

void Line(std::vector<Page>* pages, const std::string& text, int size, bool bold)
{
  if (pages->empty() || pages->back().y - size < kMargin) pages->push_back(Page());
  Page& page = pages->back();
  page.y -= size == kBodySize ? kLeading : size + 8;
  char head[64];
  snprintf(head, sizeof(head), "BT /%s %d Tf %d %d Td (", bold ? "F2" : "F1", size, kMargin, page.y);
  page.stream += head + Escape(text) + ") Tj ET\n";
}

void Paragraph(std::vector<Page>* pages, const char* text)
{
  const double width = kPageW - 2 * kMargin;
  std::string line, word;
  const std::string all = std::string(text) + " ";
  for (char ch : all)
  {
    if (ch != ' ')
    {
      word += ch;
      continue;
    }
    const std::string next = line.empty() ? word : line + " " + word;
    if (!line.empty() && Width(next, kBodySize) > width)
    {
      Line(pages, line, kBodySize, false);
      line = word;
    }
    else
    {
      line = next;
    }
    word.clear();
  }
  if (!line.empty()) Line(pages, line, kBodySize, false);
  pages->back().y -= kLeading / 2;
}
}  // namespace

std::string ArtGuidePdf(const std::vector<ArtGuideSection>& sections)
{
  std::vector<Page> pages;
  for (const ArtGuideSection& section : sections)
  {
    Line(&pages, section.title, kTitleSize, true);
    for (const char* paragraph : section.paragraphs) Paragraph(&pages, paragraph);
  }

  // Objects: 1 catalog, 2 page tree, 3 and 4 the fonts, then a page and its
  // content for each page.
  std::vector<std::string> objects;
  std::string kids;
  for (size_t i = 0; i < pages.size(); ++i) kids += std::to_string(5 + 2 * i) + " 0 R ";
  objects.push_back("<< /Type /Catalog /Pages 2 0 R >>");
  objects.push_back("<< /Type /Pages /Kids [ " + kids + "] /Count " + std::to_string(pages.size()) + " >>");
  objects.push_back("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
  objects.push_back("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica-Bold /Encoding /WinAnsiEncoding >>");
  for (size_t i = 0; i < pages.size(); ++i)
  {
    objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + std::to_string(kPageW) + " " +
                      std::to_string(kPageH) + "] /Resources << /Font << /F1 3 0 R /F2 4 0 R >> >> /Contents " +
                      std::to_string(6 + 2 * i) + " 0 R >>");
    objects.push_back("<< /Length " + std::to_string(pages[i].stream.size()) + " >>\nstream\n" + pages[i].stream +
                      "endstream");
  }

  std::string pdf = "%PDF-1.4\n";
  std::vector<size_t> offsets;
  for (size_t i = 0; i < objects.size(); ++i)
  {
    offsets.push_back(pdf.size());
    pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
  }
  const size_t xref = pdf.size();
  pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
  for (size_t offset : offsets)
  {
    char entry[24];
    snprintf(entry, sizeof(entry), "%010zu 00000 n \n", offset);
    pdf += entry;
  }
  pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
         std::to_string(xref) + "\n%%EOF\n";
  return pdf;
}
