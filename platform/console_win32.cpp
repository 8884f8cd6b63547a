// The command line and standard streams on Windows: the wide command line, binary streams,
// UTF-8 console output.
#include "platform/console.h"

#include "platform/win32_support.h"

#include <shellapi.h>

#include <cstdio>
#include <fcntl.h>
#include <io.h>

namespace tessaro::platform {

std::vector<std::string> commandLineArguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr) return {argv, argv + argc};
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) arguments.push_back(win32::fromWide(wide[i]));
    ::LocalFree(wide);
    return arguments;
}

void useByteExactStandardStreams() {
    ::_setmode(::_fileno(stdin), _O_BINARY);
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
    ::SetConsoleOutputCP(CP_UTF8);
}

}  // namespace tessaro::platform
