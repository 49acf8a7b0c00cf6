// Windows command lines on the simulated machine: splitting the arguments as
// the C run-time of a Windows program does, and quoting them back.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace simwin {

// Splits the arguments of a command line (without the program name): blanks
// and tabs separate them outside double quotes; 2n backslashes before a quote
// give n backslashes and the quote opens or closes quoting, 2n+1 give n and a
// literal quote; "" inside quotes is a literal quote.
std::vector<std::string> ParseWindowsArguments(std::string_view text);

// Quotes an argument so that ParseWindowsArguments gives it back unchanged.
std::string QuoteWindowsArgument(const std::string& argument);

}  // namespace simwin
