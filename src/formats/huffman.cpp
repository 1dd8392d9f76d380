// The HE3 codec. The encoder's tree and so its output bytes are fixed by the candidate scan below; the
// decoder trusts nothing in its input: every field is checked against the bytes that are really there before
// use.
#include "formats/huffman.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

namespace tarvik::formats {

namespace {

constexpr size_t kSignatureSize = 4;
constexpr size_t kHeaderSize = 11;  // signature, checksum, length, N
constexpr uint8_t kStoredSignature[kSignatureSize] = {'H', 'E', '0', '\r'};
constexpr uint8_t kHe3Signature[kSignatureSize] = {'H', 'E', '3', '\r'};

[[noreturn]] void ThrowCorrupt() {
    throw HuffmanError(kHuffmanErrorNumber, kHuffmanDecodeSource, kHuffmanTruncatedDescription);
}

// ---- Encoding ------------------------------------------------------------------------------------------

struct TreeNode {
    int16_t ParentIndex = -1;
    int16_t OneChild = -1;
    int16_t ZeroChild = -1;
    int16_t ByteValue = -1;
    int64_t Weight = 0;
};

struct BitSequence {
    uint8_t BitCount = 0;
    std::array<uint8_t, 256> Bits{};  // 0 or 1 each, first bit first
};

void StoreForm(const uint8_t* src, size_t n, std::vector<uint8_t>& out) {
    out.resize(kSignatureSize + n);
    std::memcpy(out.data(), kStoredSignature, kSignatureSize);
    if (n > 0) std::memcpy(out.data() + kSignatureSize, src, n);
}

// Joins the two lightest parentless nodes until one root is left. The scan keeps its two candidates in the
// order found and lets a node of equal weight replace nothing, so ties go to the lower node index.
int BuildTree(std::vector<TreeNode>& nodes, int leaves) {
    for (int pass = 0; pass < leaves - 1; ++pass) {
        int c1 = -1, c2 = -1;
        int64_t w1 = 0, w2 = 0;
        for (size_t i = 0; i < nodes.size(); ++i) {
            const TreeNode& n = nodes[i];
            if (n.ParentIndex != -1) continue;
            int64_t w = n.Weight;
            if (c1 < 0) {
                c1 = static_cast<int>(i), w1 = w;
            } else if (c2 < 0) {
                c2 = static_cast<int>(i), w2 = w;
            } else if (w < w1) {
                if (w < w2 && w1 < w2)
                    c2 = static_cast<int>(i), w2 = w;
                else
                    c1 = static_cast<int>(i), w1 = w;
            } else if (w < w2) {
                c2 = static_cast<int>(i), w2 = w;
            }
        }
        TreeNode joined;
        joined.Weight = w1 + w2;
        joined.ZeroChild = static_cast<int16_t>(c1);
        joined.OneChild = static_cast<int16_t>(c2);
        int16_t index = static_cast<int16_t>(nodes.size());
        nodes[c1].ParentIndex = index;
        nodes[c2].ParentIndex = index;
        nodes.push_back(joined);
    }
    return static_cast<int>(nodes.size()) - 1;
}

// Walks from the root, zero side first; a leaf receives the path walked so far.
void BuildCodes(const std::vector<TreeNode>& nodes, int root, std::vector<BitSequence>& codes) {
    struct Step {
        int node;
        int depth;
        int bit;  // the bit that leads to `node`, -1 for the root
    };
    std::array<uint8_t, 256> path{};
    std::vector<Step> stack{{root, 0, -1}};
    while (!stack.empty()) {
        Step s = stack.back();
        stack.pop_back();
        if (s.bit >= 0) path[s.depth - 1] = static_cast<uint8_t>(s.bit);
        const TreeNode& n = nodes[s.node];
        if (n.ByteValue > -1) {
            BitSequence& code = codes[n.ByteValue];
            code.BitCount = static_cast<uint8_t>(s.depth);
            std::copy(path.begin(), path.begin() + s.depth, code.Bits.begin());
            continue;
        }
        stack.push_back({n.OneChild, s.depth + 1, 1});  // popped after the whole zero side
        stack.push_back({n.ZeroChild, s.depth + 1, 0});
    }
}

class BitWriter {
public:
    explicit BitWriter(uint8_t* p) : p_(p) {}
    void Put(int bit) {
        if (bit) *p_ |= static_cast<uint8_t>(1u << used_);
        if (++used_ == 8) {
            ++p_;
            used_ = 0;
        }
    }

private:
    uint8_t* p_;
    unsigned used_ = 0;
};

void Encode(const uint8_t* src, size_t n, std::vector<uint8_t>& out) {
    if (n == 0 || n > static_cast<size_t>(std::numeric_limits<int32_t>::max())) return StoreForm(src, n, out);

    // Four tables let consecutive equal bytes count without waiting on each other.
    std::array<std::array<uint32_t, 256>, 4> part{};
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        ++part[0][src[i]];
        ++part[1][src[i + 1]];
        ++part[2][src[i + 2]];
        ++part[3][src[i + 3]];
    }
    for (; i < n; ++i) ++part[0][src[i]];
    std::array<int64_t, 256> counts{};
    for (int v = 0; v < 256; ++v) counts[v] = int64_t{part[0][v]} + part[1][v] + part[2][v] + part[3][v];

    std::vector<TreeNode> nodes;
    nodes.reserve(511);
    for (int v = 0; v < 256; ++v) {
        if (counts[v] == 0) continue;
        TreeNode leaf;
        leaf.Weight = counts[v];
        leaf.ByteValue = static_cast<int16_t>(v);
        nodes.push_back(leaf);
    }
    int leaves = static_cast<int>(nodes.size());
    int root = BuildTree(nodes, leaves);
    std::vector<BitSequence> codes(256);
    BuildCodes(nodes, root, codes);

    uint64_t dataBits = 0, tableBits = 0;
    unsigned maxLen = 0;
    for (int v = 0; v < 256; ++v) {
        dataBits += static_cast<uint64_t>(counts[v]) * codes[v].BitCount;
        tableBits += codes[v].BitCount;
        maxLen = std::max<unsigned>(maxLen, codes[v].BitCount);
    }
    uint64_t dataBytes = (dataBits + 7) / 8;
    if (dataBytes == 0 || dataBytes > n) return StoreForm(src, n, out);

    size_t tableBytes = static_cast<size_t>((tableBits + 7) / 8);
    size_t dataStart = kHeaderSize + 2 * static_cast<size_t>(leaves) + tableBytes;
    std::vector<uint8_t> result(dataStart + static_cast<size_t>(dataBytes), 0);
    uint8_t* o = result.data();
    std::memcpy(o, kHe3Signature, kSignatureSize);
    uint8_t checksum = 0;
    for (size_t k = 0; k < n; ++k) checksum ^= src[k];
    o[4] = checksum;
    uint32_t len = static_cast<uint32_t>(n);
    for (int b = 0; b < 4; ++b) o[5 + b] = static_cast<uint8_t>(len >> (8 * b));
    o[9] = static_cast<uint8_t>(leaves);
    o[10] = static_cast<uint8_t>(leaves >> 8);
    size_t at = kHeaderSize;
    for (int v = 0; v < 256; ++v) {
        if (counts[v] == 0) continue;
        o[at++] = static_cast<uint8_t>(v);
        o[at++] = codes[v].BitCount;
    }
    BitWriter table(o + at);
    for (int v = 0; v < 256; ++v)
        for (unsigned b = 0; b < codes[v].BitCount; ++b) table.Put(codes[v].Bits[b]);

    uint8_t* p = o + dataStart;
    if (maxLen <= 32) {
        // Codes as numbers, first bit lowest, gathered 32 bits at a time.
        std::array<uint64_t, 256> value{};
        std::array<uint8_t, 256> length{};
        for (int v = 0; v < 256; ++v) {
            length[v] = codes[v].BitCount;
            for (unsigned b = 0; b < codes[v].BitCount; ++b) value[v] |= uint64_t{codes[v].Bits[b]} << b;
        }
        uint64_t acc = 0;
        unsigned bits = 0;
        for (size_t k = 0; k < n; ++k) {
            uint8_t c = src[k];
            acc |= value[c] << bits;
            bits += length[c];
            if (bits >= 32) {
                p[0] = static_cast<uint8_t>(acc);
                p[1] = static_cast<uint8_t>(acc >> 8);
                p[2] = static_cast<uint8_t>(acc >> 16);
                p[3] = static_cast<uint8_t>(acc >> 24);
                p += 4;
                acc >>= 32;
                bits -= 32;
            }
        }
        for (; bits > 0; bits = bits > 8 ? bits - 8 : 0) {
            *p++ = static_cast<uint8_t>(acc);
            acc >>= 8;
        }
    } else {
        BitWriter data(p);
        for (size_t k = 0; k < n; ++k) {
            const BitSequence& code = codes[src[k]];
            for (unsigned b = 0; b < code.BitCount; ++b) data.Put(code.Bits[b]);
        }
    }
    out.swap(result);
}

// ---- Decoding ------------------------------------------------------------------------------------------

struct DecodeNode {
    int32_t ZeroChild = -1;
    int32_t OneChild = -1;
    int32_t ByteValue = -1;
};

// Adds one code to the decoding tree. Codes that are not prefix-free (one runs through or onto another) can
// only come from a damaged file and are rejected rather than decoded ambiguously.
void AddCodeToTree(std::vector<DecodeNode>& tree, const uint8_t* table, size_t& bitPos, unsigned length,
                   int value) {
    int32_t node = 0;
    for (unsigned b = 0; b < length; ++b, ++bitPos) {
        if (tree[node].ByteValue > -1) ThrowCorrupt();
        int bit = (table[bitPos >> 3] >> (bitPos & 7)) & 1;
        int32_t next = bit ? tree[node].OneChild : tree[node].ZeroChild;
        if (next < 0) {
            next = static_cast<int32_t>(tree.size());
            (bit ? tree[node].OneChild : tree[node].ZeroChild) = next;
            tree.emplace_back();
        }
        node = next;
    }
    DecodeNode& leaf = tree[node];
    if (leaf.ByteValue > -1 || leaf.ZeroChild >= 0 || leaf.OneChild >= 0) ThrowCorrupt();
    leaf.ByteValue = value;
}

// One entry per value of the next kLookupBits input bits (first bit lowest): the byte those bits begin with
// and its code length, or the inner node reached after all of them, or a path that leaves the tree.
constexpr unsigned kLookupBits = 11;
struct LookupEntry {
    int32_t target;  // byte value, or node index when length is 0
    uint8_t length;  // code length in bits; 0: inner node after `bits` bits; kInvalid: no such code
};
constexpr uint8_t kInvalid = 0xFF;

uint32_t ReadLe32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

class BitReader {
public:
    BitReader(const uint8_t* p, const uint8_t* end) : p_(p), end_(end) {}
    // Brings at least 57 bits into the window while the input lasts; never reads past `end`.
    void Refill() {
        if (end_ - p_ >= 8) {
            uint64_t v = 0;
            for (int b = 0; b < 8; ++b) v |= uint64_t{p_[b]} << (8 * b);
            // Bits above the new count repeat the same input bits at the same places, so OR-ing them in
            // again at the next refill changes nothing.
            window_ |= v << count_;
            p_ += (63 - count_) >> 3;
            count_ |= 56;
            return;
        }
        while (count_ <= 56 && p_ < end_) {
            window_ |= uint64_t{*p_++} << count_;
            count_ += 8;
        }
    }
    unsigned count() const { return count_; }
    uint64_t window() const { return window_; }
    void Skip(unsigned bits) {
        window_ >>= bits;
        count_ -= bits;
    }

private:
    const uint8_t* p_;
    const uint8_t* end_;
    uint64_t window_ = 0;
    unsigned count_ = 0;
};

// Returns normally with the decoded bytes in `out`; throws for anything malformed.
void Decode(const uint8_t* in, size_t size, std::vector<uint8_t>& out, bool& checksumOk) {
    checksumOk = true;
    if (size < kHeaderSize) ThrowCorrupt();
    uint8_t checksum = in[4];
    int32_t length = static_cast<int32_t>(ReadLe32(in + 5));
    if (length < 0) ThrowCorrupt();
    int16_t n = static_cast<int16_t>(in[9] | in[10] << 8);
    if (n < 1 || n > 256) ThrowCorrupt();
    size_t pairsEnd = kHeaderSize + 2 * static_cast<size_t>(n);
    if (pairsEnd > size) ThrowCorrupt();

    // A value listed twice keeps its last length, as a table indexed by value would.
    std::array<uint8_t, 256> lengths{};
    for (size_t k = kHeaderSize; k < pairsEnd; k += 2) lengths[in[k]] = in[k + 1];
    size_t tableBits = 0;
    unsigned maxLen = 0, minLen = 256;
    for (unsigned len : lengths) {
        if (len == 0) continue;
        tableBits += len;
        maxLen = std::max(maxLen, len);
        minLen = std::min(minLen, len);
    }
    if (maxLen == 0) ThrowCorrupt();
    size_t tableBytes = (tableBits + 7) / 8;
    if (tableBytes > size - pairsEnd) ThrowCorrupt();

    std::vector<DecodeNode> tree(1);
    tree.reserve(std::min<size_t>(tableBits + 1, 1024));
    size_t bitPos = 0;
    for (int v = 0; v < 256; ++v)
        if (lengths[v] > 0) AddCodeToTree(tree, in + pairsEnd, bitPos, lengths[v], v);

    unsigned lookupBits = std::min(kLookupBits, maxLen);
    std::vector<LookupEntry> lookup(size_t{1} << lookupBits);
    for (size_t idx = 0; idx < lookup.size(); ++idx) {
        int32_t node = 0;
        LookupEntry e{0, kInvalid};
        unsigned d = 0;
        for (; d < lookupBits; ++d) {
            int32_t next = (idx >> d) & 1 ? tree[node].OneChild : tree[node].ZeroChild;
            if (next < 0) break;
            node = next;
            if (tree[node].ByteValue > -1) {
                e = {tree[node].ByteValue, static_cast<uint8_t>(d + 1)};
                break;
            }
        }
        if (d == lookupBits) e = {node, 0};
        lookup[idx] = e;
    }

    const uint8_t* data = in + pairsEnd + tableBytes;
    const uint8_t* end = in + size;
    // The output can never be longer than the data bits allow, whatever the header says.
    size_t possible = static_cast<size_t>(end - data) * 8 / minLen;
    size_t want = std::min(static_cast<size_t>(length), possible);
    std::vector<uint8_t> result(want);
    uint8_t* o = result.data();
    size_t produced = 0;
    const uint64_t mask = (uint64_t{1} << lookupBits) - 1;
    BitReader reader(data, end);

    // Walks the tree bit by bit from `node`; false when the input ends first.
    auto walk = [&](int32_t node) {
        for (;;) {
            if (reader.count() == 0) {
                reader.Refill();
                if (reader.count() == 0) return false;
            }
            int bit = static_cast<int>(reader.window() & 1);
            reader.Skip(1);
            node = bit ? tree[node].OneChild : tree[node].ZeroChild;
            if (node < 0) ThrowCorrupt();
            if (tree[node].ByteValue > -1) {
                o[produced++] = static_cast<uint8_t>(tree[node].ByteValue);
                return true;
            }
        }
    };

    while (produced < want) {
        if (reader.count() < lookupBits) {
            reader.Refill();
            if (reader.count() < lookupBits) {
                if (!walk(0)) break;
                continue;
            }
        }
        const LookupEntry& e = lookup[reader.window() & mask];
        if (e.length == kInvalid) ThrowCorrupt();
        if (e.length > 0) {
            o[produced++] = static_cast<uint8_t>(e.target);
            reader.Skip(e.length);
        } else {
            reader.Skip(lookupBits);
            if (!walk(e.target)) break;
        }
    }
    uint8_t x = 0;
    for (size_t k = 0; k < produced; ++k) x ^= o[k];
    checksumOk = x == checksum;
    // Data that ran out early is what a changed or cut data byte looks like: a checksum that no longer
    // matches is reported as such, with what was decoded; a short output that still matches is refused.
    if (produced < static_cast<size_t>(length)) {
        if (checksumOk) ThrowCorrupt();
        result.resize(produced);
    }
    out.swap(result);
}

void DecodeBuffer(std::vector<uint8_t>& buffer, size_t byteLen) {
    size_t size = std::min(byteLen, buffer.size());
    const uint8_t* in = buffer.data();
    if (size >= kSignatureSize && in[0] == 'H' && in[1] == 'E' && in[3] == '\r') {
        if (in[2] == '0') {
            std::vector<uint8_t> stored(in + kSignatureSize, in + size);
            buffer.swap(stored);
            return;
        }
        if (in[2] != '3')
            throw HuffmanError(kHuffmanErrorNumber, kHuffmanSignatureSource, kHuffmanSignatureDescription);
    }
    // A zero length ends decoding before anything else is looked at.
    if (size >= 9 && ReadLe32(in + 5) == 0) return;
    std::vector<uint8_t> out;
    bool checksumOk = true;
    Decode(in, size, out, checksumOk);
    buffer.swap(out);
    if (!checksumOk)
        throw HuffmanError(kHuffmanErrorNumber, kHuffmanDecodeSource, kHuffmanChecksumDescription);
}

}  // namespace

void clsHuffman::EncodeByte(std::vector<uint8_t>& ByteArray, size_t ByteLen) {
    std::vector<uint8_t> out;
    Encode(ByteArray.data(), std::min(ByteLen, ByteArray.size()), out);
    ByteArray.swap(out);
}

void clsHuffman::DecodeByte(std::vector<uint8_t>& ByteArray, size_t ByteLen) {
    DecodeBuffer(ByteArray, ByteLen);
}

void clsHuffman::EncodeString(std::string& Text) {
    std::vector<uint8_t> bytes(Text.begin(), Text.end());
    EncodeByte(bytes, bytes.size());
    Text.assign(bytes.begin(), bytes.end());
}

void clsHuffman::DecodeString(std::string& Text) {
    std::vector<uint8_t> bytes(Text.begin(), Text.end());
    try {
        DecodeByte(bytes, bytes.size());
    } catch (const HuffmanError&) {
        Text.assign(bytes.begin(), bytes.end());
        throw;
    }
    Text.assign(bytes.begin(), bytes.end());
}

std::optional<std::string> DecodeCompressedQuest(std::string bytes) {
    try {
        clsHuffman().DecodeString(bytes);
    } catch (const HuffmanError&) {
        return std::nullopt;
    }
    return bytes;
}

}  // namespace tarvik::formats
