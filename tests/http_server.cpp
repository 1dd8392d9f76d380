#include "http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

namespace tarvik::testing {

namespace {

int BoundSocket(int& port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) throw std::runtime_error("socket");
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) throw std::runtime_error("bind");
    socklen_t len = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    port = ntohs(a.sin_port);
    return fd;
}

bool SendAll(int fd, const std::string& s) {
    size_t off = 0;
    while (off < s.size()) {
        ssize_t n = send(fd, s.data() + off, s.size() - off, MSG_NOSIGNAL);
        if (n <= 0) return false;
        off += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

HttpServer::HttpServer() {
    m_Listen = BoundSocket(m_Port);
    if (listen(m_Listen, 16) != 0) throw std::runtime_error("listen");
    m_Acceptor = std::thread([this] { AcceptLoop(); });
}

HttpServer::~HttpServer() {
    m_Stop = true;
    m_Acceptor.join();
    for (auto& w : m_Workers) w.join();
    close(m_Listen);
}

int HttpServer::ClosedPort() {
    int port = 0;
    int fd = BoundSocket(port);
    close(fd);
    return port;
}

void HttpServer::Route(const std::string& path, HttpRoute route) {
    std::lock_guard lock(m_Mutex);
    m_Routes[path] = std::move(route);
}

std::string HttpServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(m_Port) + path;
}

std::vector<HttpRequest> HttpServer::Requests() {
    std::lock_guard lock(m_Mutex);
    return m_Requests;
}

int HttpServer::Count(const std::string& method) {
    std::lock_guard lock(m_Mutex);
    int n = 0;
    for (const auto& r : m_Requests) n += r.method == method;
    return n;
}

void HttpServer::AcceptLoop() {
    while (!m_Stop) {
        pollfd p{m_Listen, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0) continue;
        int fd = accept(m_Listen, nullptr, nullptr);
        if (fd < 0) continue;
        m_Workers.emplace_back([this, fd] {
            Serve(fd);
            close(fd);
        });
    }
}

void HttpServer::Serve(int fd) {
    std::string request;
    char buf[4096];
    while (request.find("\r\n\r\n") == std::string::npos && !m_Stop) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0) continue;
        ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n <= 0) return;
        request.append(buf, static_cast<size_t>(n));
    }
    HttpRequest req;
    size_t sp1 = request.find(' '), sp2 = request.find(' ', sp1 + 1), eol = request.find("\r\n");
    req.method = request.substr(0, sp1);
    req.path = request.substr(sp1 + 1, sp2 - sp1 - 1);
    req.headers = request.substr(eol + 2);
    HttpRoute route;
    bool found;
    {
        std::lock_guard lock(m_Mutex);
        m_Requests.push_back(req);
        auto it = m_Routes.find(req.path);
        found = it != m_Routes.end();
        if (found) route = it->second;
    }
    auto stall = [this] {
        while (!m_Stop) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    };
    if (!found) {
        SendAll(fd, "HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\nConnection: close\r\n\r\nnot found");
        return;
    }
    if (route.stallBeforeHeaders) return stall();
    const bool head = req.method == "HEAD";
    std::string h;
    if (!route.location.empty() && (!route.redirectGetOnly || !head)) {
        h = "HTTP/1.1 302 Found\r\nLocation: " + route.location +
            "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        SendAll(fd, h);
        return;
    }
    const int status = head && route.headStatus ? route.headStatus : route.status;
    h = "HTTP/1.1 " + std::to_string(status) + " X\r\nConnection: close\r\n";
    if (head && route.announced)
        h += "Content-Length: " + std::to_string(*route.announced) + "\r\n";
    else if (route.sendLength)
        h += "Content-Length: " + std::to_string(route.body.size() * route.repeatBody) + "\r\n";
    h += "\r\n";
    if (!SendAll(fd, h) || head) return;
    if (route.stall) return stall();
    for (size_t i = 0; i < route.repeatBody && !m_Stop; ++i)
        if (!SendAll(fd, route.body)) return;
}

}  // namespace tarvik::testing
