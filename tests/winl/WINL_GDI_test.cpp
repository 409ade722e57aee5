// Memory contexts, their pool, drawing objects, selection and painting.
#include "winl/draw/WINL_GDI.h"

#include "WINL_TestMemDC.h"
#include "platform/FakeTextEngine.h"
#include "platform/PLAT_Image.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace
{
HGDIOBJ Kind(int type) { return reinterpret_cast<HGDIOBJ>(static_cast<uintptr_t>(type)); }

std::vector<LONG> Fields(const TEXTMETRIC& m)
{
  return {m.tmHeight, m.tmAscent, m.tmDescent, m.tmInternalLeading, m.tmExternalLeading, m.tmAveCharWidth};
}

TEST(WINL_MemDC, StartsZeroedAndAlignedAndIgnoresDeletedHandles)
{
  {
    MemDC m(7, 3);
    ASSERT_NE(m.dc, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(WINL_GetCtxFrameBuffer(m.dc)) % 64, 0u);
    EXPECT_EQ(m.FirstMismatch([](int, int) { return 0u; }), "");
    EXPECT_EQ(GetTextColor(m.dc), 0);
    EXPECT_EQ(GetTextColor(nullptr), -1);
  }
  std::vector<HDC> dcs;
  for (int i = 0; i < 150; ++i) dcs.push_back(WINL_CreateMemContext(nullptr, 2, 2));
  for (HDC dc : dcs) WINL_DeleteGfxContext(dc);
  EXPECT_EQ(WINL_GetPooledContextCount(), 100);
  // Deleted handles, pooled or freed, answer nothing and delete nothing.
  for (HDC dc : dcs)
  {
    EXPECT_EQ(WINL_GetCtxFrameBuffer(dc), nullptr);
    WINL_DeleteGfxContext(dc);
    SetTextColor(dc, 0x123456);
    EXPECT_EQ(SelectObject(dc, Kind(WINL_OBJ_PEN)), nullptr);
  }
  EXPECT_EQ(WINL_GetPooledContextCount(), 100);
  // A new context takes a pooled record and starts clean.
  MemDC again(2, 2);
  EXPECT_EQ(WINL_GetPooledContextCount(), 99);
  EXPECT_EQ(GetTextColor(again.dc), 0);
}

TEST(WINL_GDI, SelectObjectSwapsSlotsByKindAndDeletingEmptiesThem)
{
  MemDC m(4, 4);
  HPEN pen = CreatePen(0, 1, 0xFF0000);
  HBRUSH brush = CreateSolidBrush(0x00FF00);
  HBRUSH brush2 = CreateSolidBrush(0x0000FF);
  HBITMAP bitmap = CreateBitmap(2, 2, 1, 32, nullptr);
  struct Step { const char* name; HGDIOBJ select; HGDIOBJ expect; } const kSteps[] = {
      {"first pen answers the empty kind", pen, Kind(WINL_OBJ_PEN)},
      {"the same pen again answers itself", pen, pen},
      {"first brush", brush, Kind(WINL_OBJ_BRUSH)},
      {"second brush answers the first", brush2, brush},
      {"clearing the brush answers it", Kind(WINL_OBJ_BRUSH), brush2},
      {"clearing an empty slot answers the kind", Kind(WINL_OBJ_BRUSH), Kind(WINL_OBJ_BRUSH)},
      {"a bitmap is not selected", bitmap, nullptr},
      {"handle 4 is nothing", Kind(4), nullptr},
      {"a small bogus handle is nothing", Kind(17), nullptr},
      {"the stock null brush", GetStockObject(WINL_STOCK_NULL_BRUSH), Kind(WINL_OBJ_BRUSH)},
      {"clearing the pen", Kind(WINL_OBJ_PEN), pen},
  };
  for (const Step& s : kSteps) EXPECT_EQ(SelectObject(m.dc, s.select), s.expect) << s.name;
  EXPECT_EQ(SelectObject(nullptr, pen), nullptr);
  EXPECT_EQ(GetStockObject(3), nullptr);
  for (HGDIOBJ obj : {pen, brush, brush2, bitmap}) EXPECT_TRUE(DeleteObject(obj));

  // References, pooling and deleted objects.
  brush = CreateSolidBrush(0x112233);
  EXPECT_EQ(WINL_CloneGDIObject(brush), brush);
  EXPECT_TRUE(DeleteObject(brush));  // drops the clone's reference
  SelectObject(m.dc, brush);
  EXPECT_TRUE(DeleteObject(brush));  // the last: gone, and out of the slot
  EXPECT_FALSE(DeleteObject(brush));
  EXPECT_EQ(SelectObject(m.dc, brush), nullptr);
  EXPECT_EQ(SelectObject(m.dc, Kind(WINL_OBJ_BRUSH)), Kind(WINL_OBJ_BRUSH));

  EXPECT_FALSE(DeleteObject(GetStockObject(WINL_STOCK_NULL_PEN)));
  EXPECT_FALSE(DeleteObject(Kind(3)));
  EXPECT_FALSE(DeleteObject(nullptr));

  std::vector<HGDIOBJ> many;
  for (int i = 0; i < 250; ++i) many.push_back(CreatePen(0, i, i));
  for (HGDIOBJ obj : many) DeleteObject(obj);
  EXPECT_EQ(WINL_GetPooledObjectCount(), 200);
}

TEST(WINL_GDI, FontSizesNamesAndFallbacks)
{
  ScopedFakeText fake;
  WINL_ClearFontNameCache();
  // The fake font's ascent and descent are 0.8 and 0.2 of its size, each
  // truncated in the metrics.
  struct Case { const char* name; int height, width; LONG ascentPlusDescent; } const kCases[] = {
      {"negative height: 12", -12, 0, 9 + 2},    {"height 1: 10", 1, 0, 8 + 2},
      {"height 2", 2, 0, 1 + 0},                 {"height 8192", 8192, 0, 6553 + 1638},
      {"height 8193: 10", 8193, 0, 8 + 2},       {"width when no height", 0, 14, 11 + 2},
      {"INT_MIN: 10", INT_MIN, 0, 8 + 2},        {"zero: 10", 0, 0, 8 + 2},
  };
  MemDC m(2, 2);
  for (const Case& c : kCases)
  {
    HFONT font = CreateFont(c.height, c.width, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Monaco");
    ASSERT_NE(font, nullptr) << c.name;
    SelectObject(m.dc, font);
    TEXTMETRIC tm;
    EXPECT_TRUE(GetTextMetrics(m.dc, &tm)) << c.name;
    EXPECT_EQ(tm.tmAscent + tm.tmDescent, c.ascentPlusDescent) << c.name;
    DeleteObject(font);
  }

  // The style goes into the requested name, which is resolved once.
  const int resolvesBefore = fake.engine.resolveCalls;
  HFONT a = CreateFont(10, 0, 900, 0, 700, 1, 0, 0, 0, 0, 0, 3, 0, "Monaco");
  HFONT b = CreateFont(12, 0, 0, 0, 700, 1, 0, 0, 0, 0, 0, 0, 0, "Monaco");
  EXPECT_EQ(fake.engine.resolveCalls, resolvesBefore + 1);
  EXPECT_EQ(fake.engine.createdFaces.back(), "Fake Monaco Bold Italic");
  EXPECT_FLOAT_EQ(WINL_GetFontRotation(a), 90.0f);
  SelectObject(m.dc, a);
  char face[64];
  EXPECT_EQ(GetTextFace(m.dc, sizeof(face), face), 23);
  EXPECT_STREQ(face, "Fake Monaco Bold Italic");
  EXPECT_EQ(GetTextFace(m.dc, 5, face), 4);
  EXPECT_STREQ(face, "Fake");
  EXPECT_EQ(GetTextFace(m.dc, 0, face), 0);

  HFONT missing = CreateFont(10, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Missing Face");
  SelectObject(m.dc, missing);
  GetTextFace(m.dc, sizeof(face), face);
  EXPECT_STREQ(face, "Fake Label");
  HFONT noFace = CreateFont(10, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, nullptr);
  EXPECT_NE(noFace, nullptr);

  LOGFONT lf{};
  lf.lfHeight = -20;
  lf.lfWeight = 400;
  memset(lf.lfFaceName, 'x', sizeof(lf.lfFaceName));  // not terminated
  HFONT indirect = CreateFontIndirect(&lf);
  EXPECT_EQ(fake.engine.createdFaces.back(), "Fake " + std::string(32, 'x'));
  EXPECT_EQ(CreateFontIndirect(nullptr), nullptr);

  // A selected font that is deleted leaves the label face in its place.
  SelectObject(m.dc, a);
  DeleteObject(a);
  GetTextFace(m.dc, sizeof(face), face);
  EXPECT_STREQ(face, "Fake Label");
  for (HFONT f : {b, missing, noFace, indirect}) DeleteObject(f);
  EXPECT_GT(WINL_ClearFontNameCache(), 0);
}

TEST(WINL_GDI, TextMetricsFollowTheFontOrTheDefaults)
{
  ScopedFakeText fake;
  TEXTMETRIC tm;
  // Height, ascent, descent, internal and external leading, average width.
  EXPECT_FALSE(GetTextMetrics(nullptr, &tm));
  EXPECT_EQ(Fields(tm), (std::vector<LONG>{16, 12, 4, 3, 0, 10}));

  MemDC m(2, 2);
  // No font selected: the label face of 10 pixels (ascent 8, descent 2).
  EXPECT_TRUE(GetTextMetrics(m.dc, &tm));
  EXPECT_EQ(Fields(tm), (std::vector<LONG>{11, 8, 2, 0, 0, 6}));

  fake.engine.metricsOverride = PLAT_FontMetrics{9.9, 3.7, 1.2};
  HFONT font = CreateFont(10, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Monaco");
  SelectObject(m.dc, font);
  EXPECT_TRUE(GetTextMetrics(m.dc, &tm));
  EXPECT_EQ(Fields(tm), (std::vector<LONG>{14, 9, 3, 1, 0, 8}));
  DeleteObject(font);
}

TEST(WINL_GDI, PaintingWritesRedGreenBlueAndKeepsTheFirstByte)
{
  MemDC m(10, 10);
  m.Mark(0xA5);  // what the raster library keeps there
  HBRUSH blue = CreateSolidBrush(0x0000FF);
  RECT r = {1, 2, 4, 3};
  WINL_FillRect(m.dc, &r, blue);
  WINL_FillRect(m.dc, &r, GetStockObject(WINL_STOCK_NULL_BRUSH));  // draws nothing
  EXPECT_EQ(SetPixel(m.dc, 9, 9, 0x123456), 0x123456);
  EXPECT_EQ(SetPixel(m.dc, 10, 9, 0x123456), -1);

  // A filled rectangle without a pen, then a one-pixel pen line along y = 8,
  // which covers half of rows 7 and 8.
  SelectObject(m.dc, CreateSolidBrush(0xFF0000));
  EXPECT_TRUE(Rectangle(m.dc, 5, 5, 8, 8));
  DeleteObject(SelectObject(m.dc, Kind(WINL_OBJ_BRUSH)));
  HPEN pen = CreatePen(0, 0, 0x00FF00);
  SelectObject(m.dc, pen);
  POINT old;
  MoveToEx(m.dc, 3, 1, nullptr);
  EXPECT_TRUE(MoveToEx(m.dc, 0, 8, &old));
  EXPECT_EQ(std::make_pair(old.x, old.y), std::make_pair(3, 1));
  EXPECT_TRUE(LineTo(m.dc, 4, 8));
  EXPECT_FALSE(LineTo(nullptr, 1, 1));
  EXPECT_EQ(m.FirstMismatch([](int x, int y) {
    if (Inside(RECT{1, 2, 4, 3}, x, y)) return 0xA50000FFu;
    if (x == 9 && y == 9) return 0xA5123456u;
    if (Inside(RECT{5, 5, 8, 8}, x, y)) return 0xA5FF0000u;
    if (Inside(RECT{0, 7, 4, 9}, x, y)) return 0xA5008000u;
    return 0xA5000000u;
  }),
            "");
  DeleteObject(pen);
  DeleteObject(blue);
}

TEST(WINL_GDI, BitmapsIconsImageListsAndCopies)
{
  const uint8_t argb[] = {255, 255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255};
  HBITMAP bitmap = CreateBitmap(2, 2, 1, 32, argb);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(CreateBitmap(2, 2, 1, 24, argb), nullptr);
  BITMAP info{};
  EXPECT_EQ(GetObject(bitmap, sizeof(info), &info), static_cast<int>(sizeof(info)));
  EXPECT_EQ(std::make_pair(info.bmWidth, info.bmHeight), std::make_pair(2, 2));
  EXPECT_EQ(GetObject(bitmap, 4, &info), 0);

  ICONINFO ii{};
  ii.hbmColor = bitmap;
  HICON icon = CreateIconIndirect(&ii);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(GetNSImageFromHICON(icon), GetNSImageFromHICON(bitmap));
  DeleteObject(bitmap);
  ASSERT_NE(GetNSImageFromHICON(icon), nullptr);  // the icon keeps the image
  EXPECT_EQ(GetNSImageFromHICON(icon)->GetPixel(1, 1), 0xFFFFFFFFu);

  HIMAGELIST list = ImageList_CreateEx(16, 16, 0, 4, 4);
  EXPECT_EQ(ImageList_ReplaceIcon(list, -1, icon), 0);
  EXPECT_EQ(ImageList_ReplaceIcon(list, -1, icon), 1);
  EXPECT_EQ(ImageList_ReplaceIcon(list, 2, icon), -1);  // one past the last
  EXPECT_EQ(ImageList_ReplaceIcon(list, 0, icon), 0);
  EXPECT_TRUE(DeleteObject(icon));
  EXPECT_EQ(ImageList_GetImageCount(list), 2);
  EXPECT_NE(GetNSImageFromHICON(icon), nullptr);  // the list still holds it
  EXPECT_TRUE(ImageList_Remove(list, 0));
  EXPECT_EQ(ImageList_GetImageCount(list), 1);
  EXPECT_TRUE(ImageList_Destroy(list));
  EXPECT_EQ(GetNSImageFromHICON(icon), nullptr);  // the last reference went with the list

  MemDC src(4, 4), dst(8, 8);
  HBITMAP pattern = CreateBitmap(2, 2, 1, 32, argb);
  RECT all = {0, 0, 4, 4};
  DrawImageInRect(src.dc, pattern, &all);  // each image pixel becomes 2 x 2
  EXPECT_EQ(src.At(0, 0) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(src.At(3, 0) & 0xFFFFFF, 0x00FF00u);
  EXPECT_TRUE(BitBlt(dst.dc, 4, 4, 4, 4, src.dc, 0, 0, 0));
  EXPECT_EQ(dst.At(4, 4) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(dst.At(7, 4) & 0xFFFFFF, 0x00FF00u);
  EXPECT_EQ(dst.At(3, 3), 0u);
  EXPECT_TRUE(StretchBlt(dst.dc, 0, 0, 8, 8, src.dc, 0, 0, 4, 4, 0));
  EXPECT_EQ(dst.At(0, 0) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(dst.At(7, 0) & 0xFFFFFF, 0x00FF00u);
  EXPECT_FALSE(BitBlt(dst.dc, 0, 0, 0, 4, src.dc, 0, 0, 0));
  EXPECT_EQ(LoadNamedImage("/no/such/image.png"), nullptr);
  DeleteObject(pattern);
}

TEST(WINL_GDI, ClipRegionsNestAndUnmatchedPopsAreIgnored)
{
  MemDC m(8, 8);
  HBRUSH blue = CreateSolidBrush(0x0000FF), green = CreateSolidBrush(0x00FF00);
  RECT all = {0, 0, 8, 8}, outer = {2, 2, 5, 5}, inner = {3, 0, 10, 10};
  WINL_PopClipRegion(m.dc);  // nothing pushed
  WINL_PushClipRegion(m.dc);
  WINL_SetClipRegion(m.dc, &outer);
  WINL_PushClipRegion(m.dc);
  WINL_SetClipRegion(m.dc, &inner);  // narrows the outer clip
  WINL_FillRect(m.dc, &all, blue);
  WINL_PopClipRegion(m.dc);
  WINL_FillRect(m.dc, &all, green);  // the outer clip again covers the blue
  WINL_PopClipRegion(m.dc);
  WINL_PopClipRegion(m.dc);
  EXPECT_EQ(WINL_GetCtxGC(m.dc)->GetSaveDepth(), 0);
  EXPECT_EQ(m.FirstMismatch([&](int x, int y) { return Inside(outer, x, y) ? 0x0000FF00u : 0u; }), "");
  EXPECT_FALSE(WINL_IsRetinaDC(m.dc));
  DeleteObject(blue);
  DeleteObject(green);
}

TEST(WINL_GDI, PaintContextsLeaveTheirCanvasToTheOwner)
{
  std::unique_ptr<PLAT_Canvas> canvas = PLAT_Canvas::CreateImage(4, 4);
  HDC dc = WINL_CreatePaintContext(canvas.get());
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(WINL_GetCtxFrameBuffer(dc), nullptr);
  EXPECT_EQ(WINL_GetCtxGC(dc), canvas.get());
  WINL_PushClipRegion(dc);
  WINL_PushClipRegion(dc);
  WINL_DeleteGfxContext(dc);
  EXPECT_EQ(canvas->GetSaveDepth(), 0);  // the pushes were undone
  EXPECT_EQ(WINL_CreatePaintContext(nullptr), nullptr);
}
}  // namespace
