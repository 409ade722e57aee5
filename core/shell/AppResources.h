// Identifiers of the shell's resources, commands and dialog controls.
#pragma once

#include <cstdint>

constexpr uintptr_t kDlgMain = 40001;
constexpr uintptr_t kDlgPreferences = 40002;
constexpr uintptr_t kMenuMain = 40004;

// Main-window commands the shell handles itself.
constexpr int kCmdAbout = 40005;
constexpr int kCmdPreferences = 40006;
constexpr int kCmdQuit = 40007;

// Controls of the "Preferences" dialog.
constexpr int kIdcSynthInput = 40018;
constexpr int kIdcOutput = 40019;
constexpr int kIdcApply = 40024;
constexpr int kIdcKeyboardInput = 40035;
// The sample-rate list of an audio settings dialog.
constexpr int kIdcSampleRate = 40013;

// Links the dialogs 40001 and 40002 and the menu 40004, in that order, at
// the head of the window layer's resource lists. Runs during static
// initialisation; later calls do nothing.
void AppResourcesStaticInit();
