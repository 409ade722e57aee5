// Alerts that any thread may show: each alert is a small helper program of
// ours with its own connection to the display, so the caller needs no free
// main loop (a MIDI or timer thread may raise one while the main thread
// waits on a lock the caller holds). The call blocks until the user answers.
// One alert shows at a time; one raised meanwhile waits for its turn.
#pragma once

// Shown by PLAT_AlertShow when the user closes the alert or presses Escape.
constexpr int PLAT_ALERT_CANCELLED = -1;
// The alert could not be shown or did not answer (no display, no helper,
// the helper died).
constexpr int PLAT_ALERT_FAILED = -2;

// Shows title and text as plain text with the buttons in order, the first
// the default (Return); answers the index of the button pressed. Any thread.
int PLAT_AlertShow(const char* title, const char* text, const char* const* buttons, int count);

// Called once the toolkit is up: from then on the application's windows
// drop the pointer presses, wheel turns and keys meant for them while an
// alert stood, including those still queued when it is answered.
void PLAT_AlertGuardInput();

// The helper's environment names the process whose windows it is modal to.
constexpr const char* kOwnerVariable = "ZEPHRA_ALERT_OWNER";

// For tests: the process id of the helper showing an alert, 0 for none.
int PLAT_AlertHelperPid();

// With cancel, the application ends: every alert shown now closes and
// answers PLAT_ALERT_CANCELLED, and so does every later one, without
// showing. Without, alerts show again (a new start of the application).
void PLAT_AlertCancelAll(bool cancel = true);
