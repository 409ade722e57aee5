// zephra_artgen OUTDIR: paints every image of the artwork table and writes
// the user guide under OUTDIR, the application's resources folder. Each
// file is painted once, also when two rows load it under two ids.
#include "tools/artgen/ArtCanvas.h"
#include "tools/artgen/ArtGuide.h"
#include "tools/artgen/ArtPaint.h"
#include "tools/artgen/ArtPng.h"
#include "editor/art/ArtTable.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <set>
#include <string>

namespace
{
// The skins pass paths like "img/orig//flexisavebg-2x.png"; the file
// system folds the doubled slash, the file is written without it.
std::string Normalised(const char* path)
{
  std::string out;
  for (const char* p = path; *p; ++p)
    if (!(*p == '/' && !out.empty() && out.back() == '/')) out += *p;
  return out;
}

bool MakeFolders(const std::string& path)
{
  for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
    if (mkdir(path.substr(0, slash).c_str(), 0755) != 0 && errno != EEXIST) return false;
  return true;
}
}  // namespace

int main(int argc, char** argv)
{
  if (argc != 2)
  {
    fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
    return 2;
  }
  const std::string root = std::string(argv[1]) + "/";
  std::set<std::string> done;
  for (size_t i = 0; i < kArtTableSize; ++i)
  {
    const ArtRow& row = kArtTable[i];
    const std::string path = root + Normalised(row.path);
    if (!done.insert(path).second) continue;
    ArtCanvas canvas(row.w, row.h * row.frames);
    std::string error;
    if (!ArtPaint(row, &canvas) || !MakeFolders(path) || !ArtWritePng(path, canvas.Bitmap(), &error))
    {
      fprintf(stderr, "zephra_artgen: %s: %s\n", path.c_str(), error.empty() ? "cannot paint or place it" : error.c_str());
      return 1;
    }
  }
  const std::string guide = root + "pdf/Zephra_userguide-v3.60.pdf";
  const std::string pdf = ArtGuidePdf(ArtGuideText());
  FILE* file = MakeFolders(guide) ? fopen(guide.c_str(), "wb") : nullptr;
  if (!file || fwrite(pdf.data(), 1, pdf.size(), file) != pdf.size() || fclose(file) != 0)
  {
    fprintf(stderr, "zephra_artgen: %s: cannot write it\n", guide.c_str());
    return 1;
  }
  return 0;
}
