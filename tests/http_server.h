// A small HTTP/1.1 server for the network include tests: it listens on 127.0.0.1 on a free port, answers each
// connection on its own thread as its route says (sizes announced or not, lies, redirects, stalls, endless
// bodies) and records every request it was sent.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace tarvik::testing {

struct HttpRoute {
    int status = 200;
    std::string body;
    bool sendLength = true;             // announce the Content-Length of what is sent
    std::optional<uint64_t> announced;  // what HEAD announces instead (a server that lies about its size)
    std::string location;               // sent as Location (with a 302 status) ...
    bool redirectGetOnly = false;       // ... to GET only: HEAD gets the ordinary answer
    size_t repeatBody = 1;  // the body is sent this many times over (a server sending more than it said)
    bool stall = false;     // headers, then silence until the server stops
    bool stallBeforeHeaders = false;
    int headStatus = 0;  // HEAD's status when it differs

    static HttpRoute Body(std::string b) {
        HttpRoute r;
        r.body = std::move(b);
        return r;
    }
    HttpRoute& NoLength() { return sendLength = false, *this; }
    HttpRoute& Announce(uint64_t n) { return announced = n, *this; }
    HttpRoute& Status(int s) { return status = s, *this; }
    HttpRoute& HeadStatus(int s) { return headStatus = s, *this; }
    HttpRoute& RedirectTo(std::string to, bool getOnly = false) {
        location = std::move(to);
        redirectGetOnly = getOnly;
        return *this;
    }
    HttpRoute& Repeat(size_t n) { return repeatBody = n, *this; }
    HttpRoute& Stall() { return stall = true, *this; }
    HttpRoute& StallBeforeHeaders() { return stallBeforeHeaders = true, *this; }
};

struct HttpRequest {
    std::string method;
    std::string path;
    std::string headers;  // the raw header lines
};

class HttpServer {
public:
    HttpServer();
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    void Route(const std::string& path, HttpRoute route);
    // "http://127.0.0.1:PORT" + path
    std::string Url(const std::string& path) const;
    std::vector<HttpRequest> Requests();
    int Count(const std::string& method);

    // A port on 127.0.0.1 where nothing listens.
    static int ClosedPort();

private:
    void AcceptLoop();
    void Serve(int fd);

    int m_Listen = -1;
    int m_Port = 0;
    std::atomic<bool> m_Stop{false};
    std::mutex m_Mutex;
    std::map<std::string, HttpRoute> m_Routes;
    std::vector<HttpRequest> m_Requests;
    std::vector<std::thread> m_Workers;
    std::thread m_Acceptor;
};

}  // namespace tarvik::testing
