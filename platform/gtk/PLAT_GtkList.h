// Tables that show the window layer's list views and list boxes: a table
// widget in a scrolled window over a model that holds nothing. The model asks
// the source for the row count and for the text of each cell the table draws,
// so a list of thousands of rows whose texts its owner makes on demand costs
// no copy, and the table can never show rows the layer no longer has.
//
// The layer's record is the truth: after it changes its rows, columns or
// selection it calls the functions below, and those changes never come back
// as events. What the user does (clicks, double clicks, header clicks, a new
// selection) reaches the source's OnListEvent. Main thread only.
#pragma once

#include "platform/gtk/PLAT_GtkView.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum class PLAT_ListEvent
{
  Click,             // mouse down on a row: row, column (-1, -1 below the rows)
  DoubleClick,       // the second press of a double click: row, column
  RightClick,        // right button up, or a left click with Control: row, column
  BeginDrag,         // the pointer left a pressed row by the drag distance: row, column
  SelectionChanged,  // read the rows with PLAT_ListGetSelection
  ColumnClick,       // a header: column
  ColumnsMoved,      // the user dragged a header: read PLAT_ListGetColumnOrder
  FocusIn,           // the table took the keyboard focus (Tab, a click, GrabFocus); nothing is selected by it
};

class PLAT_Canvas;

// What the table asks of the layer; the ids are those given at creation.
class PLAT_ListSource
{
public:
  virtual ~PLAT_ListSource() = default;
  virtual int ListRowCount(uint64_t id) = 0;
  // UTF-8 or Latin-1, as PLAT_ControlText takes it.
  virtual std::string ListCellText(uint64_t id, int row, int column) = 0;
  virtual void OnListEvent(uint64_t id, PLAT_ListEvent event, int row, int column) = 0;
  // Paints a drawn cell (a column shown with PLAT_ListColumn::drawn, or the
  // state image before column 0's text, column PLAT_LIST_STATE_IMAGE) on a
  // canvas of w x h pixels whose (0, 0) is the cell's top-left corner.
  virtual void ListDrawCell(uint64_t id, int row, int column, PLAT_Canvas* canvas, int w, int h, bool selected) = 0;
};

// The column a state image is drawn for.
constexpr int PLAT_LIST_STATE_IMAGE = -1;

// The source of every table; null shows no rows. Not owned.
void PLAT_ListSetSource(PLAT_ListSource* source);

// Options of PLAT_ListCreate.
constexpr unsigned PLAT_LIST_HEADER = 1;    // column titles above the rows
constexpr unsigned PLAT_LIST_MULTIPLE = 2;  // several rows may be selected
constexpr unsigned PLAT_LIST_HSCROLL = 4;   // a horizontal scroll bar when the columns are wider

// The most columns a table has; the source is asked for columns below this.
constexpr int PLAT_LIST_MAX_COLUMNS = 32;

// Null before PLAT_GtkInit. The table starts without columns or rows.
std::unique_ptr<PLAT_GtkView> PLAT_ListCreate(uint64_t id, unsigned options);

struct PLAT_ListColumn
{
  int column;         // the source's column index
  std::string title;
  int width;          // pixels; 0 hides the column
  int align = 0;      // the title's: 0 left, 1 right, 2 centre
  int sort = 0;       // the header's arrow: 0 none, 1 ascending, 2 descending
  bool drawn = false; // the source paints the cells (ListDrawCell)
};

// Colours 0xRRGGBB; -1 leaves the theme's.
struct PLAT_ListColors
{
  int background = -1;
  int text = -1;
  int grid = -1;
  int selectedBackground = -1;
  int selectedText = -1;           // of selected rows while the list has the keyboard focus
  int unfocusedSelectedText = -1;  // and while it has not; -1 takes text's
};

// The columns as shown, left first.
void PLAT_ListSetColumns(PLAT_GtkView* list, const std::vector<PLAT_ListColumn>& columns);
// The rows changed: the count is asked again and every shown text re-read.
void PLAT_ListReload(PLAT_GtkView* list);
// Rows ascending; rows past the count are ignored.
void PLAT_ListSetSelection(PLAT_GtkView* list, const std::vector<int>& rows);
std::vector<int> PLAT_ListGetSelection(PLAT_GtkView* list);
// The source's column indexes as the user ordered the headers, left first.
std::vector<int> PLAT_ListGetColumnOrder(PLAT_GtkView* list);

void PLAT_ListSetColors(PLAT_GtkView* list, const PLAT_ListColors& colors);
// Grid lines in both directions; headers the user may drag to reorder.
void PLAT_ListSetGridAndReorder(PLAT_GtkView* list, bool grid, bool reorder);
// A state image of width pixels before column 0's text; 0 shows none.
void PLAT_ListSetStateImageWidth(PLAT_GtkView* list, int width);
// The header's height in pixels, 0 without one or before it is on screen.
int PLAT_ListHeaderHeight(PLAT_GtkView* list);

// ---- geometry ----
// Points and rectangles are in the rows' own pixels: (0, 0) is the top-left
// corner of row 0 whatever the scrolling, y down, the header not counted.

// The row and source column at a point; false when no row is there (the
// column is -1 between or past the columns).
bool PLAT_ListCellAt(PLAT_GtkView* list, int x, int y, int* row, int* column);
// A cell's rectangle (column -1: the whole row); false when the table is not
// on screen, the row is out of range or the column is not shown.
bool PLAT_ListCellRect(PLAT_GtkView* list, int row, int column, PLAT_Rect* rect);
// The part of the rows on screen; false before the table is on screen.
bool PLAT_ListVisibleRect(PLAT_GtkView* list, PLAT_Rect* rect);
// The height of every row; 0 before the table is on screen.
int PLAT_ListRowHeight(PLAT_GtkView* list);
// Scrolls so the point is at the visible area's top-left corner (-1 keeps
// that direction).
void PLAT_ListScrollTo(PLAT_GtkView* list, int x, int y);
// Scrolls the least that shows the row whole.
void PLAT_ListScrollToRow(PLAT_GtkView* list, int row);

// ---- for tests ----

// The rows and a cell as the table's model gives them to the table.
int PLAT_ListModelRowCount(PLAT_GtkView* list);
std::string PLAT_ListModelText(PLAT_GtkView* list, int row, int column);
// A point of the screen (top-down pixels) inside a shown row's first visible
// column, where a test's pointer clicks as the user would. False when the
// row is not on screen.
bool PLAT_ListTestRowPoint(PLAT_GtkView* list, int row, int* x, int* y);
// The rows the table shows whole or in part: first and last, -1 when none.
bool PLAT_ListVisibleRows(PLAT_GtkView* list, int* first, int* last);
// A point of the rows' own pixels in the pixels of PLAT_GtkTestSnapshot's
// picture of the list, laid out first. False when the table is not on
// screen.
bool PLAT_ListTestToPicture(PLAT_GtkView* list, int* x, int* y);
// What a user's header drag does: the column with the source index moves
// to the left end.
void PLAT_ListTestMoveColumnFirst(PLAT_GtkView* list, int column);
