// Arbitrary bytes through the HE3 decoder. It must end in decoded bytes or in its error, never crash, read
// outside the input or allocate more than the input can decode to. Every input is also encoded and decoded
// again, which must give it back exactly.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "formats/huffman.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using tarvik::formats::clsHuffman;
    using tarvik::formats::HuffmanError;
    clsHuffman codec;

    // Sized exactly, so AddressSanitizer reports any read past the input.
    std::vector<uint8_t> buffer(data, data + size);
    try {
        codec.DecodeByte(buffer, buffer.size());
        // Each output byte costs at least one data bit; an HE0 or zero-length buffer comes back shorter.
        if (buffer.size() > 8 * size) std::abort();
    } catch (const HuffmanError& e) {
        if (e.number != tarvik::formats::kHuffmanErrorNumber) std::abort();
    }

    std::vector<uint8_t> roundTrip(data, data + size);
    codec.EncodeByte(roundTrip, roundTrip.size());
    codec.DecodeByte(roundTrip, roundTrip.size());
    if (roundTrip.size() != size || !std::equal(roundTrip.begin(), roundTrip.end(), data)) std::abort();
    return 0;
}
