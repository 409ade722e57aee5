// Sizes the layout does not fix follow from the neighbouring controls:
// sliders stand 40 px apart with their caption 33 px below the anchor, so a
// slider is 32 x 45 (the FLEXI range pair splits one into two of 16);
// check boxes sit 13 px apart (12 x 12); the keyboard octave is 98 px wide
// with 14 px white keys and 72 high, so that the keys placed at y = 728 reach
// the window's bottom; buttons end before their right-hand neighbour.
// Plates drawn at (0, 0) reach just past the area they cover.
#include "editor/art/ArtTable.h"

#include <algorithm>
#include <cstring>

namespace
{
constexpr ArtKind kBg = ArtKind::kBackground;
constexpr ArtKind kSlider = ArtKind::kSlider;
constexpr ArtKind kRange = ArtKind::kRangeSlider;
constexpr ArtKind kButton = ArtKind::kButton;
constexpr ArtKind kSwitch = ArtKind::kSwitch;
}  // namespace

const ArtRow kArtTable[] = {
  // ---- classic skin ----
  {102, "img/orig/background-2x.png", 1, 1140, 800, kBg, "space"},                    // main background
  {162, "img/orig/background2-2x.png", 1, 1140, 800, kBg, "solid"},                   // second background
  {158, "img/orig/vcosavebg-2x.png", 1, 90, 800, ArtKind::kSavePlate, "VCO"},         // VCO save mode
  {159, "img/orig//flexisavebg-2x.png", 1, 90, 800, ArtKind::kSavePlate, "FLEXI"},    // FLEXI save mode
  {134, "img/orig/curves-2x.png", 17, 60, 38, ArtKind::kCurves, ""},                  // FLEXI curves
  {135, "img/orig/vsliderflexired-2x.png", 128, 16, 45, kRange, "red"},               // loaded, unused
  {136, "img/orig/vsliderflexired-2x.png", 128, 16, 45, kRange, "red"},               // FLEXI 1 range pair
  {138, "img/orig/vsliderflexiblue-2x.png", 128, 16, 45, kRange, "blue"},             // FLEXI 2 range pair
  {140, "img/orig/vsliderflexipurple-2x.png", 128, 16, 45, kRange, "purple"},         // FLEXI 3 range pair
  {142, "img/orig/vsliderflexigreen-2x.png", 128, 16, 45, kRange, "green"},           // FLEXI 4 range pair
  {106, "img/orig/vslider-2x.png", 128, 32, 45, kSlider, ""},                         // synth values
  {107, "img/orig/vslider-2x.png", 128, 32, 45, kSlider, ""},                         // effects, cutoff
  {118, "img/orig/vslider2-2x.png", 2, 32, 45, kSlider, ""},                          // on/off values
  {143, "img/orig/vslider3-2x.png", 3, 32, 45, kSlider, ""},                          // envelope mode
  {119, "img/orig/vslider4-2x.png", 4, 32, 45, kSlider, ""},                          // loaded, unused
  {144, "img/orig/vslider5-2x.png", 5, 32, 45, kSlider, ""},                          // VCF type
  {145, "img/orig/vslider6-2x.png", 6, 32, 45, kSlider, ""},                          // transpositions
  {169, "img/orig/vslidershort4-2x.png", 4, 32, 45, ArtKind::kShortSlider, ""},       // key priority, MIDI sync
  {133, "img/orig/bigbutton-2x.png", 2, 28, 20, kButton, ""},                         // push-button switches
  {151, "img/orig/led-2x.png", 2, 24, 16, ArtKind::kLamp, ""},                        // FLEXI learn lamps
  {112, "img/orig/fxbgmod-2x.png", 1, 1140, 720, ArtKind::kEffectPlate, "CHORUS / DELAY"},
  {113, "img/orig/fxbgdrive-2x.png", 1, 1140, 720, ArtKind::kEffectPlate, "OVERDRIVE"},
  {114, "img/orig/fxbgeq-2x.png", 1, 1140, 720, ArtKind::kEffectPlate, "EQUALIZER"},
  {132, "img/orig/fxbgeq2-2x.png", 1, 1140, 720, ArtKind::kEqGraphPlate, "EQUALIZER"},
  {155, "img/orig/fxsw-h-2x.png", 1, 95, 20, ArtKind::kTabHighlight, ""},             // effect on
  {117, "img/orig/sevenseg-2x.png", 101, 48, 24, ArtKind::kSevenSegment, ""},         // location number
  {147, "img/orig/fxordersw-2x.png", 2, 60, 20, kSwitch, "OD>EQ|EQ>OD"},              // effects chain order
  {156, "img/orig/fleximode-2x.png", 2, 50, 16, kSwitch, "MODE"},                     // FLEXI mode
  {146, "img/orig/fxsw-2x.png", 2, 24, 16, kSwitch, ""},                              // radio group 293
  {154, "img/orig/od-sw-2x.png", 2, 95, 17, ArtKind::kTabLamp, "OVERDRIVE"},
  {153, "img/orig/eq-sw-2x.png", 2, 95, 17, ArtKind::kTabLamp, "EQUALIZER"},
  {152, "img/orig/ch-sw-2x.png", 2, 95, 17, ArtKind::kTabLamp, "CHORUS"},
  {170, "img/orig/dl-sw-2x.png", 2, 95, 17, ArtKind::kTabLamp, "DELAY"},
  {148, "img/orig/sourcelist-2x.png", 1, 1140, 700, ArtKind::kListPlate, "FLEXI SOURCE"},
  {149, "img/orig/rangelist-2x.png", 1, 1140, 700, ArtKind::kListPlate, "FLEXI RANGE CONTROL"},
  {150, "img/orig/polarsw2-2x.png", 2, 40, 16, kSwitch, "(+)|(-)"},                   // range control polarity
  {160, "img/orig/vcosave-sw-2x.png", 2, 44, 24, kButton, "VCO"},
  {161, "img/orig/flexisave-sw-2x.png", 2, 44, 24, kButton, "FLEXI"},
  {125, "img/orig/copy-2x.png", 2, 50, 24, kButton, "COPY"},
  {126, "img/orig/default-2x.png", 2, 60, 18, kButton, "DEFAULT"},
  {127, "img/orig/random-2x.png", 2, 48, 24, kButton, "RANDOM"},
  {128, "img/orig/reset-2x.png", 2, 48, 24, kButton, "RESET"},
  {129, "img/orig/selectall-2x.png", 2, 64, 24, kButton, "SELECT ALL"},
  {130, "img/orig/clearall-2x.png", 2, 64, 24, kButton, "CLEAR ALL"},
  {131, "img/orig/checkbox-2x.png", 2, 12, 12, ArtKind::kCheckbox, ""},
  {163, "img/orig/prevbtn-2x.png", 2, 30, 18, kButton, "<"},
  {164, "img/orig/nextbtn-2x.png", 2, 30, 18, kButton, ">"},
  {109, "img/orig/fopen-2x.png", 1, 40, 16, ArtKind::kFileIcon, ""},
  {166, "img/orig/fload-2x.png", 2, 42, 18, kButton, "LOAD"},
  {167, "img/orig/fsave-2x.png", 2, 40, 18, kButton, "SAVE"},
  {168, "img/orig/fwriteone-2x.png", 2, 60, 18, kButton, "WRITE"},
  {116, "img/orig/fwriteall-2x.png", 2, 60, 18, kButton, "WRITE ALL"},
  {157, "img/orig/savefromzephra-bg-2x.png", 1, 660, 470, ArtKind::kChooserPlate, "SAVE FROM ZEPHRA"},
  // Both skins: the on-screen keyboard and the about overlay.
  {104, "img/orig/keys-2x.png", 12, 98, 72, ArtKind::kKeys, ""},
  {105, "img/orig/bgkb-2x.png", 1, 98, 72, ArtKind::kKeyboardOctave, ""},
  {103, "img/orig/about-2x.png", 1, 500, 300, ArtKind::kPanel, "ABOUT"},

  // ---- LCD skin: the classic ids plus 100 ----
  {202, "img/lcd/background-2x.png", 1, 1140, 800, kBg, "lcd"},
  {258, "img/lcd/vcosavebg-2x.png", 1, 90, 800, ArtKind::kSavePlate, "VCO"},
  {259, "img/lcd//flexisavebg-2x.png", 1, 90, 800, ArtKind::kSavePlate, "FLEXI"},
  {234, "img/lcd/curves-2x.png", 17, 60, 38, ArtKind::kCurves, ""},
  {235, "img/lcd/vsliderflexired-2x.png", 128, 16, 45, kRange, "red"},
  {236, "img/lcd/vsliderflexired-2x.png", 128, 16, 45, kRange, "red"},
  {238, "img/lcd/vsliderflexiblue-2x.png", 128, 16, 45, kRange, "blue"},
  {240, "img/lcd/vsliderflexipurple-2x.png", 128, 16, 45, kRange, "purple"},
  {242, "img/lcd/vsliderflexigreen-2x.png", 128, 16, 45, kRange, "green"},
  {206, "img/lcd/vslider-2x.png", 128, 32, 45, kSlider, ""},
  {207, "img/lcd/vslider-2x.png", 128, 32, 45, kSlider, ""},
  {218, "img/lcd/vslider2-2x.png", 2, 32, 45, kSlider, ""},
  {243, "img/lcd/vslider3-2x.png", 3, 32, 45, kSlider, ""},
  {219, "img/lcd/vslider4-2x.png", 4, 32, 45, kSlider, ""},
  {244, "img/lcd/vslider5-2x.png", 5, 32, 45, kSlider, ""},
  {245, "img/lcd/vslider6-2x.png", 6, 32, 45, kSlider, ""},
  {269, "img/lcd/vslidershort4-2x.png", 4, 32, 45, ArtKind::kShortSlider, ""},
  {233, "img/lcd/bigbutton-2x.png", 2, 28, 20, kButton, ""},
  {251, "img/lcd/led-2x.png", 2, 28, 20, ArtKind::kLamp, ""},                          // over the learn button
  {212, "img/lcd/fxbgmod-2x.png", 1, 1140, 720, ArtKind::kEffectPlate, "CHORUS / DELAY"},
  {213, "img/lcd/fxbgdrive-2x.png", 1, 1140, 720, ArtKind::kEffectPlate, "OVERDRIVE"},
  {214, "img/lcd/fxbgeq-2x.png", 1, 1140, 720, ArtKind::kEffectPlate, "EQUALIZER"},
  {232, "img/lcd/fxbgeq2-2x.png", 1, 1140, 720, ArtKind::kEqGraphPlate, "EQUALIZER"},
  {255, "img/lcd/fxsw-h-2x.png", 1, 95, 25, ArtKind::kTabHighlight, ""},               // tabs 25 high here
  {217, "img/lcd/sevenseg-2x.png", 101, 48, 24, ArtKind::kSevenSegment, ""},
  {247, "img/lcd/fxordersw-2x.png", 2, 60, 20, kSwitch, "OD>EQ|EQ>OD"},
  {256, "img/lcd/fleximode-2x.png", 2, 50, 16, kSwitch, "MODE"},
  {254, "img/lcd/od-sw-2x.png", 2, 95, 22, ArtKind::kTabLamp, "OVERDRIVE"},
  {253, "img/lcd/eq-sw-2x.png", 2, 95, 22, ArtKind::kTabLamp, "EQUALIZER"},
  {252, "img/lcd/ch-sw-2x.png", 2, 95, 22, ArtKind::kTabLamp, "CHORUS"},
  {270, "img/lcd/dl-sw-2x.png", 2, 95, 22, ArtKind::kTabLamp, "DELAY"},
  {248, "img/lcd/sourcelist-2x.png", 1, 1140, 700, ArtKind::kListPlate, "FLEXI SOURCE"},
  {249, "img/lcd/rangelist-2x.png", 1, 1140, 700, ArtKind::kListPlate, "FLEXI RANGE CONTROL"},
  {250, "img/lcd/polarsw2-2x.png", 2, 40, 16, kSwitch, "(+)|(-)"},
  {260, "img/lcd/vcosave-sw-2x.png", 2, 44, 24, kButton, "VCO"},
  {261, "img/lcd/flexisave-sw-2x.png", 2, 44, 24, kButton, "FLEXI"},
  {225, "img/lcd/copy-2x.png", 2, 50, 24, kButton, "COPY"},
  {226, "img/lcd/default-2x.png", 2, 60, 18, kButton, "DEFAULT"},
  {227, "img/lcd/random-2x.png", 2, 48, 24, kButton, "RANDOM"},
  {228, "img/lcd/reset-2x.png", 2, 48, 24, kButton, "RESET"},
  {229, "img/lcd/selectall-2x.png", 2, 64, 24, kButton, "SELECT ALL"},
  {230, "img/lcd/clearall-2x.png", 2, 64, 24, kButton, "CLEAR ALL"},
  {231, "img/lcd/checkbox-2x.png", 2, 12, 12, ArtKind::kCheckbox, ""},
  {263, "img/lcd/prevbtn-2x.png", 2, 30, 18, kButton, "<"},
  {264, "img/lcd/nextbtn-2x.png", 2, 30, 18, kButton, ">"},
  {209, "img/lcd/fopen-2x.png", 1, 56, 17, ArtKind::kFileIcon, ""},                    // selectors 56 x 17 here
  {266, "img/lcd/fload-2x.png", 2, 56, 17, kButton, "LOAD"},
  {267, "img/lcd/fsave-2x.png", 2, 56, 17, kButton, "SAVE"},
  {268, "img/lcd/fwriteone-2x.png", 2, 56, 17, kButton, "WRITE"},
  {216, "img/lcd/fwriteall-2x.png", 2, 56, 17, kButton, "WRITE ALL"},
  {257, "img/lcd/savefromzephra-bg-2x.png", 1, 660, 470, ArtKind::kChooserPlate, "SAVE FROM ZEPHRA"},
  {265, "img/lcd/flexi-sw-2x.png", 2, 28, 20, kButton, ""},                            // FLEXI learn, lit by its lamp

  // ---- program manager ----
  {301, "img/manager/pm-background-2x.png", 1, 1140, 800, ArtKind::kManagerBackground, "PROGRAM MANAGER"},
  {302, "img/manager/pm-selectdisk-2x.png", 2, 58, 24, kButton, "DISK"},
  {310, "img/manager/pm-new-2x.png", 2, 58, 24, kButton, "NEW"},
  {309, "img/manager/pm-savetodisk-2x.png", 2, 60, 24, kButton, "SAVE"},
  {303, "img/manager/pm-selectall-2x.png", 2, 100, 24, kButton, "SELECT ALL"},
  {304, "img/manager/pm-unselectall-2x.png", 2, 100, 24, kButton, "UNSELECT ALL"},
  {312, "img/manager/pm-invertselection-2x.png", 2, 130, 24, kButton, "INVERT SELECTION"},
  {308, "img/manager/pm-sendtobank-2x.png", 2, 130, 24, kButton, "SEND TO BANK"},
  {311, "img/manager/pm-loadfromdisk-2x.png", 2, 100, 24, kButton, "LOAD BANK"},
  {306, "img/manager/pm-downloadfromzephra-2x.png", 2, 100, 24, kButton, "FROM ZEPHRA"},
  {307, "img/manager/pm-uploadtozephradatabase-2x.png", 2, 100, 24, kButton, "TO DATABASE"},
  {305, "img/manager/pm-uploadtozephra-2x.png", 2, 100, 24, kButton, "TO ZEPHRA"},
  {315, "img/manager/pm-overwrite-2x.png", 2, 80, 24, kButton, "OVERWRITE"},
  {323, "img/manager/pm-selectdirbg-2x.png", 1, 300, 72, ArtKind::kPanel, "CHOOSE PROGRAMS FROM"},
  {319, "img/manager/pm-local-2x.png", 2, 130, 24, kButton, "LOCAL FOLDER"},
  {320, "img/manager/pm-global-2x.png", 2, 130, 24, kButton, "ONLINE DATABASE"},
  {322, "img/manager/pm-loginbg-2x.png", 1, 280, 100, ArtKind::kPanel, "DATABASE LOGIN"},
  {321, "img/manager/pm-login-2x.png", 2, 60, 22, kButton, "LOGIN"},
  {324, "img/manager/checkbox-2x.png", 2, 12, 12, ArtKind::kCheckbox, ""},
  {318, "img/manager/pm-scrollbar-2x.png", 1, 16, 24, ArtKind::kScrollHandle, ""},
  {314, "img/manager/pm-programselect-2x.png", 2, 80, 66, ArtKind::kTileHighlight, ""},
  {313, "img/manager/pm-program-2x.png", 7, 80, 66, ArtKind::kTile, "|NONE|BASS|GTR|MIDI|FX|EWI"},
  {317, "img/manager/pm-playnote-2x.png", 2, 60, 50, kButton, "PLAY"},
};

const size_t kArtTableSize = sizeof(kArtTable) / sizeof(kArtTable[0]);

const ArtRow* ArtFind(int id)
{
  for (size_t i = 0; i < kArtTableSize; ++i)
    if (kArtTable[i].id == id) return &kArtTable[i];
  return nullptr;
}

const ArtRow& ArtFirstOfFile(const ArtRow& row)
{
  for (size_t i = 0; i < kArtTableSize; ++i)
    if (std::strcmp(kArtTable[i].path, row.path) == 0) return kArtTable[i];
  return row;
}

namespace
{
// What every start shows in either skin, whatever the program: the lists,
// the FLEXI range pairs and their polarity switches, the plates of the
// other effects and of the choosers, the overlays and the manager open only
// later. The tab highlight stays clear till an effect is switched on.
bool ShownAtStart(const ArtRow& row, const char* background)
{
  switch (row.kind)
  {
    case ArtKind::kBackground: return std::strcmp(row.label, background) == 0;
    case ArtKind::kSavePlate: return std::strcmp(row.label, "VCO") == 0;
    case ArtKind::kEffectPlate: return std::strcmp(row.label, "CHORUS / DELAY") == 0;
    case ArtKind::kSwitch: return std::strcmp(row.label, "(+)|(-)") != 0;
    case ArtKind::kCurves:
    case ArtKind::kSlider:
    case ArtKind::kShortSlider:
    case ArtKind::kButton:
    case ArtKind::kTabLamp:
    case ArtKind::kLamp:
    case ArtKind::kCheckbox:
    case ArtKind::kSevenSegment:
    case ArtKind::kFileIcon: return true;
    default: return false;
  }
}
}  // namespace

std::vector<const ArtRow*> ArtShownAtStart(const char* look)
{
  const bool lcd = look && std::strcmp(look, "lcd") == 0;
  const char* background = lcd ? "lcd" : look && std::strcmp(look, "solid") == 0 ? "solid" : "space";
  const char* folder = lcd ? "img/lcd/" : "img/orig/";
  std::vector<const ArtRow*> rows;
  for (size_t i = 0; i < kArtTableSize; ++i)
  {
    const ArtRow& row = kArtTable[i];
    // The keyboard of both skins and the manager's scroll handle, which
    // the browser of the closed manager still lays out.
    const bool always = row.kind == ArtKind::kKeys || row.kind == ArtKind::kKeyboardOctave ||
                        row.kind == ArtKind::kScrollHandle;
    const bool ofLook = std::strncmp(row.path, folder, std::strlen(folder)) == 0 && ShownAtStart(row, background);
    if (!always && !ofLook) continue;
    if (std::none_of(rows.begin(), rows.end(), [&](const ArtRow* r) { return std::strcmp(r->path, row.path) == 0; }))
      rows.push_back(&row);
  }
  const auto bytes = [](const ArtRow* r) { return static_cast<long>(r->w) * r->h * r->frames; };
  std::stable_sort(rows.begin(), rows.end(), [&](const ArtRow* a, const ArtRow* b) { return bytes(a) > bytes(b); });
  return rows;
}
