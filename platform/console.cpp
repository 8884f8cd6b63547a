// The command line and standard streams on POSIX, where both are bytes already.
#include "platform/console.h"

namespace tessaro::platform {

std::vector<std::string> commandLineArguments(int argc, char** argv) { return {argv, argv + argc}; }

ByteExactStandardStreams::ByteExactStandardStreams() = default;
ByteExactStandardStreams::~ByteExactStandardStreams() = default;

}  // namespace tessaro::platform
