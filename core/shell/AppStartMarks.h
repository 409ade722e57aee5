// Where the program's start goes. When $ZEPHRA_START_MARKS names a file, the
// shell notes the steady clock (CLOCK_MONOTONIC, in nanoseconds) at each
// stage of its start and, once the main window holds the GUI, writes one
// "<stage> <nanoseconds>" line per mark to that file, in the order noted (a
// stage may be noted more than once). Whoever started the program sets the
// marks against its own clock. A last line "artwork_us <total>" gives the
// time spent on the artwork so far (IGraphicsArtworkClock.h). Without the
// variable nothing is noted or written.
#pragma once

// Notes the clock now under the stage's name (a string literal).
void AppMarkStart(const char* stage);

// Writes the marks to the file named by $ZEPHRA_START_MARKS, once.
void AppWriteStartMarks();
