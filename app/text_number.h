// Decimal text to integer, the way the command line and the settings file read numbers.
#ifndef HARMOLAB_APP_TEXT_NUMBER_H
#define HARMOLAB_APP_TEXT_NUMBER_H

#include <string>

// Skips leading blanks, takes an optional sign and the leading digits; text that doesn't start
// with a number gives 0. Values beyond the int range saturate instead of overflowing.
int ParseLeadingInt(const std::string& text);

#endif
