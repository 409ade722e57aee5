#include "raster/support/RAST_TestPng.h"

#include "raster/RAST_TestBitmap.h"

#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{
// The writer's output, grown with realloc: plain C memory, because libpng's
// errors longjmp past the callback that appends to it.
struct Sink
{
  unsigned char* data;
  size_t size;
  size_t capacity;
};

void SinkWrite(png_structp png, png_bytep bytes, size_t n)
{
  Sink* sink = static_cast<Sink*>(png_get_io_ptr(png));
  if (sink->size + n > sink->capacity)
  {
    const size_t grown = (sink->size + n) * 2;
    unsigned char* data = static_cast<unsigned char*>(std::realloc(sink->data, grown));
    if (!data) png_error(png, "out of memory");
    sink->data = data;
    sink->capacity = grown;
  }
  std::memcpy(sink->data + sink->size, bytes, n);
  sink->size += n;
}

void SinkFlush(png_structp) {}

// No object with a destructor lives in this frame: libpng errors longjmp here.
bool WriteAll(png_structp png, png_infop info, const TestPngImage* image, png_bytep* rows, png_colorp palette,
              int entries)
{
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_IHDR(png, info, image->width, image->height, image->bitDepth, image->colorType,
               image->interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (entries > 0) png_set_PLTE(png, info, palette, entries);
  if (!image->trnsAlpha.empty())
    png_set_tRNS(png, info, image->trnsAlpha.data(), static_cast<int>(image->trnsAlpha.size()), nullptr);
  if (image->hasTrnsColor)
  {
    png_color_16 color{};
    color.gray = image->trnsGray;
    color.red = image->trnsRed;
    color.green = image->trnsGreen;
    color.blue = image->trnsBlue;
    png_set_tRNS(png, info, nullptr, 0, &color);
  }
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  return true;
}

std::string ExecutableFolder()
{
  char buf[4096];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof(buf) - 1);
  if (n <= 0) return ".";
  std::string path(buf, static_cast<size_t>(n));
  return path.substr(0, path.rfind('/'));
}

bool WriteFile(const std::string& path, const std::string& bytes)
{
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

// An 8-bit RGBA file through libpng's simplified reader, as RAST_pixel values.
bool ReadGolden(const std::string& path, int* w, int* h, std::vector<RAST_pixel>* pixels)
{
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGBA;
  std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr))
  {
    png_image_free(&image);
    return false;
  }
  *w = static_cast<int>(image.width);
  *h = static_cast<int>(image.height);
  pixels->clear();
  for (size_t i = 0; i + 3 < rgba.size(); i += 4) pixels->push_back(RAST_RGBA(rgba[i], rgba[i + 1], rgba[i + 2], rgba[i + 3]));
  return true;
}
}  // namespace

int TestPngImage::Channels() const
{
  switch (colorType)
  {
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB: return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
    default: return 1;
  }
}

size_t TestPngImage::RowBytes() const
{
  return (static_cast<size_t>(width) * Channels() * bitDepth + 7) / 8;
}

std::string EncodeTestPng(const TestPngImage& image)
{
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return "";
  png_infop info = png_create_info_struct(png);
  std::vector<png_bytep> rows(static_cast<size_t>(image.height));
  for (int y = 0; y < image.height; ++y)
    rows[y] = const_cast<png_bytep>(image.rows.data() + static_cast<size_t>(y) * image.RowBytes());
  std::vector<png_color> palette(image.palette.size() / 3);
  for (size_t i = 0; i < palette.size(); ++i)
    palette[i] = png_color{image.palette[3 * i], image.palette[3 * i + 1], image.palette[3 * i + 2]};
  Sink sink{nullptr, 0, 0};
  bool ok = false;
  if (info)
  {
    png_set_write_fn(png, &sink, &SinkWrite, &SinkFlush);
    ok = WriteAll(png, info, &image, rows.data(), palette.data(), static_cast<int>(palette.size()));
  }
  png_destroy_write_struct(&png, &info);
  std::string out = ok ? std::string(reinterpret_cast<const char*>(sink.data), sink.size) : std::string();
  std::free(sink.data);
  return out;
}

std::string EncodeBitmapPng(RAST_IBitmap& bitmap)
{
  TestPngImage image;
  image.width = bitmap.getWidth();
  image.height = bitmap.getHeight();
  image.colorType = PNG_COLOR_TYPE_RGB_ALPHA;
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x)
    {
      const RAST_pixel p = ReadPixel(bitmap, x, y);
      image.rows.insert(image.rows.end(), {static_cast<uint8_t>(RAST_GETR(p)), static_cast<uint8_t>(RAST_GETG(p)),
                                           static_cast<uint8_t>(RAST_GETB(p)), static_cast<uint8_t>(RAST_GETA(p))});
    }
  return EncodeTestPng(image);
}

::testing::AssertionResult MatchesGoldenPng(RAST_IBitmap& actual, const std::string& name)
{
  const std::string golden = std::string(ZEPHRA_SOURCE_ROOT) + "/tests/golden/" + name + ".png";
  const char* update = std::getenv("ZEPHRA_UPDATE_GOLDEN");
  if (update && *update == '1')
  {
    if (!WriteFile(golden, EncodeBitmapPng(actual))) return ::testing::AssertionFailure() << "cannot write " << golden;
    return ::testing::AssertionSuccess();
  }

  const int w = actual.getWidth(), h = actual.getHeight();
  int gw = 0, gh = 0;
  std::vector<RAST_pixel> expected;
  std::string problem;
  int differing = 0;
  if (!ReadGolden(golden, &gw, &gh, &expected))
    problem = "golden image " + golden + " is missing or unreadable";
  else if (gw != w || gh != h)
    problem = "golden image is " + std::to_string(gw) + " x " + std::to_string(gh);
  else
  {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
      {
        const RAST_pixel a = ReadPixel(actual, x, y), e = expected[static_cast<size_t>(y) * w + x];
        if (a != e && differing++ == 0)
        {
          char text[160];
          std::snprintf(text, sizeof(text), "first difference at (%d, %d): 0x%08X, golden 0x%08X", x, y, a, e);
          problem = text;
        }
      }
    if (differing == 0) return ::testing::AssertionSuccess();
  }

  const std::string folder = ExecutableFolder() + "/golden-diff";
  mkdir(folder.c_str(), 0777);
  WriteFile(folder + "/" + name + ".actual.png", EncodeBitmapPng(actual));
  return ::testing::AssertionFailure() << name << ": " << problem << " (" << differing
                                       << " pixels differ); the actual image is in " << folder;
}
