// The command line and standard streams of a console program, alike on every platform: the
// arguments as UTF-8 text, and output written byte for byte.
//
// On Windows main() receives its arguments in the ANSI code page, which cannot hold every
// file name, and the C runtime turns "\n" into "\r\n" on standard output; there the wide
// command line is read instead, the streams are switched to binary, and the console is told
// that the program writes UTF-8. The console belongs to the shell the program was started
// from, so its own output code page is given back when the program ends: left at UTF-8, the
// clerk's cmd window would show the Big5 output of every later program garbled.
#pragma once

#include <string>
#include <vector>

namespace tessaro::platform {

// Every argument of the program, its name first, as UTF-8.
std::vector<std::string> commandLineArguments(int argc, char** argv);

// While it lives, standard input, output and error pass bytes unchanged and a console shows
// UTF-8. The console's previous output code page comes back when it goes, and also when the
// program is stopped by Ctrl+C, Ctrl+Break or the console window closing. One per program,
// made first thing in main().
class ByteExactStandardStreams {
public:
    ByteExactStandardStreams();
    ~ByteExactStandardStreams();
    ByteExactStandardStreams(const ByteExactStandardStreams&) = delete;
    ByteExactStandardStreams& operator=(const ByteExactStandardStreams&) = delete;
};

}  // namespace tessaro::platform
