// The command line and standard streams on Windows: the wide command line, binary streams,
// UTF-8 console output for the program's lifetime.
#include "platform/console.h"

#include "platform/win32_support.h"

#include <shellapi.h>

#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <iostream>

namespace tessaro::platform {
namespace {

// The console's output code page before the program changed it; 0 when there is nothing to
// give back (no console, or it showed UTF-8 already). The control handler runs on a thread of
// its own, hence the atomic: whichever comes first gives the code page back.
std::atomic<UINT> previousOutputCodePage{0};

void restoreOutputCodePage() {
    if (const UINT codePage = previousOutputCodePage.exchange(0); codePage != 0) ::SetConsoleOutputCP(codePage);
}

// Ctrl+C, Ctrl+Break and closing the window end the program without unwinding main(); the
// code page goes back first, then the default handling ends the program.
BOOL WINAPI restoreOnControlEvent(DWORD) {
    restoreOutputCodePage();
    return FALSE;
}

}  // namespace

std::vector<std::string> commandLineArguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr) return {argv, argv + argc};
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) arguments.push_back(win32::fromWide(wide[i]));
    ::LocalFree(wide);
    return arguments;
}

ByteExactStandardStreams::ByteExactStandardStreams() {
    ::_setmode(::_fileno(stdin), _O_BINARY);
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
    const UINT current = ::GetConsoleOutputCP();  // 0 without a console
    if (current == 0 || current == CP_UTF8 || !::SetConsoleOutputCP(CP_UTF8)) return;
    previousOutputCodePage = current;
    ::SetConsoleCtrlHandler(restoreOnControlEvent, TRUE);
}

ByteExactStandardStreams::~ByteExactStandardStreams() {
    // What is still buffered must reach the console while it shows UTF-8.
    std::cout.flush();
    std::cerr.flush();
    std::fflush(stdout);
    std::fflush(stderr);
    restoreOutputCodePage();
    ::SetConsoleCtrlHandler(restoreOnControlEvent, FALSE);
}

}  // namespace tessaro::platform
