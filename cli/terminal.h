#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace cli {

// The program's arguments after its name, whole, as the option parser takes them: UTF-8 (on
// Windows converted from what the system passed, not through the ANSI code page; elsewhere the
// bytes as given).
std::vector<std::string> programArguments(int argc, char** argv);

// The text of one argument, a path or a value.
std::u16string argumentText(const std::string& argument);

// Makes the standard streams carry UTF-8 bytes unchanged: no newline translation and, on a
// Windows console, the UTF-8 code page.
void useUtf8Streams();

// Whether `stream` is shown on a terminal (a bar can be redrawn there) rather than logged.
bool isTerminal(std::FILE* stream);

}  // namespace cli
