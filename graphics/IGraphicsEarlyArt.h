// Artwork decoded ahead: the files a start will show are decoded on threads
// of their own while the toolkit starts, and the loads of the start's
// rescale (LoadPNGResource, LoadPNGResourceHalved) take each decode instead
// of making it. A file no thread has begun yet is left to the first load
// that asks for it; one being decoded is waited for; a load of another kind
// (whole where it was halved) finds nothing. The decodes are those of the
// loads themselves, so what a load gets is the same either way.
//
// Threads: EarlyArtStart and EarlyArtFinish on one thread (the main one);
// the loads on any.
#pragma once

#include <memory>
#include <string>
#include <vector>

class RAST_IBitmap;
class RAST_IndexedImage;

struct EarlyArtFile
{
  std::string name;  // a resource name, as the loads are given it
  bool halved;       // decoded at half its size (LoadPNGResourceHalved), else whole
};

// Decodes the files in the order given (the largest first makes the
// decodes end soonest) on `threads` threads of their own. By default (-1)
// one fewer than the processors this process may run on, at most three,
// and none on one processor, where the loads decode every file themselves.
// On two cores the one thread takes the decodes off the toolkit's start
// (the artwork's 24 ms before the first frame became 5 ms; on two cores
// shared with other work, nothing is lost). Does nothing while earlier
// decodes are not finished. The threads read the environment (the
// resources folder): it must not change while they run.
void EarlyArtStart(const std::vector<EarlyArtFile>& files, int threads = -1);

// What the decodes came to, for the start's account: the names a load
// asked for, those no load asked for, and those a load got a thread's
// decode of, each in the order given.
struct EarlyArtReport
{
  std::vector<std::string> taken, unused, handed;
};
// Ends the decodes: files not begun are left, the threads finish the ones
// they are on and end, and what no load took is freed. Every later load
// decodes its file itself. Safe to call when nothing was started.
EarlyArtReport EarlyArtFinish();

// For tests: waits until the threads have decoded every file no load has
// taken (at once when there are no threads).
void EarlyArtSettleForTest();

// For the loads: a whole decode of name made ahead, with the indices it
// left; null when there is none.
std::unique_ptr<RAST_IBitmap> EarlyArtTakeWhole(const char* name, RAST_IndexedImage* indices);
// A halved decode of name made ahead, traded into bmp (which must be a
// RAST_MemBitmap), with the whole image's indices; false when there is none
// or it could not be halved.
bool EarlyArtTakeHalved(const char* name, RAST_IBitmap* bmp, RAST_IndexedImage* indices);

// The processors this process may run on: a machine's count ignores a
// narrower affinity, and more threads than processors only hold more
// decodes at once.
unsigned UsableProcessors();
