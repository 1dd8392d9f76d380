// The HE3 codec: exact output bytes of the encoder, the decoder's handling of every header field, and round
// trips over many sizes and byte distributions.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "formats/huffman.h"
#include "test_host.h"
#include "tools/quest_files.h"

namespace tarvik::testing {
namespace {

using formats::clsHuffman;
using formats::HuffmanError;
using Bytes = std::vector<uint8_t>;

Bytes B(const std::string& s) {
    return Bytes(s.begin(), s.end());
}
std::string S(const Bytes& b) {
    return std::string(b.begin(), b.end());
}

Bytes Encode(const Bytes& src) {
    Bytes b = src;
    clsHuffman().EncodeByte(b, b.size());
    return b;
}
Bytes Decode(const Bytes& enc) {
    Bytes b = enc;
    clsHuffman().DecodeByte(b, b.size());
    return b;
}

// The codes an HE3 buffer declares, value -> bits as "0"/"1" text, read straight from the format.
std::map<char, std::string> DeclaredCodes(const Bytes& he3) {
    std::map<char, std::string> codes;
    int n = he3[9] | he3[10] << 8;
    size_t bit = 0;
    const size_t table = 11 + 2 * static_cast<size_t>(n);
    for (int k = 0; k < n; ++k) {
        std::string code;
        for (int i = 0; i < he3[11 + 2 * k + 1]; ++i, ++bit)
            code += (he3[table + bit / 8] >> (bit % 8)) & 1 ? '1' : '0';
        codes[static_cast<char>(he3[11 + 2 * k])] = code;
    }
    return codes;
}

// Expects DecodeByte to fail with the given source and description and to leave the buffer as it was.
void ExpectDecodeError(const Bytes& input, const char* source, const char* description) {
    Bytes b = input;
    try {
        clsHuffman().DecodeByte(b, b.size());
        ADD_FAILURE() << "decoded without an error";
    } catch (const HuffmanError& e) {
        EXPECT_EQ(e.number, 0x80040000u);
        EXPECT_EQ(e.source, source);
        EXPECT_EQ(e.description(), description);
        EXPECT_EQ(b, input) << "the buffer must stay unchanged";
    }
}
void ExpectCorrupt(const Bytes& input) {
    ExpectDecodeError(input, formats::kHuffmanDecodeSource, formats::kHuffmanTruncatedDescription);
}

TEST(HuffmanEncode, StoredFormForEmptyAndSingleValueSources) {
    EXPECT_EQ(S(Encode({})), "HE0\r");
    EXPECT_TRUE(Decode(B("HE0\r")).empty());
    EXPECT_EQ(S(Encode(B("aaaa"))), "HE0\raaaa");
    EXPECT_EQ(S(Decode(B("HE0\raaaa"))), "aaaa");
    EXPECT_EQ(S(Encode(B("\x07"))), std::string("HE0\r\x07", 5));
}

TEST(HuffmanEncode, TwoLettersGiveTheSeventeenByteBuffer) {
    // 11 header bytes, 2 pairs, one code-table byte, one data byte: D = 1 is not above the length 2.
    const Bytes expected = {'H', 'E', '3', '\r', 'a' ^ 'b', 2, 0, 0, 0, 2, 0, 'a', 1, 'b', 1, 0x02, 0x02};
    EXPECT_EQ(Encode(B("ab")), expected);
    EXPECT_EQ(S(Decode(expected)), "ab");
    EXPECT_EQ(S(Decode(Encode(B("ba")))), "ba");
    EXPECT_EQ(Encode(B("ba"))[16], 0x01);
}

TEST(HuffmanEncode, CandidateScanDecidesTheCodes) {
    // 1-1-1: a equal weight replaces nothing, so the first pass joins a (zero side) and b (one side).
    Bytes abc = Encode(B("abc"));
    EXPECT_EQ(DeclaredCodes(abc), (std::map<char, std::string>{{'a', "10"}, {'b', "11"}, {'c', "0"}}));
    const Bytes abcExpected = {'H', 'E', '3',  '\r', 'a' ^ 'b' ^ 'c', 3, 0, 0, 0, 3, 0, 'a', 2, 'b', 2,
                               'c', 1,   0x0D, 0x0D};
    EXPECT_EQ(abc, abcExpected);

    // 2-1-1: c is lighter than candidate 1 (a) but not than candidate 2 (b): it replaces candidate 1.
    EXPECT_EQ(DeclaredCodes(Encode(B("aabc"))),
              (std::map<char, std::string>{{'a', "0"}, {'b', "11"}, {'c', "10"}}));
    // 1-3-1: c equals candidate 1 and is below candidate 2: it replaces candidate 2.
    EXPECT_EQ(DeclaredCodes(Encode(B("abbbc"))),
              (std::map<char, std::string>{{'a', "10"}, {'b', "0"}, {'c', "11"}}));
    // 2-5-1: c is lighter than both and candidate 1 is the lighter one: candidate 2 goes.
    EXPECT_EQ(DeclaredCodes(Encode(B("aabbbbbc"))),
              (std::map<char, std::string>{{'a', "10"}, {'b', "0"}, {'c', "11"}}));
    // 3-2-2-3: c replaces candidate 1 (a) and so takes the zero side before b; then a and d join in scan
    // order.
    EXPECT_EQ(DeclaredCodes(Encode(B("aaabbccddd"))),
              (std::map<char, std::string>{{'a', "10"}, {'b', "01"}, {'c', "00"}, {'d', "11"}}));
}

TEST(HuffmanEncode, KeepsHe3WhenTheDataOnlyEqualsTheSourceLength) {
    // All 256 values once each: 8-bit codes and D equal to the length, so HE3 is kept although its header
    // makes it four times the source.
    Bytes all(256);
    for (int i = 0; i < 256; ++i) all[i] = static_cast<uint8_t>(255 - i);
    Bytes enc = Encode(all);
    EXPECT_EQ(S(Bytes(enc.begin(), enc.begin() + 4)), "HE3\r");
    EXPECT_EQ(enc.size(), 11u + 512 + 256 + 256);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(enc[11 + 2 * i], i);  // pairs in ascending value order
    EXPECT_EQ(Decode(enc), all);
}

TEST(HuffmanEncode, OnlyTheGivenLengthIsEncoded) {
    Bytes b = B("abcabcXYZ");
    clsHuffman().EncodeByte(b, 6);
    EXPECT_EQ(S(Decode(b)), "abcabc");
    b = B("abc");
    clsHuffman().EncodeByte(b, 100);  // a length beyond the buffer is the whole buffer
    EXPECT_EQ(S(Decode(b)), "abc");
}

TEST(HuffmanDecode, SignatureRules) {
    ExpectDecodeError(B("HE1\rabc"), formats::kHuffmanSignatureSource, formats::kHuffmanSignatureDescription);
    ExpectDecodeError(B("HEx\r"), formats::kHuffmanSignatureSource, formats::kHuffmanSignatureDescription);
    // Without the H, E, ?, CR pattern the buffer is read as HE3 all the same.
    Bytes enc = Encode(B("hello, world"));
    enc[0] = 'X';
    enc[3] = 'Y';
    EXPECT_EQ(S(Decode(enc)), "hello, world");
    // Only the given length counts: a stored buffer with bytes after it.
    Bytes stored = B("HE0\rabcdef");
    clsHuffman().DecodeByte(stored, 7);
    EXPECT_EQ(S(stored), "abc");
}

TEST(HuffmanDecode, DataStartsOnTheByteAfterAPartlyUsedCodeTable) {
    // "abc" has 5 code-table bits; the 3 bits left in that byte are filler the decoder must skip, whatever
    // they hold.
    Bytes enc = Encode(B("abc"));
    ASSERT_EQ(enc.size(), 19u);
    enc[17] |= 0xE0;
    EXPECT_EQ(S(Decode(enc)), "abc");
}

TEST(HuffmanDecode, ChangedDataByteGivesTheChecksumErrorWithTheOutput) {
    std::string src;
    for (int i = 0; i < 64; ++i) src += "abcd";  // four 2-bit codes: any data bits decode
    Bytes enc = Encode(B(src));
    enc[enc.size() - 64] ^= 0x01;
    Bytes b = enc;
    try {
        clsHuffman().DecodeByte(b, b.size());
        ADD_FAILURE() << "no checksum error";
    } catch (const HuffmanError& e) {
        EXPECT_EQ(e.number, formats::kHuffmanErrorNumber);
        EXPECT_EQ(e.source, "clsHuffman.Decode()");
        EXPECT_STREQ(e.what(), "The data might be corrupted (checksum did not match expected value)");
    }
    ASSERT_EQ(b.size(), src.size());
    EXPECT_NE(S(b), src);
    EXPECT_EQ(S(b).substr(1), src.substr(1));  // only the first code changed (a 00 became c 10)
    EXPECT_EQ(b[0], 'c');

    std::string text(enc.begin(), enc.end());
    EXPECT_THROW(clsHuffman().DecodeString(text), HuffmanError);
    EXPECT_EQ(text.size(), src.size());  // DecodeString hands back the output too
}

TEST(HuffmanDecode, ChangedDataByteThatEndsTheDataEarlyIsTheChecksumErrorToo) {
    // a 0, c 10, b 11: "aaaabc" fills its one data byte exactly. With the first bit set it reads c a a b c,
    // and the data ends one byte short of the stored length: still the checksum error, with those five bytes.
    const Bytes enc = Encode(B("aaaabc"));
    const Bytes expected = {'H', 'E', '3', '\r', 'b' ^ 'c', 6,   0, 0,    0,   3,
                            0,   'a', 1,   'b',  2,         'c', 2, 0x0E, 0x70};
    ASSERT_EQ(enc, expected);
    Bytes b = enc;
    b.back() ^= 0x01;
    try {
        clsHuffman().DecodeByte(b, b.size());
        ADD_FAILURE() << "no checksum error";
    } catch (const HuffmanError& e) {
        EXPECT_EQ(e.number, formats::kHuffmanErrorNumber);
        EXPECT_EQ(e.source, formats::kHuffmanDecodeSource);
        EXPECT_EQ(e.description(), formats::kHuffmanChecksumDescription);
    }
    EXPECT_EQ(S(b), "caabc");
}

TEST(HuffmanDecode, DataCutShortIsCheckedAndNeverAccepted) {
    std::string src;
    for (int i = 0; i < 64; ++i) src += "abcd";
    const Bytes enc = Encode(B(src));
    ASSERT_EQ(enc.size(), 11u + 8 + 1 + 64);
    // 55 of the 64 data bytes give 220 letters whose checksum differs: the checksum error with them.
    Bytes b(enc.begin(), enc.end() - 9);
    EXPECT_THROW(clsHuffman().DecodeByte(b, b.size()), HuffmanError);
    EXPECT_EQ(S(b), src.substr(0, 220));
    try {
        Bytes again(enc.begin(), enc.end() - 9);
        clsHuffman().DecodeByte(again, again.size());
    } catch (const HuffmanError& e) {
        EXPECT_EQ(e.description(), formats::kHuffmanChecksumDescription);
    }
    // 54 data bytes give 216 letters whose checksum happens to match: short all the same, so rejected.
    ExpectCorrupt(Bytes(enc.begin(), enc.end() - 10));
}

TEST(HuffmanDecode, ZeroStoredLengthLeavesTheBufferUnchanged) {
    Bytes enc = Encode(B("abc"));
    enc[5] = enc[6] = enc[7] = enc[8] = 0;
    EXPECT_EQ(Decode(enc), enc);
}

TEST(HuffmanDecode, HostileHeadersEndInTheError) {
    const Bytes good = Encode(B("hello, hostile world"));
    auto with = [&](size_t at, std::initializer_list<uint8_t> bytes) {
        Bytes b = good;
        std::copy(bytes.begin(), bytes.end(), b.begin() + static_cast<long>(at));
        return b;
    };
    // A length of 2 GB, or just more than the data holds: decoding runs to the end of the data (the filler
    // bits of the last byte give one more letter) and the checksum no longer matches.
    for (const Bytes& longer : {with(5, {0xFF, 0xFF, 0xFF, 0x7F}), with(5, {200, 0, 0, 0})}) {
        Bytes b = longer;
        try {
            clsHuffman().DecodeByte(b, b.size());
            ADD_FAILURE() << "decoded without an error";
        } catch (const HuffmanError& e) {
            EXPECT_EQ(e.description(), formats::kHuffmanChecksumDescription);
        }
        EXPECT_EQ(S(b), "hello, hostile world ");
    }
    ExpectCorrupt(with(5, {0xFF, 0xFF, 0xFF, 0xFF}));  // a negative length
    ExpectCorrupt(with(9, {0, 0}));                    // N = 0
    ExpectCorrupt(with(9, {1, 1}));                    // N = 257
    ExpectCorrupt(with(9, {200, 0}));                  // pairs far past the end
    ExpectCorrupt(with(9, {0xFF, 0xFF}));              // N = -1
    ExpectCorrupt(with(12, {255}));                    // a code table longer than the buffer

    // Two values with the same code, and a code running through another one's leaf.
    ExpectCorrupt({'H', 'E', '3', '\r', 0, 2, 0, 0, 0, 2, 0, 'a', 1, 'b', 1, 0x00, 0x00});
    ExpectCorrupt({'H', 'E', '3', '\r', 0, 2, 0, 0, 0, 2, 0, 'a', 1, 'b', 2, 0x00, 0x00});
    // A code set with a hole ("1" and "01" only): data that walks into it.
    ExpectCorrupt({'H', 'E', '3', '\r', 0, 2, 0, 0, 0, 2, 0, 'a', 1, 'b', 2, 0x05, 0x00});
    // Every length zero: nothing to decode with.
    ExpectCorrupt({'H', 'E', '3', '\r', 0, 2, 0, 0, 0, 1, 0, 'a', 0, 0x00});
    // Too short for a header at all.
    for (const char* tiny : {"", "H", "HE3", "HE3\r", "HE3\r\x01\x02"}) ExpectCorrupt(B(tiny));
}

TEST(HuffmanDecode, EveryTruncationIsAnError) {
    std::mt19937 rng(5);
    std::string src;
    std::uniform_int_distribution<int> letter(0, 25);
    for (int i = 0; i < 3000; ++i) src += static_cast<char>('a' + letter(rng) % (1 + i % 26));
    const Bytes enc = Encode(B(src));
    ASSERT_EQ(S(Bytes(enc.begin(), enc.begin() + 4)), "HE3\r");
    for (size_t len = 0; len < enc.size(); ++len) {
        Bytes cut(enc.begin(), enc.begin() + static_cast<long>(len));
        Bytes b = cut;
        EXPECT_THROW(clsHuffman().DecodeByte(b, b.size()), HuffmanError) << "cut to " << len;
        // The same through a length shorter than the buffer.
        b = enc;
        EXPECT_THROW(clsHuffman().DecodeByte(b, len), HuffmanError) << "length " << len;
    }
}

// Sources of many sizes and shapes, each checked for an exact round trip.
class HuffmanRoundTrip : public ::testing::TestWithParam<int> {};

Bytes MakeSource(int kind, size_t size, std::mt19937& rng) {
    Bytes b(size);
    switch (kind) {
        case 0: {  // uniform over all 256 values
            std::uniform_int_distribution<int> d(0, 255);
            for (auto& x : b) x = static_cast<uint8_t>(d(rng));
            break;
        }
        case 1: {  // geometric: a long skewed tail
            std::geometric_distribution<int> d(0.3);
            for (auto& x : b) x = static_cast<uint8_t>(std::min(d(rng), 255));
            break;
        }
        case 2: {  // two values, one rare
            std::bernoulli_distribution d(0.02);
            for (auto& x : b) x = d(rng) ? 'x' : 'y';
            break;
        }
        case 3: {  // quest-like text in code page 1251
            const std::string words[] = {W("Вы стоите у двери. "),
                                         "btn room, ",
                                         W("Войти\r\n"),
                                         ":room\r\n",
                                         "pln ",
                                         "end\r\n",
                                         W("Монета "),
                                         "if a>1 then goto x\r\n"};
            std::uniform_int_distribution<int> d(0, 7);
            std::string s;
            while (s.size() < size) s += words[d(rng)];
            s.resize(size);
            b = B(s);
            break;
        }
        case 4: {  // Fibonacci weights, as many values as fit: the deepest tree a length allows
            std::string s;
            uint64_t f0 = 1, f1 = 1;
            for (int v = 0; s.size() + f0 <= size; ++v) {
                s.append(static_cast<size_t>(f0), static_cast<char>(v));
                uint64_t f2 = f0 + f1;
                f0 = f1;
                f1 = f2;
            }
            std::shuffle(s.begin(), s.end(), rng);
            b = B(s);
            break;
        }
    }
    return b;
}

TEST_P(HuffmanRoundTrip, DecodesToTheSource) {
    std::mt19937 rng(static_cast<uint32_t>(GetParam()));
    const size_t sizes[] = {1, 2, 3, 5, 8, 13, 31, 64, 100, 255, 256, 257, 1000, 4097, 65536, 100003};
    for (size_t size : sizes) {
        Bytes src = MakeSource(GetParam(), size, rng);
        Bytes enc = Encode(src);
        ASSERT_EQ(Decode(enc), src) << "kind " << GetParam() << " size " << size;
        if (GetParam() == 4 && size >= 65536) {
            size_t longest = 0;
            for (auto& [value, code] : DeclaredCodes(enc)) longest = std::max(longest, code.size());
            EXPECT_GE(longest, 21u);  // well past the decoder's lookup width
        }
        std::string text = S(src);
        clsHuffman().EncodeString(text);
        EXPECT_EQ(text, S(enc));
        clsHuffman().DecodeString(text);
        EXPECT_EQ(text, S(src));
    }
}

INSTANTIATE_TEST_SUITE_P(HuffmanDistributions, HuffmanRoundTrip, ::testing::Values(0, 1, 2, 3, 4));

TEST(HuffmanEncode, CodesLongerThanThirtyTwoBitsRoundTrip) {
    // Fibonacci weights over 34 values (15 million bytes) give a 33-bit code.
    std::string s;
    uint64_t f0 = 1, f1 = 1;
    for (int v = 0; v < 34; ++v) {
        s.append(static_cast<size_t>(f0), static_cast<char>('A' + v));
        uint64_t f2 = f0 + f1;
        f0 = f1;
        f1 = f2;
    }
    Bytes src = B(s);
    Bytes enc = Encode(src);
    size_t longest = 0;
    for (auto& [value, code] : DeclaredCodes(enc)) longest = std::max(longest, code.size());
    EXPECT_EQ(longest, 33u);
    EXPECT_EQ(Decode(enc), src);
}

TEST(HuffmanFiles, CompressAndUncompress) {
    QuestFixture q;
    auto src = q.WriteBytes("quest.qst", "pln one\r\npln two\r\nend\r\n");
    auto packed = q.dir / "quest.qs3", unpacked = q.dir / "back.qst";
    q.WriteBytes("quest.qs3", "an older file that is longer than the new one will be");
    EXPECT_TRUE(tools::CompressFile(src.string(), packed.string()));
    std::ifstream in(packed, std::ios::binary);
    std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(written, S(Encode(B("pln one\r\npln two\r\nend\r\n"))));
    EXPECT_TRUE(tools::UncompressFile(packed.string(), unpacked.string()));
    std::ifstream back(unpacked, std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(back)), std::istreambuf_iterator<char>()),
              "pln one\r\npln two\r\nend\r\n");

    // A missing source does nothing.
    EXPECT_TRUE(tools::CompressFile((q.dir / "none.qst").string(), (q.dir / "none.qs3").string()));
    EXPECT_FALSE(std::filesystem::exists(q.dir / "none.qs3"));
    // A corrupt source raises the error and leaves the destination alone.
    auto bad = q.WriteBytes("bad.qs3", "HE1\r....");
    EXPECT_THROW(tools::UncompressFile(bad.string(), unpacked.string()), HuffmanError);
    EXPECT_TRUE(std::filesystem::exists(unpacked));
    // A destination that cannot be written.
    EXPECT_FALSE(tools::CompressFile(src.string(), q.dir.string()));
}

}  // namespace
}  // namespace tarvik::testing
