// The desktop's services reached over the session message bus: the file
// manager that shows files selected in their folder, and the session's
// inhibit service that keeps the desktop from idling into sleep. Every call
// waits for its answer a few seconds at most; with no session bus, or when
// nobody answers, the call says so and nothing else happens. Any thread.
#pragma once

#include <string>
#include <vector>

// Asks the file manager to show the files (absolute paths) selected in
// their folders. False when no session bus or no file manager answered.
[[nodiscard]] bool PLAT_BusShowItems(const std::vector<std::string>& paths);

// Asks the session to keep the desktop from idling into sleep until
// PLAT_BusAllowIdle, for the reason given. Tries the screen saver's inhibit
// service, then the session manager's. True when one of them took it (or it
// is held already); false, with the reason in *why, when none answered.
[[nodiscard]] bool PLAT_BusInhibitIdle(const char* application, const char* reason, std::string* why);

// Ends the hold taken by PLAT_BusInhibitIdle; nothing when none is held.
void PLAT_BusAllowIdle();

// Whether a hold is in place.
bool PLAT_BusIdleInhibited();
