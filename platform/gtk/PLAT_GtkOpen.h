// Opening a web address or a document with the desktop's default
// application, answering whether it opened.
#pragma once

// target is a web address when it contains "http", else a file path. True
// when the desktop's application for it was launched; false for a file that
// is not there, a target no application takes, or a launch that failed.
// Any thread.
bool PLAT_OpenWithDefaultApp(const char* target);

// Opens the file in the desktop's text editor (its application for plain
// text), whatever the file's own type: an HTML page shows as its source.
// False when the desktop names no text editor or it could not start. Any
// thread.
bool PLAT_OpenAsPlainText(const char* path);
