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
  SelectionChanged,  // read the rows with PLAT_ListGetSelection
  ColumnClick,       // a header: column
};

// What the table asks of the layer; the ids are those given at creation.
class PLAT_ListSource
{
public:
  virtual ~PLAT_ListSource() = default;
  virtual int ListRowCount(uint64_t id) = 0;
  // UTF-8 or Latin-1, as PLAT_ControlText takes it.
  virtual std::string ListCellText(uint64_t id, int row, int column) = 0;
  virtual void OnListEvent(uint64_t id, PLAT_ListEvent event, int row, int column) = 0;
};

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
};

// The columns as shown, left first.
void PLAT_ListSetColumns(PLAT_GtkView* list, const std::vector<PLAT_ListColumn>& columns);
// The rows changed: the count is asked again and every shown text re-read.
void PLAT_ListReload(PLAT_GtkView* list);
// Rows ascending; rows past the count are ignored.
void PLAT_ListSetSelection(PLAT_GtkView* list, const std::vector<int>& rows);
std::vector<int> PLAT_ListGetSelection(PLAT_GtkView* list);

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
