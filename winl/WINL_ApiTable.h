// The window layer's functions by name, for code loaded into the process.
#pragma once

// The function registered under the name (names compare case-sensitively),
// or null, also for a name whose function this layer does not offer on this
// system; a null name gives 0x100, the table's version. Any thread.
void* WINLAPI_GetFunc(const char* name);
