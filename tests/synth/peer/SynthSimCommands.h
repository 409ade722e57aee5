// The simulated synth's text commands: one line in, one line out.
//
//   ping                       pong
//   silent on|off              ok       (handle input, send nothing)
//   corrupt N                  ok       (next N dumps: wrong checksum)
//   short N                    ok       (next N dumps: 115-byte short dumps)
//   fail-write L | clear       ok       (writes to L answered "failed")
//   fail-firmware N            ok       (next N firmware data: "failed")
//   edit                       the edit buffer as a program line
//   edit I                     value of edit-buffer index I (0..183)
//   program L                  location L (1..99) as a program line
//   set-program L LINE         ok       (LINE as "program" prints it)
//   counts                     received=.. sysex=.. cc=.. nrpn=.. rejected=..
//                              dumps=.. stored=.. firmware=..
//   modes                      silent=on|off corrupt=N short=N fail-firmware=N
//                              fail-write=L,L..|none
//   firmware                   SIZE HEX (bytes of the last good update)
//   reset                      ok       (power-on state, counters zero)
//
// A program line is the 184 values in decimal, then " :" and the name with
// trailing NUL and blank bytes removed; in the name, bytes outside printable
// ASCII and the backslash are written \xNN. Mistakes are answered with a line
// starting "error ". "wait" and "quit" block or end the program and belong to
// its main loop.
#pragma once

#include "SynthSimModel.h"

#include <string>
#include <vector>

std::string FormatSimProgram(const SimProgram& program);
// Reads a program line; false when it is not one.
[[nodiscard]] bool ParseSimProgram(const std::string& text, SimProgram* program);

// Runs one command against the model and returns its answer (no newline).
std::string RunSimCommand(SynthSimModel& model, const std::string& line);

// Splits a command line at blanks.
std::vector<std::string> SplitSimWords(const std::string& line);
// A whole word as a decimal number; false when it is not one.
[[nodiscard]] bool ParseSimNumber(const std::string& word, long* value);
