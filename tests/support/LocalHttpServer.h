#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zentra::test {

// A tiny HTTP/1.1 server on 127.0.0.1 (never another address) for the
// updater's and the browser's tests. It answers GET requests from a table of paths, one
// connection at a time, each closed after its answer; unknown paths get 404.
// A path can also be made to drop the connection unanswered, to hold it
// open without a word until the server stops, to send a body without a
// length that goes on and on (Endless), or to send its body a byte at a time
// with a pause after each (Slow). Endless and slow answers are sent on a
// thread of their own while the server goes on answering.
class LocalHttpServer {
public:
    enum class Behaviour { Answer, Close, Stall, Endless, Slow };

    LocalHttpServer();
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer &) = delete;
    LocalHttpServer &operator=(const LocalHttpServer &) = delete;

    // `path` as requested, e.g. "/update/Version.txt".
    void serve(const std::string &path, std::string body, int status = 200,
               std::string contentType = "application/octet-stream");
    void misbehave(const std::string &path, Behaviour behaviour);
    // An endless body: `bytes` bytes as fast as they are taken, then the
    // connection is closed (a bound, so a client that never stops reading
    // cannot fill the machine).
    void endless(const std::string &path, std::size_t bytes);
    // The body a byte at a time, `pauseMs` after each, with its length
    // announced.
    void slow(const std::string &path, std::string body, int pauseMs);

    // "http://127.0.0.1:PORT"
    std::string origin() const;
    // Request paths in the order they came.
    std::vector<std::string> requests() const;

private:
    struct Route {
        int status = 200;
        std::string body;
        std::string contentType;
        Behaviour behaviour = Behaviour::Answer;
        std::size_t endlessBytes = 0;
        int pauseMs = 0;
    };
    void run();
    void handle(int fd);
    void stream(int fd, Route route);
    bool sendAll(int fd, const char *data, std::size_t size);

    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::map<std::string, Route> routes_;
    std::vector<std::string> requests_;
    std::vector<int> stalled_;
    std::vector<std::thread> streams_;
    std::thread thread_;
};

}
