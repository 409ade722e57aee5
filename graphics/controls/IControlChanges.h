// IControlChanges: a count, for the whole process, of the changes that may
// have left a control dirty, and a resting surface's wish to hear of the
// next one. An editor left alone has hundreds of controls: a surface at rest
// reads the count instead of asking each of them on every frame, and the
// first change after it armed the wake asks for a frame at once, from
// whichever thread made it, so that resting frames can be far apart.
#pragma once

namespace IControlChanges
{
// Any thread, once the change is made (the control's dirty flag set). Calls
// the armed wake, once, and disarms it.
void Count();
// The changes counted so far.
unsigned Now();
// GUI thread: the next Count calls wake, which must be safe from any thread;
// null disarms. Armed before the count is read, no change goes unseen: it is
// counted before the reading or it wakes.
void Arm(void (*wake)());
}  // namespace IControlChanges
