#include "core/PlainNumber.h"

#include <charconv>
#include <cstring>
#include <system_error>

std::string PlainFixed(double value, int decimals)
{
  // Room for the largest double in full: 309 digits, a sign, a point and
  // the decimals.
  char text[400];
  if (decimals < 0) decimals = 0;
  if (decimals > 60) decimals = 60;
  const std::to_chars_result end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
  if (end.ec != std::errc()) return std::string();
  return std::string(text, end.ptr);
}

bool ReadPlainNumber(const char* text, double* value)
{
  if (!text) return false;
  while (*text == ' ' || *text == '\t' || *text == '\n' || *text == '\r' || *text == '\f' || *text == '\v') ++text;
  // Long enough for any number the program writes; a longer one is read up
  // to here.
  char copy[400];
  std::strncpy(copy, text, sizeof copy - 1);
  copy[sizeof copy - 1] = '\0';
  char* start = copy;
  if (*start == '+' && start[1] != '-') ++start;
  char* p = start;
  if (*p == '-') ++p;
  while (*p >= '0' && *p <= '9') ++p;
  if (*p == ',' && p[1] >= '0' && p[1] <= '9') *p = '.';
  double read = 0.0;
  const std::from_chars_result end = std::from_chars(start, copy + std::strlen(copy), read);
  if (end.ec != std::errc() || end.ptr == start) return false;
  *value = read;
  return true;
}
