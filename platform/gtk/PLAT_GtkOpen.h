// Opening a web address or a document with the desktop's default
// application, answering whether it opened.
#pragma once

// target is a web address when it contains "http", else a file path. True
// when the desktop's application for it was launched; false for a file that
// is not there, a target no application takes, or a launch that failed.
// Any thread.
bool PLAT_OpenWithDefaultApp(const char* target);
