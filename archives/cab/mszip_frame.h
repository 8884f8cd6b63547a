// MSZIP frames: the unit in which a cabinet folder's MSZIP stream is cut.
//
// Each CFDATA block of an MSZIP folder holds one frame: the two bytes "CK" followed by Deflate
// blocks (RFC 1951) for at most 32 KiB of input, the last of them marked final and padded to
// a byte boundary. Matches may reach back into the previous 32 KiB of the folder's
// uncompressed stream, so the encoder and decoder take that history alongside each frame.
//
// These two classes are the only place the cabinet code touches Deflate; they wrap the
// project's Deflate encoder and decoder and add the MSZIP framing and its size bound.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace tessaro::archives::cab {

// The size of a frame that stores `inputSize` bytes without compression.
size_t storedFrameSize(size_t inputSize);

// Appends a frame that stores `chunk` verbatim (one stored Deflate block).
void appendStoredFrame(std::span<const std::uint8_t> chunk, std::vector<std::uint8_t>& out);

class MszipFrameEncoder {
public:
    MszipFrameEncoder();
    ~MszipFrameEncoder();
    MszipFrameEncoder(const MszipFrameEncoder&) = delete;
    MszipFrameEncoder& operator=(const MszipFrameEncoder&) = delete;

    // Appends the frame for `chunk` (1 to 32768 bytes) to `out`, using `history` (the at most
    // 32768 bytes that precede `chunk` in the folder) as the dictionary. A frame that would
    // not be smaller than the stored one is stored, so no frame exceeds 32 KiB + 12 bytes.
    void encode(std::span<const std::uint8_t> history, std::span<const std::uint8_t> chunk, std::vector<std::uint8_t>& out);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

class MszipFrameDecoder {
public:
    MszipFrameDecoder();
    ~MszipFrameDecoder();
    MszipFrameDecoder(const MszipFrameDecoder&) = delete;
    MszipFrameDecoder& operator=(const MszipFrameDecoder&) = delete;

    // Decodes `frame` (with its "CK") into exactly `outputSize` bytes appended to `out`, with
    // `history` as the dictionary. Throws DecodeError for a bad signature, corrupt data, or a
    // frame that does not produce exactly `outputSize` bytes.
    void decode(std::span<const std::uint8_t> history, std::span<const std::uint8_t> frame, size_t outputSize,
                std::vector<std::uint8_t>& out);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace tessaro::archives::cab
