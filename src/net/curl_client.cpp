#include "net/curl_client.h"

#include <curl/curl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <sys/socket.h>

#include <algorithm>
#include <memory>
#include <mutex>

namespace tarvik::net {

namespace {

// The agent name network includes have always announced themselves with.
const char kUserAgent[] = "VB Project";

struct EasyDeleter {
    void operator()(CURL* h) const { curl_easy_cleanup(h); }
};
struct ListDeleter {
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};
using Easy = std::unique_ptr<CURL, EasyDeleter>;
using HeaderList = std::unique_ptr<curl_slist, ListDeleter>;

void GlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* keepGoing = static_cast<const HttpClient::KeepGoing*>(user);
    return (*keepGoing)() ? 0 : 1;
}

// The options every request shares. False when libcurl refuses one of the safety settings: then nothing is
// sent rather than something sent less safely.
bool Configure(CURL* h, const std::string& url, const CurlSettings& s, const HttpClient::KeepGoing& keepGoing,
               curl_slist* headers) {
    bool ok = true;
    auto set = [&](CURLcode rc) { ok = ok && rc == CURLE_OK; };
    set(curl_easy_setopt(h, CURLOPT_URL, url.c_str()));
    set(curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https"));
    set(curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https"));
    set(curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L));
    set(curl_easy_setopt(h, CURLOPT_MAXREDIRS, 5L));
    set(curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L));
    set(curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L));
    set(curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, s.connectTimeoutSeconds));
    set(curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, s.stallBytesPerSecond));
    set(curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, s.stallSeconds));
    set(curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L));
    set(curl_easy_setopt(h, CURLOPT_NETRC, static_cast<long>(CURL_NETRC_IGNORED)));
    set(curl_easy_setopt(h, CURLOPT_USERAGENT, kUserAgent));
    set(curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers));
    set(curl_easy_setopt(h, CURLOPT_FRESH_CONNECT, 1L));
    set(curl_easy_setopt(h, CURLOPT_FORBID_REUSE, 1L));
    set(curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L));
    set(curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &OnProgress));
    set(curl_easy_setopt(h, CURLOPT_XFERINFODATA, const_cast<HttpClient::KeepGoing*>(&keepGoing)));
    return ok;
}

// The server's fresh copy, never a cache's.
HeaderList NoCacheHeaders() {
    curl_slist* l = curl_slist_append(nullptr, "Cache-Control: no-cache");
    if (l) l = curl_slist_append(l, "Pragma: no-cache");
    return HeaderList(l);
}

struct Download {
    const HttpClient::ChunkSink* sink;
    size_t cap;
    size_t delivered = 0;
    bool capped = false;
};

size_t OnBody(char* data, size_t size, size_t count, void* user) {
    auto* d = static_cast<Download*>(user);
    const size_t n = size * count;
    for (size_t off = 0; off < n;) {
        size_t len = std::min(HttpClient::kChunk, n - off);
        if (!(*d->sink)(std::string_view(data + off, len))) return 0;
        d->delivered += len;
        off += len;
        if (d->delivered > d->cap) {
            // Whatever else the server sends is never read.
            d->capped = true;
            return 0;
        }
    }
    return n;
}

}  // namespace

bool AnyInterfaceUp() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return false;
    bool up = false;
    for (ifaddrs* i = list; i && !up; i = i->ifa_next) {
        if (!i->ifa_addr || (i->ifa_flags & IFF_LOOPBACK)) continue;
        if (!(i->ifa_flags & IFF_UP) || !(i->ifa_flags & IFF_RUNNING)) continue;
        up = i->ifa_addr->sa_family == AF_INET || i->ifa_addr->sa_family == AF_INET6;
    }
    freeifaddrs(list);
    return up;
}

std::string EscapeUrl(const std::string& utf8) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(utf8.size());
    for (unsigned char c : utf8) {
        if (c <= 0x20 || c >= 0x7f) {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

CurlClient::CurlClient(CurlSettings settings) : m_Settings(std::move(settings)) {
    GlobalInit();
}

bool CurlClient::IsOnline() {
    return m_Settings.online ? m_Settings.online() : AnyInterfaceUp();
}

HttpProbe CurlClient::Probe(const std::string& url, const KeepGoing& keepGoing) {
    HttpProbe probe;
    Easy h(curl_easy_init());
    HeaderList headers = NoCacheHeaders();
    if (!h || !headers) return probe;
    const std::string escaped = EscapeUrl(url);
    if (!Configure(h.get(), escaped, m_Settings, keepGoing, headers.get())) return probe;
    if (curl_easy_setopt(h.get(), CURLOPT_NOBODY, 1L) != CURLE_OK ||
        curl_easy_setopt(h.get(), CURLOPT_TIMEOUT, m_Settings.probeTimeoutSeconds) != CURLE_OK)
        return probe;
    if (curl_easy_perform(h.get()) != CURLE_OK) return probe;
    // A server that answers HEAD with an error (some refuse the method) announces no size; the download
    // itself decides.
    long status = 0;
    curl_easy_getinfo(h.get(), CURLINFO_RESPONSE_CODE, &status);
    curl_off_t length = -1;
    if (status < 200 || status >= 300 ||
        curl_easy_getinfo(h.get(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK)
        length = -1;
    probe.ok = true;
    probe.announced = length >= 0;
    probe.length = length >= 0 ? static_cast<uint64_t>(length) : 0;
    return probe;
}

bool CurlClient::Get(const std::string& url, size_t cap, const ChunkSink& sink, const KeepGoing& keepGoing) {
    Easy h(curl_easy_init());
    HeaderList headers = NoCacheHeaders();
    if (!h || !headers) return false;
    const std::string escaped = EscapeUrl(url);
    if (!Configure(h.get(), escaped, m_Settings, keepGoing, headers.get())) return false;
    Download d{&sink, cap};
    if (curl_easy_setopt(h.get(), CURLOPT_FAILONERROR, 1L) != CURLE_OK ||
        curl_easy_setopt(h.get(), CURLOPT_WRITEFUNCTION, &OnBody) != CURLE_OK ||
        curl_easy_setopt(h.get(), CURLOPT_WRITEDATA, &d) != CURLE_OK)
        return false;
    CURLcode rc = curl_easy_perform(h.get());
    return rc == CURLE_OK || d.capped;
}

}  // namespace tarvik::net
