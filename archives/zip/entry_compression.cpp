#include "archives/zip/entry_compression.h"

#include "archives/deflate/deflate_encoder.h"

namespace tessaro::archives::zip {
namespace {

char presetLetter(DeflationOption option) {
    switch (option) {
        case DeflationOption::doMaximum: return 'x';
        case DeflationOption::doFast: return 'f';
        case DeflationOption::doSuperFast: return 's';
        case DeflationOption::doNormal: break;
    }
    return 'n';
}

}  // namespace

std::uint16_t deflationFlags(DeflationOption option) {
    switch (option) {
        case DeflationOption::doMaximum: return 0x0002;
        case DeflationOption::doFast: return 0x0004;
        case DeflationOption::doSuperFast: return 0x0006;
        case DeflationOption::doNormal: break;
    }
    return 0;
}

std::uint32_t deflateEntry(ByteSource& source, ByteSink& out, DeflationOption option) {
    return deflateStream(source, out, DeflateSettings::forZipWriter(presetLetter(option)));
}

}  // namespace tessaro::archives::zip
