// The desktop's clipboard for text and the program's own formats, and the
// files dropped on a view. Main thread, after PLAT_GtkInit.
#pragma once

#include <string>
#include <utility>
#include <vector>

// Puts UTF-8 text on the desktop's clipboard.
void PLAT_GtkClipboardSetText(const std::string& text);
// The clipboard's text, waiting for its owner to answer; false when there
// is none.
bool PLAT_GtkClipboardGetText(std::string* text);

// Puts the items on a clipboard of the desktop, each offered under its
// target name, and the text (when given) as text, all at once: any program
// on the desktop, another process of this one too, can read them while this
// process holds it. The clipboard is the desktop's own for a null selection,
// else the selection of that name: a private board beside the desktop's,
// which it leaves alone.
void PLAT_GtkClipboardSet(const std::vector<std::pair<std::string, std::string>>& items, const std::string* text,
                          const char* selection = nullptr);
// The bytes the clipboard's owner gives for the target; false when it
// offers none.
bool PLAT_GtkClipboardGet(const std::string& target, std::string* bytes, const char* selection = nullptr);
// The target names the clipboard offers now.
std::vector<std::string> PLAT_GtkClipboardTargets(const char* selection = nullptr);
