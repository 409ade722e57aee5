// Images and the font configuration come from the one resources folder, and
// $ZEPHRA_RESOURCES_DIR moves both alike.
#include "winl/draw/WINL_GDI.h"

#include "platform/PLAT_Image.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{
// A 1 x 1 PNG holding the one pixel 0xFF123456.
const std::string kDotPng(
    "\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x01\x00\x00\x00\x01"
    "\x08\x06\x00\x00\x00\x1f\x15\xc4\x89\x00\x00\x00\x0d\x49\x44\x41\x54\x78\xda\x63\x10\x32\x09\xfb"
    "\x0f\x00\x02\x94\x01\x9c\xc2\x05\x54\x4f\x00\x00\x00\x00\x49\x45\x4e\x44\xae\x42\x60\x82",
    70);

// Maps a face only this folder knows to the serif face, which the shipped
// configuration never gives.
const char kFontsConf[] =
    "<?xml version=\"1.0\"?>\n<fontconfig>\n"
    "  <match target=\"pattern\">\n"
    "    <test name=\"family\" qual=\"any\"><string>Zephra Test Face</string></test>\n"
    "    <edit name=\"family\" mode=\"assign\" binding=\"strong\"><string>DejaVu Serif</string></edit>\n"
    "  </match>\n"
    "  <include ignore_missing=\"yes\">/etc/fonts/fonts.conf</include>\n"
    "</fontconfig>\n";

// What a fresh process finds through the folder; the font configuration is
// read once per process, so this runs in a child of its own.
int CheckFolder()
{
  int failures = 0;
  HBITMAP dot = LoadNamedImage("dot");
  const uint32_t pixel = dot ? GetNSImageFromHICON(dot)->GetPixel(0, 0) : 0;
  if (pixel != 0xFF123456u)
  {
    std::fprintf(stderr, "image \"dot\" gave pixel %08x\n", static_cast<unsigned>(pixel));
    ++failures;
  }
  DeleteObject(dot);

  HDC dc = WINL_CreateMemContext(nullptr, 4, 4);
  HFONT font = CreateFont(10, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Zephra Test Face");
  SelectObject(dc, font);
  char face[64] = "";
  GetTextFace(dc, sizeof(face), face);
  if (std::strcmp(face, "DejaVu Serif") != 0)
  {
    std::fprintf(stderr, "font face \"%s\"\n", face);
    ++failures;
  }
  DeleteObject(font);
  WINL_DeleteGfxContext(dc);
  return failures;
}

TEST(WINL_Resources, TheEnvironmentFolderServesImagesAndFontsAlike)
{
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        int failures = 0;
        {
          TempDir dir;
          mkdir(dir.File("fonts").c_str(), 0700);
          WriteWholeFile(dir.File("fonts/fonts.conf"), kFontsConf);
          WriteWholeFile(dir.File("dot.png"), kDotPng);
          setenv("ZEPHRA_RESOURCES_DIR", dir.Path().c_str(), 1);
          failures = CheckFolder();
        }
        std::exit(failures);
      },
      testing::ExitedWithCode(0), "");
}
}  // namespace
