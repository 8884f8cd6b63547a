// The command line and standard streams of a console program, alike on every platform: the
// arguments as UTF-8 text, and output written byte for byte.
//
// On Windows main() receives its arguments in the ANSI code page, which cannot hold every
// file name, and the C runtime turns "\n" into "\r\n" on standard output; there the wide
// command line is read instead, the streams are switched to binary, and the console is told
// that the program writes UTF-8.
#pragma once

#include <string>
#include <vector>

namespace tessaro::platform {

// Every argument of the program, its name first, as UTF-8.
std::vector<std::string> commandLineArguments(int argc, char** argv);

// Standard input, output and error pass bytes unchanged; a console shows UTF-8.
void useByteExactStandardStreams();

}  // namespace tessaro::platform
