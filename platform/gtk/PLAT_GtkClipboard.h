// The desktop's clipboard for text, and the files dropped on a view. Main
// thread, after PLAT_GtkInit.
#pragma once

#include <string>

// Puts UTF-8 text on the desktop's clipboard.
void PLAT_GtkClipboardSetText(const std::string& text);
// The clipboard's text, waiting for its owner to answer; false when there
// is none.
bool PLAT_GtkClipboardGetText(std::string* text);
