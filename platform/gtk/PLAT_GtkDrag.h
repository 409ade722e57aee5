// Drags that start from a view: a list of files (offered as
// "text/uri-list"), or one promised file that the source writes only once
// the receiving side has named a folder for it (the desktop's direct-save
// protocol, "XdndDirectSave0": the receiver puts a file URI on the source's
// window, asks, and the source writes the file there and answers "S", or
// "E" when it wrote nothing; the property then holds the written file's
// URI). Each drag starts from the event being handled (a button press) and
// slides back when nobody takes it. Main thread.
#pragma once

#include <string>

class PLAT_GtkView;
class PLAT_Image;

// Writes the promised file into the folder; the path written, empty for none.
typedef std::string (*PLAT_PromiseWriteFn)(const char* folder);
// Where a drag's promise is kept; null (the default) writes nothing.
void PLAT_GtkSetPromiseWriter(PLAT_PromiseWriteFn writer);

// Drags the files (absolute paths) from (x, y) of the view, showing the
// image (held by the pointer at its centre) or, for null, the icon of the
// first file's kind. False when no drag could start (no event, the view not
// on screen, no paths).
bool PLAT_GtkStartFileListDrag(PLAT_GtkView* view, int x, int y, const char* const* paths, int count,
                               const PLAT_Image* image);
// Drags a promise of a file named fileName (no folder) from (x, y).
bool PLAT_GtkStartPromiseDrag(PLAT_GtkView* view, int x, int y, const char* fileName);

// For tests: whether a drag of ours is under way, and whether the side
// under the pointer has said it would take it.
bool PLAT_GtkTestDragActive();
bool PLAT_GtkTestDragAccepted();
