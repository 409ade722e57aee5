// The image-loader registration record: each image format the library reads
// puts one record at the head of a process-wide list while static objects are
// initialised, before the program's main code runs; the list never changes
// afterwards. GUI thread only.
#pragma once

#include "raster/RAST_Bitmap.h"

struct RAST_ImageLoaderRec
{
  // Loads the file into bmp (resized to the image) or, when bmp is null, into
  // a new bitmap the caller owns. With checkFileName the name must carry the
  // format's extension, else the result is null and no file is opened. Null on
  // any failure; a caller's bitmap stays the caller's in every case.
  RAST_IBitmap* (*load)(const char* filename, bool checkFileName, RAST_IBitmap* bmp);
  // The file-type filter: description and pattern texts, each closed by a NUL,
  // the list closed by an empty text.
  const char* (*get_extlist)();
  RAST_ImageLoaderRec* next;
};

// Head of the list; null until a loader registers. Constant-initialised, so a
// registration from any unit's static initialiser finds it ready.
inline RAST_ImageLoaderRec* RAST_ImageLoader_list = nullptr;
