// Numbers as the program's own files and typed fields hold them: always
// with a decimal point, whatever locale the toolkit has made the program's
// (printf and atof follow it, and would write and read "1,5" under a
// German desktop). Texts shown to the user may still follow the locale.
#pragma once

#include <string>

// value with that many decimals, as "%.*f" writes it under the C locale.
std::string PlainFixed(double value, int decimals);

// The leading decimal number of text (blanks before it skipped, a sign,
// digits, a fraction, an exponent), as atof reads it under the C locale;
// a comma in place of the point also counts as the point, for values
// earlier versions wrote under a comma locale ("1,300000000000000" is 1.3).
// False, with *value untouched, when text starts with no number or one
// too large or too small for a double.
bool ReadPlainNumber(const char* text, double* value);
