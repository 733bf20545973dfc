// A real HTTP server on 127.0.0.1 for tests: a listener thread that serves
// canned replies, one connection at a time, and records every request it got.
// Connections can be wrapped (for TLS) through a stream factory.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace kalvento::test {

struct CannedReply {
    std::string bytes;      // sent as they are, headers included
    bool keepOpen = false;  // after sending, keep the connection until the client leaves
};

// The byte stream of one accepted connection. Reads time out briefly so the
// server can notice that it is being stopped.
class ServerStream {
  public:
    static constexpr long kTimedOut = -1;
    static constexpr long kFailed = -2;

    virtual ~ServerStream() = default;
    // Runs any handshake; false drops the connection.
    virtual bool open(const std::atomic<bool>& stopping) = 0;
    // Bytes read (> 0), 0 at the end of the stream, kTimedOut or kFailed.
    virtual long read(char* buffer, std::size_t capacity) = 0;
    // False when the client went away.
    virtual bool write_all(std::string_view bytes, const std::atomic<bool>& stopping) = 0;
    virtual void close() = 0;
};

// Plain TCP; owns the descriptor.
std::unique_ptr<ServerStream> make_plain_stream(int fd);

class LocalHttpServer {
  public:
    using Responder = std::function<CannedReply(const std::string& request)>;
    using StreamFactory = std::function<std::unique_ptr<ServerStream>(int fd)>;

    // Listens on an unused port of 127.0.0.1 at once.
    explicit LocalHttpServer(Responder responder, StreamFactory factory = make_plain_stream);
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    std::uint16_t port() const { return port_; }
    // "<scheme>://<host>:<port>"
    std::string base_url(std::string_view host = "127.0.0.1",
                         std::string_view scheme = "http") const;

    // The request heads received so far, in order.
    std::vector<std::string> requests() const;
    std::size_t request_count() const;

  private:
    void serve();
    void handle(int fd);

    Responder responder_;
    StreamFactory factory_;
    int listenFd_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

// A reply with a status line, a content type and the given body.
std::string http_reply(std::string_view body, std::string_view status = "200 OK");

// The address of a server that has gone away: its port now refuses
// connections at once.
inline std::string unreachable_base_url() {
    LocalHttpServer gone([](const std::string&) { return CannedReply{}; });
    return gone.base_url();
}

}  // namespace kalvento::test
