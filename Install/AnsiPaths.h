// Text and paths handed on in the system's ANSI code page: the compiler's
// configuration file, the command lines of the IDE's older tools (ANSI
// programs, which get their command line converted by the system), setup.log.
#pragma once

#include <string>

// Whether the ANSI code page holds every character of the text.
bool AnsiCanHold(const std::string& text);

// The path in a form the ANSI code page holds: the path itself when it can;
// otherwise the longest part of it that exists in its short (8.3) form,
// followed by the rest, when that form has no character the code page lacks.
// Raises an Exception naming the path when there is no such form (the part
// that exists has no short name, or the part that does not exist yet holds
// such a character): the path would reach the tool with question marks.
std::string AnsiSafePath(const std::string& path);
// The same for each entry of a ";"-separated list.
std::string AnsiSafePathList(const std::string& list);

// The text in the ANSI code page, each character the code page lacks written
// as "<U+XXXX>" (its code point), so that a line stays readable and exact.
std::string Utf8ToAnsiReadable(const std::string& text);
