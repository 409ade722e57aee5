#include "SynthSimCommands.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace
{
const char* const kHexDigits = "0123456789abcdef";

int HexValue(char c)
{
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string EscapeName(const SimProgram& program)
{
  // What an editor reading the dump would see: trailing padding goes.
  size_t length = program.name.size();
  while (length > 0 && (program.name[length - 1] == 0x00 || program.name[length - 1] == 0x20))
    --length;
  std::string text;
  for (size_t i = 0; i < length; ++i) {
    const uint8_t c = program.name[i];
    if (c < 0x20 || c > 0x7E || c == '\\') {
      text += "\\x";
      text += kHexDigits[c >> 4];
      text += kHexDigits[c & 0x0F];
    } else {
      text += static_cast<char>(c);
    }
  }
  return text;
}

bool UnescapeName(const std::string& text, SimProgram* program)
{
  program->name.fill(0);
  size_t out = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    int c = static_cast<unsigned char>(text[i]);
    if (c == '\\') {
      if (i + 3 >= text.size()) return false;
      if (text[i + 1] != 'x') return false;
      const int high = HexValue(text[i + 2]), low = HexValue(text[i + 3]);
      if (high < 0 || low < 0) return false;
      c = high * 16 + low;
      i += 3;
    }
    // A SysEx name byte has seven bits.
    if (c >= 0x80 || out >= program->name.size()) return false;
    program->name[out++] = static_cast<uint8_t>(c);
  }
  return true;
}

bool ParseLocation(const std::string& word, int* location)
{
  long value = 0;
  if (!ParseSimNumber(word, &value) || value < 1 || value > SynthSimModel::kLocations) return false;
  *location = static_cast<int>(value);
  return true;
}

bool ParseCount(const std::string& word, int* count)
{
  long value = 0;
  if (!ParseSimNumber(word, &value) || value < 0 || value > 1000000) return false;
  *count = static_cast<int>(value);
  return true;
}

std::string FormatCounts(const SimCounts& c)
{
  std::ostringstream out;
  out << "received=" << c.received << " sysex=" << c.sysex << " cc=" << c.cc << " nrpn=" << c.nrpn
      << " rejected=" << c.rejected << " dumps=" << c.dumps << " stored=" << c.stored
      << " firmware=" << c.firmware;
  return out.str();
}

std::string FormatModes(const SynthSimModel& model)
{
  std::string locations;
  for (int location : model.FailingLocations())
    locations += (locations.empty() ? "" : ",") + std::to_string(location);
  return std::string("silent=") + (model.Silent() ? "on" : "off") +
         " corrupt=" + std::to_string(model.CorruptDumps()) +
         " short=" + std::to_string(model.ShortDumps()) +
         " fail-firmware=" + std::to_string(model.FailFirmware()) +
         " fail-write=" + (locations.empty() ? "none" : locations);
}

std::string FormatFirmware(const SimBytes& file)
{
  std::string text = std::to_string(file.size());
  if (!file.empty()) text += ' ';
  for (uint8_t b : file) {
    text += kHexDigits[b >> 4];
    text += kHexDigits[b & 0x0F];
  }
  return text;
}
} // namespace

std::vector<std::string> SplitSimWords(const std::string& line)
{
  std::vector<std::string> words;
  std::istringstream in(line);
  std::string word;
  while (in >> word) words.push_back(word);
  return words;
}

bool ParseSimNumber(const std::string& word, long* value)
{
  if (word.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long parsed = std::strtol(word.c_str(), &end, 10);
  if (errno != 0 || end != word.c_str() + word.size()) return false;
  *value = parsed;
  return true;
}

std::string FormatSimProgram(const SimProgram& program)
{
  std::string text;
  for (int32_t v : program.values) {
    text += std::to_string(v);
    text += ' ';
  }
  text += ':';
  text += EscapeName(program);
  return text;
}

bool ParseSimProgram(const std::string& text, SimProgram* program)
{
  const size_t colon = text.find(':');
  if (colon == std::string::npos) return false;
  const std::vector<std::string> words = SplitSimWords(text.substr(0, colon));
  if (words.size() != program->values.size()) return false;
  SimProgram parsed;
  for (size_t i = 0; i < words.size(); ++i) {
    long value = 0;
    if (!ParseSimNumber(words[i], &value) || value < -128 || value > 255) return false;
    parsed.values[i] = static_cast<int32_t>(value);
  }
  if (!UnescapeName(text.substr(colon + 1), &parsed)) return false;
  *program = parsed;
  return true;
}

std::string RunSimCommand(SynthSimModel& model, const std::string& line)
{
  const std::vector<std::string> words = SplitSimWords(line);
  if (words.empty()) return "error empty command";
  const std::string& name = words[0];
  const size_t argc = words.size() - 1;
  int number = 0;

  if (name == "ping" && argc == 0) return "pong";
  if (name == "silent" && argc == 1 && (words[1] == "on" || words[1] == "off")) {
    model.SetSilent(words[1] == "on");
    return "ok";
  }
  if (name == "corrupt" && argc == 1 && ParseCount(words[1], &number)) {
    model.SetCorruptDumps(number);
    return "ok";
  }
  if (name == "short" && argc == 1 && ParseCount(words[1], &number)) {
    model.SetShortDumps(number);
    return "ok";
  }
  if (name == "fail-write" && argc == 1) {
    if (words[1] == "clear") {
      model.ClearFailingLocations();
      return "ok";
    }
    if (!ParseLocation(words[1], &number)) return "error location must be 1..99 or clear";
    model.AddFailingLocation(number);
    return "ok";
  }
  if (name == "fail-firmware" && argc == 1 && ParseCount(words[1], &number)) {
    model.SetFailFirmware(number);
    return "ok";
  }
  if (name == "edit" && argc == 0) return FormatSimProgram(model.EditBuffer());
  if (name == "edit" && argc == 1) {
    long index = 0;
    if (!ParseSimNumber(words[1], &index) || index < 0 || index >= kProgramSize)
      return "error index must be 0..183";
    return std::to_string(model.EditBuffer().values[static_cast<size_t>(index)]);
  }
  if (name == "program" && argc == 1) {
    if (!ParseLocation(words[1], &number)) return "error location must be 1..99";
    return FormatSimProgram(model.Program(number));
  }
  if (name == "set-program" && argc >= 2) {
    if (!ParseLocation(words[1], &number)) return "error location must be 1..99";
    const size_t rest = line.find(words[1], line.find(name) + name.size()) + words[1].size();
    SimProgram program;
    if (!ParseSimProgram(line.substr(rest), &program)) return "error not a program line";
    model.SetProgram(number, program);
    return "ok";
  }
  if (name == "counts" && argc == 0) return FormatCounts(model.Counts());
  if (name == "modes" && argc == 0) return FormatModes(model);
  if (name == "firmware" && argc == 0) return FormatFirmware(model.Firmware());
  if (name == "reset" && argc == 0) {
    model.Reset();
    return "ok";
  }
  return "error unknown command: " + line;
}
