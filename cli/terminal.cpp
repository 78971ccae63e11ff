#include "cli/terminal.h"

#include "base/unicode.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// windows.h before shellapi.h
#include <shellapi.h>
#else
#include <unistd.h>
#endif

namespace cli {

#ifdef _WIN32

std::vector<std::string> programArguments(int, char**) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; wide != nullptr && i < count; ++i) {
        arguments.push_back(base::utf16ToUtf8(reinterpret_cast<const char16_t*>(wide[i])));
    }
    LocalFree(wide);
    return arguments;
}

void useUtf8Streams() {
    SetConsoleOutputCP(CP_UTF8);
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

bool isTerminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }

#else

std::vector<std::string> programArguments(int argc, char** argv) {
    return {argv + (argc > 0 ? 1 : 0), argv + argc};
}

void useUtf8Streams() {}

bool isTerminal(std::FILE* stream) { return isatty(fileno(stream)) != 0; }

#endif

std::u16string argumentText(const std::string& argument) { return base::utf8ToUtf16(argument); }

}  // namespace cli
