// The HTTP client behind network includes, over libcurl. Qt-free so both fronts link it.
//
// Only http and https are spoken, also after a redirect (at most 5); certificates are checked; no cookies, no
// stored credentials (.netrc), no cache; a server that never answers or stops sending is given up after the
// timeouts below, and a download never delivers more than its cap plus the one piece that crosses it.
#pragma once

#include <functional>

#include "engine/net.h"

namespace tarvik::net {

struct CurlSettings {
    long connectTimeoutSeconds = 15;  // CURLOPT_CONNECTTIMEOUT: the server must accept within this
    // CURLOPT_LOW_SPEED_LIMIT / CURLOPT_LOW_SPEED_TIME: below this many bytes a second for that long, the
    // transfer is given up (a server that stalls, or trickles).
    long stallBytesPerSecond = 1;
    long stallSeconds = 30;
    long probeTimeoutSeconds = 60;  // CURLOPT_TIMEOUT for the HEAD probe as a whole
    // Whether the machine is online; empty asks the system (AnyInterfaceUp). Tests put their own answer here.
    std::function<bool()> online;
};

// True when some network interface other than loopback is up and running with an address.
bool AnyInterfaceUp();

// The URL as libcurl takes it: bytes a URL may not hold (blanks, controls, non-ASCII) percent-escaped.
std::string EscapeUrl(const std::string& utf8);

class CurlClient : public HttpClient {
public:
    explicit CurlClient(CurlSettings settings = {});
    void SetSettings(CurlSettings settings) { m_Settings = std::move(settings); }

    bool IsOnline() override;
    HttpProbe Probe(const std::string& url, const KeepGoing& keepGoing) override;
    bool Get(const std::string& url, size_t cap, const ChunkSink& sink, const KeepGoing& keepGoing) override;

private:
    CurlSettings m_Settings;
};

}  // namespace tarvik::net
