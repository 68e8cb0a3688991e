#include "support/LocalHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace zentra::test {

LocalHttpServer::LocalHttpServer()
{
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    if (listenFd_ < 0 || ::bind(listenFd_, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0 ||
        ::listen(listenFd_, 8) != 0 || ::getsockname(listenFd_, reinterpret_cast<sockaddr *>(&addr), &len) != 0)
        throw std::runtime_error("cannot listen on 127.0.0.1");
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { run(); });
}

LocalHttpServer::~LocalHttpServer()
{
    stop_ = true;
    thread_.join();
    for (std::thread &t : streams_)
        t.join();
    for (int fd : stalled_)
        ::close(fd);
    ::close(listenFd_);
}

void LocalHttpServer::serve(const std::string &path, std::string body, int status, std::string contentType)
{
    std::lock_guard lock(mutex_);
    routes_[path] = Route{status, std::move(body), std::move(contentType), Behaviour::Answer};
}

void LocalHttpServer::misbehave(const std::string &path, Behaviour behaviour)
{
    std::lock_guard lock(mutex_);
    routes_[path].behaviour = behaviour;
}

void LocalHttpServer::endless(const std::string &path, std::size_t bytes)
{
    std::lock_guard lock(mutex_);
    Route &r = routes_[path];
    r = Route{200, {}, "application/octet-stream", Behaviour::Endless};
    r.endlessBytes = bytes;
}

void LocalHttpServer::slow(const std::string &path, std::string body, int pauseMs)
{
    std::lock_guard lock(mutex_);
    Route &r = routes_[path];
    r = Route{200, std::move(body), "application/octet-stream", Behaviour::Slow};
    r.pauseMs = pauseMs;
}

bool LocalHttpServer::sendAll(int fd, const char *data, std::size_t size)
{
    std::size_t done = 0;
    while (done < size && !stop_) {
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, 50) <= 0)
            continue;
        ssize_t n = ::send(fd, data + done, size - done, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return done == size;
}

void LocalHttpServer::stream(int fd, Route route)
{
    if (route.behaviour == Behaviour::Endless) {
        const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: " + route.contentType + "\r\nConnection: close\r\n\r\n";
        bool ok = sendAll(fd, head.data(), head.size());
        const std::string chunk(64 * 1024, 'x');
        for (std::size_t sent = 0; ok && sent < route.endlessBytes; sent += chunk.size())
            ok = sendAll(fd, chunk.data(), std::min(chunk.size(), route.endlessBytes - sent));
    } else {
        const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(route.body.size()) +
                                 "\r\nContent-Type: " + route.contentType + "\r\nConnection: close\r\n\r\n";
        bool ok = sendAll(fd, head.data(), head.size());
        for (std::size_t i = 0; ok && i < route.body.size() && !stop_; ++i) {
            ok = sendAll(fd, route.body.data() + i, 1);
            for (int waited = 0; waited < route.pauseMs && !stop_; waited += 10)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    ::shutdown(fd, SHUT_RDWR);
    ::close(fd);
}

std::string LocalHttpServer::origin() const
{
    return "http://127.0.0.1:" + std::to_string(port_);
}

std::vector<std::string> LocalHttpServer::requests() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

void LocalHttpServer::run()
{
    while (!stop_) {
        pollfd p{listenFd_, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0)
            continue;
        int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0)
            handle(fd);
    }
}

void LocalHttpServer::handle(int fd)
{
    // Read the request head: at most 64 KiB, and give up after 5 s of silence.
    std::string head;
    char buf[4096];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536 && !stop_) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 5000) <= 0)
            break;
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0)
            break;
        head.append(buf, static_cast<std::size_t>(n));
    }
    // "GET /path HTTP/1.1"
    const auto sp1 = head.find(' ');
    const auto sp2 = sp1 == std::string::npos ? sp1 : head.find(' ', sp1 + 1);
    if (sp2 == std::string::npos) {
        ::close(fd);
        return;
    }
    const std::string path = head.substr(sp1 + 1, sp2 - sp1 - 1);
    Route route{404, "not found", "text/plain", Behaviour::Answer};
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(path);
        if (auto it = routes_.find(path); it != routes_.end())
            route = it->second;
    }
    if (route.behaviour == Behaviour::Stall) {
        stalled_.push_back(fd);
        return;
    }
    if (route.behaviour == Behaviour::Endless || route.behaviour == Behaviour::Slow) {
        streams_.emplace_back([this, fd, route] { stream(fd, route); });
        return;
    }
    if (route.behaviour == Behaviour::Answer) {
        const std::string reason = route.status == 200 ? "OK" : "Error";
        std::string reply = "HTTP/1.1 " + std::to_string(route.status) + " " + reason +
                            "\r\nContent-Length: " + std::to_string(route.body.size()) +
                            "\r\nContent-Type: " + route.contentType + "\r\nConnection: close\r\n\r\n" + route.body;
        std::size_t done = 0;
        while (done < reply.size()) {
            ssize_t n = ::send(fd, reply.data() + done, reply.size() - done, MSG_NOSIGNAL);
            if (n <= 0)
                break;
            done += static_cast<std::size_t>(n);
        }
    }
    ::shutdown(fd, SHUT_RDWR);
    ::close(fd);
}

}
