// Warming the real text engine ahead: what a process draws after warming on
// another thread is what a process that never warmed draws, and warming
// leaves the system's font configuration current until the first text is
// asked for. Each case runs in processes of its own, since the font
// configuration and the engine's font map are made once per process.
#include "platform/PLAT_Canvas.h"
#include "platform/PLAT_Text.h"

#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace
{
constexpr int kWidth = 120, kHeight = 24;
// A size no other case of this program draws at, so that nothing warms it
// before the process forks.
constexpr double kSize = 13.5;
const char kText[] = "Cutoff 127";

// The pixels of kText in the panels' face at kSize, smooth edges.
std::vector<uint32_t> DrawText()
{
  std::vector<uint32_t> pixels;
  PLAT_TextEngine* engine = PLAT_GetTextEngine();
  std::string face;
  if (!engine->ResolveFaceName("Monaco Bold", &face)) return pixels;
  const std::unique_ptr<PLAT_Font> font = engine->CreateFont(face.c_str(), kSize);
  const std::unique_ptr<PLAT_Canvas> canvas = PLAT_Canvas::CreateImage(kWidth, kHeight);
  if (!font || !canvas) return pixels;
  canvas->FillRect(0, 0, kWidth, kHeight, PLAT_Color{1, 1, 1, 1});
  font->Layout(kText, sizeof kText - 1, PLAT_Antialias::On)->DrawLine(canvas.get(), 0, 2, 17, PLAT_Color{0, 0, 0, 1});
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) pixels.push_back(canvas->GetPixel(x, y));
  return pixels;
}

void WarmOnAThread()
{
  const double sizes[] = {kSize};
  std::thread warming([&] { PLAT_WarmText("Monaco Bold", sizes, 1, "0123456789 Cfotu"); });
  warming.join();
}

// What work writes, as 32-bit words, from a process of its own.
std::vector<uint32_t> InChild(const std::function<std::vector<uint32_t>()>& work)
{
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return {};
  const pid_t pid = fork();
  if (pid == 0)
  {
    close(pipeEnds[0]);
    const std::vector<uint32_t> words = work();
    const char* at = reinterpret_cast<const char*>(words.data());
    size_t left = words.size() * sizeof(uint32_t);
    while (left > 0)
    {
      const ssize_t n = write(pipeEnds[1], at, left);
      if (n <= 0) _exit(1);
      at += n;
      left -= static_cast<size_t>(n);
    }
    _exit(0);
  }
  close(pipeEnds[1]);
  std::vector<uint32_t> words;
  uint32_t word;
  while (read(pipeEnds[0], &word, sizeof word) == static_cast<ssize_t>(sizeof word)) words.push_back(word);
  close(pipeEnds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  return words;
}

size_t Inked(const std::vector<uint32_t>& pixels)
{
  size_t inked = 0;
  for (const uint32_t pixel : pixels) inked += (pixel & 0xFFFFFF) != 0xFFFFFF;
  return inked;
}

TEST(PLAT_TextWarm, TextDrawnAfterWarmingOnAnotherThreadIsTheTextDrawnCold)
{
  const std::vector<uint32_t> cold = InChild([] { return DrawText(); });
  const std::vector<uint32_t> warmed = InChild([] {
    WarmOnAThread();
    return DrawText();
  });
  ASSERT_EQ(cold.size(), static_cast<size_t>(kWidth * kHeight));
  // Ten characters' ink, not a blank box.
  EXPECT_GT(Inked(cold), 150u);
  EXPECT_TRUE(cold == warmed);
}

// The family fontconfig's current configuration gives "Monaco", as a word.
uint32_t CurrentMonacoIsMapped()
{
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("Monaco"));
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcChar8* family = nullptr;
  const bool mono = match && FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch && family &&
                    std::string(reinterpret_cast<const char*>(family)) == "DejaVu Sans Mono";
  if (match) FcPatternDestroy(match);
  FcPatternDestroy(pattern);
  return mono ? 1 : 0;
}

TEST(PLAT_TextWarm, WarmingLeavesTheSystemConfigurationCurrentTillTheFirstText)
{
  // The program's configuration maps "Monaco" to the shipped monospaced
  // face; the system's does not. The toolkit's own texts read whichever is
  // current, so warming must not change it ahead of the first text.
  const std::vector<uint32_t> states = InChild([] {
    WarmOnAThread();
    const uint32_t afterWarming = CurrentMonacoIsMapped();
    std::string resolved;
    PLAT_GetTextEngine()->ResolveFaceName("Monaco", &resolved);
    return std::vector<uint32_t>{afterWarming, CurrentMonacoIsMapped()};
  });
  EXPECT_EQ(states, (std::vector<uint32_t>{0, 1}));
}
}  // namespace
