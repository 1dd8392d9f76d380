// The HE3 codec behind compressed quests (.qs3): a static Huffman coder whose output starts "HE3" CR, with a
// stored form "HE0" CR for inputs it cannot shrink. Bytes only: the quest text inside is not interpreted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace tarvik::formats {

// A decoding failure with the number, source and description every caller reports.
// what() is the description.
struct HuffmanError : std::runtime_error {
    HuffmanError(uint32_t number, std::string source, const std::string& description)
        : std::runtime_error(description), number(number), source(std::move(source)) {}
    uint32_t number;     // always kHuffmanErrorNumber
    std::string source;  // "HuffmanDecode()" or "clsHuffman.Decode()"
    std::string description() const { return what(); }
};

// The first user-defined automation error code (-2147221504 as a signed 32-bit number).
inline constexpr uint32_t kHuffmanErrorNumber = 0x80040000u;
// A buffer with the "HE?" CR signature whose "?" is neither 0 nor 3.
inline constexpr char kHuffmanSignatureSource[] = "HuffmanDecode()";
inline constexpr char kHuffmanSignatureDescription[] =
    "The data either was not compressed with HE3 or is corrupt (identification string not found)";
// Decoded bytes whose XOR differs from the stored checksum.
inline constexpr char kHuffmanDecodeSource[] = "clsHuffman.Decode()";
inline constexpr char kHuffmanChecksumDescription[] =
    "The data might be corrupted (checksum did not match expected value)";
// A header or code table that describes more than the buffer holds, codes that do not form a tree, data that
// leads off the tree, or data that runs out before the stored length while what it gave still matches the
// checksum. Same number and source as the checksum error.
inline constexpr char kHuffmanTruncatedDescription[] =
    "The data is corrupt (it ends before the data its header describes, or its code table is invalid)";

class clsHuffman {
public:
    // Replaces the buffer, whose first ByteLen bytes are the source (ByteLen is clamped to its size), by its
    // HE3 form, or by the stored HE0 form when the source is empty, has one distinct byte, or would not
    // shrink. The buffer ends up exactly as long as the result.
    void EncodeByte(std::vector<uint8_t>& ByteArray, size_t ByteLen);
    // Text (code page 1251 bytes) decoded / encoded in place; errors as DecodeByte.
    void DecodeString(std::string& Text);
    void EncodeString(std::string& Text);
    // Replaces an HE3 or HE0 buffer (its first ByteLen bytes, clamped to its size) by the decoded bytes.
    // Throws HuffmanError: for a bad signature or a corrupt buffer the buffer is left unchanged; for a
    // checksum mismatch (also when the data ran out first) it already holds the (possibly wrong or short)
    // decoded bytes. Never reads outside the buffer and never allocates more than the buffer can decode to,
    // whatever its header claims. A stored length of 0 leaves the buffer unchanged.
    void DecodeByte(std::vector<uint8_t>& ByteArray, size_t ByteLen);
};

// The decoded text of a .qs3 file's bytes, or nothing when they do not decode (checksum mismatch included).
std::optional<std::string> DecodeCompressedQuest(std::string bytes);

}  // namespace tarvik::formats
