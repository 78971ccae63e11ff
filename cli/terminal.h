#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace cli {

// The program's arguments after its name, whole and in UTF-16 (on Windows as the system passed
// them, not through the ANSI code page; elsewhere decoded from UTF-8 with any other byte kept as
// base::nameBytesToUtf16 does, so a name that is not UTF-8 still names its file).
std::vector<std::u16string> programArguments(int argc, char** argv);

// Makes the standard streams carry UTF-8 bytes unchanged: no newline translation and, on a
// Windows console, the UTF-8 code page.
void useUtf8Streams();

// Whether `stream` is shown on a terminal (a bar can be redrawn there) rather than logged.
bool isTerminal(std::FILE* stream);

}  // namespace cli
