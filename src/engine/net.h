// The engine's way to the web for network includes. The engine stays free of any network library: a front
// hands it an HttpClient (src/net has one over libcurl); without one, network includes bring nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tarvik {

// What a size probe learnt. `ok` is false when the server could not be asked or answered with an error;
// otherwise `announced` tells whether the response carried a Content-Length, `length` its value.
struct HttpProbe {
    bool ok = false;
    bool announced = false;
    uint64_t length = 0;
};

class HttpClient {
public:
    // The largest piece a download delivers at a time.
    static constexpr size_t kChunk = 2048;

    // Called with each piece of the body in order (never more than kChunk bytes); false stops the download.
    using ChunkSink = std::function<bool(std::string_view piece)>;
    // Called now and then while the transfer waits for the network, so the caller can let its window breathe;
    // false abandons the transfer.
    using KeepGoing = std::function<bool()>;

    virtual ~HttpClient() = default;

    // Whether the machine has a network to speak of; false turns a network include away before any request.
    virtual bool IsOnline() = 0;

    // A HEAD request for `url` (UTF-8; bytes a URL may not hold are escaped by the client).
    virtual HttpProbe Probe(const std::string& url, const KeepGoing& keepGoing) = 0;

    // Downloads `url`, delivering its body to `sink`. Delivery stops after the piece that takes the total
    // past `cap` bytes, however much the server still sends or announced. True when the body was read to its
    // end or to the cap; false on any failure, and when sink or keepGoing stopped it.
    virtual bool Get(const std::string& url, size_t cap, const ChunkSink& sink,
                     const KeepGoing& keepGoing) = 0;
};

}  // namespace tarvik
