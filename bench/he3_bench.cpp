// HE3 against zlib on the same 1 MB of quest-like text: HE3 encode vs deflate in Huffman-only mode, HE3
// decode vs inflate of that deflate output. Throughput is counted on the uncompressed size in every case.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "formats/huffman.h"
#include "text/text.h"

namespace {

// Quest lines in code page 1251: labels, statements and Russian prose, as a real quest mixes them.
const std::vector<uint8_t>& QuestText() {
    static const std::vector<uint8_t> text = [] {
        const char* words[] = {"вы",     "стоите", "у",      "старой", "хижины", "на",      "краю",
                               "леса",   "ветер",  "качает", "ставни", "дверь",  "закрыта", "ключ",
                               "монета", "сундук", "фонарь", "темно",  "дорога", "идти",    "назад"};
        const char* statements[] = {"btn hut, Войти в хижину",
                                    "goto outside",
                                    "inv+ Монета",
                                    "end",
                                    "if light=1 then goto forest else pln Темно.",
                                    "proc guide",
                                    "Style_TextColor=32768",
                                    "pause 500",
                                    "cls"};
        auto cp = [](const char* utf8) { return tarvik::text::Utf8ToCp1251(utf8); };
        std::mt19937 rng(42);
        std::string s;
        int label = 0;
        while (s.size() < (1u << 20)) {
            switch (rng() % 8) {
                case 0:
                    s += ":loc" + std::to_string(label++) + "\r\n";
                    break;
                case 1:
                case 2:
                    s += cp(statements[rng() % std::size(statements)]);
                    s += "\r\n";
                    break;
                default: {
                    s += "pln ";
                    int n = 4 + static_cast<int>(rng() % 10);
                    for (int i = 0; i < n; ++i) {
                        if (i) s += ' ';
                        s += cp(words[rng() % std::size(words)]);
                    }
                    s += ".\r\n";
                }
            }
        }
        s.resize(1u << 20);
        return std::vector<uint8_t>(s.begin(), s.end());
    }();
    return text;
}

std::vector<uint8_t> ZlibHuffmanOnly(const std::vector<uint8_t>& src) {
    z_stream z{};
    deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15, 8, Z_HUFFMAN_ONLY);
    std::vector<uint8_t> out(deflateBound(&z, src.size()));
    z.next_in = const_cast<Bytef*>(src.data());
    z.avail_in = static_cast<uInt>(src.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

void BM_He3Encode(benchmark::State& state) {
    const auto& src = QuestText();
    tarvik::formats::clsHuffman codec;
    std::vector<uint8_t> buf;
    for (auto _ : state) {
        state.PauseTiming();
        buf = src;
        state.ResumeTiming();
        codec.EncodeByte(buf, buf.size());
        benchmark::DoNotOptimize(buf.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * src.size()));
    state.counters["ratio"] = static_cast<double>(buf.size()) / static_cast<double>(src.size());
}
BENCHMARK(BM_He3Encode)->Unit(benchmark::kMicrosecond);

void BM_He3Decode(benchmark::State& state) {
    const auto& src = QuestText();
    tarvik::formats::clsHuffman codec;
    std::vector<uint8_t> encoded = src;
    codec.EncodeByte(encoded, encoded.size());
    std::vector<uint8_t> buf;
    for (auto _ : state) {
        state.PauseTiming();
        buf = encoded;
        state.ResumeTiming();
        codec.DecodeByte(buf, buf.size());
        benchmark::DoNotOptimize(buf.data());
    }
    if (buf != src) state.SkipWithError("HE3 decode does not give the source back");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * src.size()));
}
BENCHMARK(BM_He3Decode)->Unit(benchmark::kMicrosecond);

void BM_ZlibHuffmanOnlyDeflate(benchmark::State& state) {
    const auto& src = QuestText();
    std::vector<uint8_t> out;
    for (auto _ : state) {
        out = ZlibHuffmanOnly(src);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * src.size()));
    state.counters["ratio"] = static_cast<double>(out.size()) / static_cast<double>(src.size());
}
BENCHMARK(BM_ZlibHuffmanOnlyDeflate)->Unit(benchmark::kMicrosecond);

void BM_ZlibInflate(benchmark::State& state) {
    const auto& src = QuestText();
    std::vector<uint8_t> packed = ZlibHuffmanOnly(src);
    std::vector<uint8_t> out(src.size());
    for (auto _ : state) {
        z_stream z{};
        inflateInit2(&z, 15);
        z.next_in = packed.data();
        z.avail_in = static_cast<uInt>(packed.size());
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        int rc = inflate(&z, Z_FINISH);
        inflateEnd(&z);
        if (rc != Z_STREAM_END) state.SkipWithError("inflate failed");
        benchmark::DoNotOptimize(out.data());
    }
    if (out != src) state.SkipWithError("inflate does not give the source back");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * src.size()));
}
BENCHMARK(BM_ZlibInflate)->Unit(benchmark::kMicrosecond);

}  // namespace
