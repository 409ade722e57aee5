// The SysEx messages between the editor and the synth, byte by byte, built
// and checked without the editor object. Every message opens with F0 and
// the manufacturer bytes 00 3E 5A, then a class byte (03 programs, 02
// firmware) and a command byte, and ends with F7.
#pragma once

#include "synth/ProgramFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

// True when message opens with F0 and the maker's bytes 00 3E 5A: only then
// is it the synth's. Another maker's SysEx may have a reply's or a dump's
// length and command byte, and must not be taken for one.
bool IsSynthMessage(const uint8_t* message, size_t size);

// ---- program messages (class 03) ----
constexpr uint8_t kCmdProgramRequest = 0x40;
constexpr uint8_t kCmdProgramDump = 0x41;
constexpr uint8_t kCmdProgramWrite = 0x20;
constexpr uint8_t kReplyWriteOk = 0x21;
constexpr uint8_t kReplyWriteFailed = 0x22;
constexpr int kShortDumpSize = 115;
constexpr int kReplySize = 7;
constexpr int kRequestSize = 9;
constexpr int kFirstLocation = 1, kLastLocation = 99;

// F0 00 3E 5A 03 40 03 L F7.
Bytes ProgramRequestMessage(int location);

// The 213-byte write of values 0..169 (record encoding, limited to 7-bit
// wire bytes) into location, with name cut to 32 characters and padded
// with NUL. A name byte above 0x7F cannot travel in SysEx; it goes as "_".
Bytes ProgramWriteMessage(const ProgramValues& values, const std::string& name, int location);

// The sum of bytes first..last (inclusive), as the synth's two checksum
// bytes compare it: high seven bits, then low seven bits.
int SysExSum(const uint8_t* message, int first, int last);
// True when a 213-byte dump's bytes 210/211 (or a 115-byte dump's 112/113)
// match its data.
bool DumpChecksumGood(const uint8_t* message, size_t size);

// The program name a file gives, for the synth (SynthNameOfFile): its folder
// and location stay behind, its category tag goes with it: "01INIT.pr3"
// INIT, "/b/05_80s Brass.pr3" "80s Brass", "12_BASS_Deep.pr3" BASS_Deep.
std::string ProgramNameFromPath(const std::string& path);

// ---- firmware messages (class 02) ----
constexpr uint8_t kCmdFirmwareRequest = 0x10;
constexpr uint8_t kReplyErasing = 0x11;
constexpr uint8_t kReplyReady = 0x12;
constexpr uint8_t kCmdFirmwareData = 0x13;
constexpr uint8_t kReplyUpdateOk = 0x14;
constexpr uint8_t kReplyUpdateFailed = 0x15;
constexpr int kFirmwareMaxBytes = 80000;

// F0 00 3E 5A 02 10 F7.
Bytes FirmwareRequestMessage();
// The data message for a firmware image of size bytes: N = 8 * size / 7 + 1
// seven-bit digits after the three digits of N, then the digits' sum as two
// seven-bit bytes and F7; N + 12 bytes in all. Each 7-byte chunk is one
// big-endian number written as 8 digits, most significant first; the R
// bytes left over are packed the same way into R + 1 digits.
Bytes FirmwareDataMessage(const uint8_t* image, size_t size);
