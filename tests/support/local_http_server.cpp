#include "tests/support/local_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace kalvento::test {
namespace {

constexpr int kPollMs = 20;
constexpr std::size_t kRequestHeadLimit = 65536;

class PlainStream final : public ServerStream {
  public:
    explicit PlainStream(int fd) : fd_(fd) {}
    ~PlainStream() override { close(); }

    bool open(const std::atomic<bool>&) override { return true; }

    long read(char* buffer, std::size_t capacity) override {
        const auto got = ::recv(fd_, buffer, capacity, 0);
        if (got >= 0) return static_cast<long>(got);
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? kTimedOut : kFailed;
    }

    bool write_all(std::string_view bytes, const std::atomic<bool>& stopping) override {
        while (!bytes.empty() && !stopping) {
            const auto sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (sent < 0) {
                if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) continue;
                return false;
            }
            bytes.remove_prefix(static_cast<std::size_t>(sent));
        }
        return bytes.empty();
    }

    void close() override {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

  private:
    int fd_;
};

}  // namespace

std::unique_ptr<ServerStream> make_plain_stream(int fd) {
    return std::make_unique<PlainStream>(fd);
}

std::string http_reply(std::string_view body, std::string_view status) {
    std::string reply = "HTTP/1.0 ";
    reply += status;
    reply += "\r\nContent-Type: text/html; charset=UTF-8\r\n\r\n";
    reply += body;
    return reply;
}

LocalHttpServer::LocalHttpServer(Responder responder, StreamFactory factory)
    : responder_(std::move(responder)), factory_(std::move(factory)) {
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (listenFd_ < 0 ||
        ::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listenFd_, 8) != 0 ||
        ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (listenFd_ >= 0) ::close(listenFd_);
        throw std::runtime_error("local test server cannot listen");
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
}

LocalHttpServer::~LocalHttpServer() {
    stopping_ = true;
    thread_.join();
    ::close(listenFd_);
}

std::string LocalHttpServer::base_url(std::string_view host, std::string_view scheme) const {
    return std::string(scheme) + "://" + std::string(host) + ":" + std::to_string(port_);
}

std::vector<std::string> LocalHttpServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::size_t LocalHttpServer::request_count() const {
    std::lock_guard lock(mutex_);
    return requests_.size();
}

void LocalHttpServer::serve() {
    while (!stopping_) {
        pollfd entry{listenFd_, POLLIN, 0};
        if (::poll(&entry, 1, kPollMs) <= 0) continue;
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) handle(fd);
    }
}

void LocalHttpServer::handle(int fd) {
    timeval timeout{0, kPollMs * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    std::unique_ptr<ServerStream> stream = factory_(fd);
    if (!stream->open(stopping_)) return;

    std::string request;
    char buffer[4096];
    while (!stopping_ && request.find("\r\n\r\n") == std::string::npos &&
           request.size() < kRequestHeadLimit) {
        const long got = stream->read(buffer, sizeof buffer);
        if (got == ServerStream::kTimedOut) continue;
        if (got <= 0) break;
        request.append(buffer, static_cast<std::size_t>(got));
    }
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
    }
    const CannedReply reply = responder_(request);
    const bool delivered = stream->write_all(reply.bytes, stopping_);
    while (delivered && reply.keepOpen && !stopping_) {
        const long got = stream->read(buffer, sizeof buffer);
        if (got == 0 || got == ServerStream::kFailed) break;
    }
    stream->close();
}

}  // namespace kalvento::test
