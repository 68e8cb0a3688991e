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
// A path can also be made to drop the connection unanswered, or to hold it
// open without a word until the server stops.
class LocalHttpServer {
public:
    enum class Behaviour { Answer, Close, Stall };

    LocalHttpServer();
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer &) = delete;
    LocalHttpServer &operator=(const LocalHttpServer &) = delete;

    // `path` as requested, e.g. "/update/Version.txt".
    void serve(const std::string &path, std::string body, int status = 200,
               std::string contentType = "application/octet-stream");
    void misbehave(const std::string &path, Behaviour behaviour);

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
    };
    void run();
    void handle(int fd);

    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::map<std::string, Route> routes_;
    std::vector<std::string> requests_;
    std::vector<int> stalled_;
    std::thread thread_;
};

}
