#include "platform/socket.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>

namespace kalvento {
namespace {

SocketAddress from_sockaddr(const sockaddr* address, socklen_t length) {
    SocketAddress result;
    if (length == 0 || length > result.bytes.size()) return result;
    std::memcpy(result.bytes.data(), address, length);
    result.length = static_cast<std::uint32_t>(length);
    return result;
}

void set_port(SocketAddress& address, std::uint16_t port) {
    sockaddr_storage storage{};
    std::memcpy(&storage, address.bytes.data(), address.length);
    if (storage.ss_family == AF_INET) {
        reinterpret_cast<sockaddr_in*>(&storage)->sin_port = htons(port);
    } else if (storage.ss_family == AF_INET6) {
        reinterpret_cast<sockaddr_in6*>(&storage)->sin6_port = htons(port);
    }
    std::memcpy(address.bytes.data(), &storage, address.length);
}

int family_of(const SocketAddress& address) {
    sockaddr_storage storage{};
    std::memcpy(&storage, address.bytes.data(), address.length);
    return storage.ss_family;
}

int pending_socket_error(int fd) {
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) return errno;
    return error;
}

}  // namespace

std::optional<SocketAddress> parse_ipv4_address(std::string_view host, std::uint16_t port) {
    // inet_pton accepts exactly the dotted-quad form, nothing shorter or octal.
    if (host.empty() || host.size() >= INET_ADDRSTRLEN) return std::nullopt;
    const std::string text(host);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    if (::inet_pton(AF_INET, text.c_str(), &address.sin_addr) != 1) return std::nullopt;
    return from_sockaddr(reinterpret_cast<const sockaddr*>(&address), sizeof address);
}

bool is_ip_literal(std::string_view host) {
    if (host.empty() || host.size() >= INET6_ADDRSTRLEN) return false;
    const std::string text(host);
    unsigned char buffer[sizeof(in6_addr)];
    return ::inet_pton(AF_INET, text.c_str(), buffer) == 1 ||
           ::inet_pton(AF_INET6, text.c_str(), buffer) == 1;
}

// State shared between a lookup and its resolver thread. The thread keeps it
// alive until it has written its answer, so an abandoned lookup never leaves
// the thread writing to a closed handle.
struct HostLookup::Shared {
    std::mutex mutex;
    bool finished = false;
    SocketAddress address;
    std::string error;
    int eventFd = -1;

    ~Shared() {
        if (eventFd >= 0) ::close(eventFd);
    }
};

namespace {

void resolve(const std::shared_ptr<HostLookup::Shared>& shared, const std::string& host,
             std::uint16_t port) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    const int status = ::getaddrinfo(host.c_str(), nullptr, &hints, &list);

    SocketAddress chosen;
    std::string error;
    if (status != 0) {
        error = ::gai_strerror(status);
    } else {
        // IPv4 first, as servers listening on one family usually listen there.
        for (int family : {AF_INET, AF_INET6}) {
            for (const addrinfo* entry = list; entry && chosen.empty(); entry = entry->ai_next)
                if (entry->ai_family == family)
                    chosen = from_sockaddr(entry->ai_addr, entry->ai_addrlen);
            if (!chosen.empty()) break;
        }
        if (chosen.empty()) error = "no IPv4 or IPv6 address";
        ::freeaddrinfo(list);
    }
    if (!chosen.empty()) set_port(chosen, port);

    std::lock_guard lock(shared->mutex);
    shared->finished = true;
    shared->address = chosen;
    shared->error = std::move(error);
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(shared->eventFd, &one, sizeof one);
}

}  // namespace

HostLookup::HostLookup(std::shared_ptr<Shared> shared) : shared_(std::move(shared)) {}

HostLookup::~HostLookup() = default;

std::unique_ptr<HostLookup> HostLookup::start(std::string host, std::uint16_t port) {
    auto shared = std::make_shared<Shared>();
    shared->eventFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (shared->eventFd < 0) return nullptr;
    try {
        std::thread([shared, host = std::move(host), port] {
            resolve(shared, host, port);
        }).detach();
    } catch (const std::system_error&) {
        return nullptr;
    }
    return std::unique_ptr<HostLookup>(new HostLookup(std::move(shared)));
}

int HostLookup::event_handle() const {
    return shared_->eventFd;
}

bool HostLookup::finished() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->finished;
}

SocketAddress HostLookup::address() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->address;
}

std::string HostLookup::error_text() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->error;
}

Socket::~Socket() {
    close();
}

Socket::Socket(Socket&& other) noexcept : fd_(other.fd_) {
    other.fd_ = -1;
}

Socket& Socket::operator=(Socket&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

Socket Socket::open_for(const SocketAddress& address, int& errno_value) {
    Socket socket;
    errno_value = 0;
    if (address.empty()) {
        errno_value = EINVAL;
        return socket;
    }
    socket.fd_ = ::socket(family_of(address), SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (socket.fd_ < 0) errno_value = errno;
    return socket;
}

ConnectStart Socket::connect(const SocketAddress& address, int& errno_value) {
    errno_value = 0;
    sockaddr_storage storage{};
    std::memcpy(&storage, address.bytes.data(), address.length);
    if (::connect(fd_, reinterpret_cast<const sockaddr*>(&storage), address.length) == 0)
        return ConnectStart::connected;
    if (errno == EINPROGRESS || errno == EINTR) return ConnectStart::pending;
    errno_value = errno;
    return ConnectStart::failed;
}

IoResult Socket::send(std::string_view data) {
    IoResult result;
    const auto sent = ::send(fd_, data.data(), data.size(), MSG_NOSIGNAL);
    if (sent >= 0) {
        result.bytes = static_cast<std::size_t>(sent);
    } else if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
        result.wouldBlock = true;
    } else {
        result.error = errno;
    }
    return result;
}

IoResult Socket::receive(char* buffer, std::size_t capacity) {
    IoResult result;
    const auto received = ::recv(fd_, buffer, capacity, 0);
    if (received > 0) {
        result.bytes = static_cast<std::size_t>(received);
    } else if (received == 0) {
        result.closed = true;
    } else if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
        result.wouldBlock = true;
    } else {
        result.error = errno;
    }
    return result;
}

void Socket::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

SocketEvents wait_for_events(const WaitRequest& request, std::chrono::milliseconds timeout) {
    pollfd fds[2];
    nfds_t count = 0;
    int lookup_index = -1;
    int socket_index = -1;
    if (request.lookupHandle >= 0) {
        lookup_index = static_cast<int>(count);
        fds[count++] = pollfd{request.lookupHandle, POLLIN, 0};
    }
    if (request.socket >= 0) {
        short events = 0;
        if (request.wantRead && !request.connecting) events |= POLLIN | POLLRDHUP;
        if (request.wantWrite || request.connecting) events |= POLLOUT;
        socket_index = static_cast<int>(count);
        fds[count++] = pollfd{request.socket, events, 0};
    }

    SocketEvents events;
    // One wait never needs to be longer than a minute; the caller loops.
    constexpr std::chrono::milliseconds::rep kLongestWaitMs = 60'000;
    const auto wait_ms = static_cast<int>(
        std::clamp<std::chrono::milliseconds::rep>(timeout.count(), 0, kLongestWaitMs));
    if (count == 0) {
        ::poll(nullptr, 0, wait_ms);
        return events;
    }
    if (::poll(fds, count, wait_ms) <= 0) return events;

    if (lookup_index >= 0 && (fds[lookup_index].revents & (POLLIN | POLLERR | POLLHUP)))
        events.lookupDone = true;
    if (socket_index >= 0) {
        const short seen = fds[socket_index].revents;
        if (seen & POLLNVAL) {
            events.error = EBADF;
        } else if (request.connecting) {
            if (seen & (POLLOUT | POLLERR | POLLHUP)) {
                events.error = pending_socket_error(request.socket);
                events.connected = events.error == 0;
                events.writable = events.connected;
            }
        } else {
            if (seen & POLLERR) {
                events.error = pending_socket_error(request.socket);
                if (events.error == 0) events.error = EIO;
            }
            events.readable = (seen & POLLIN) != 0;
            events.writable = (seen & POLLOUT) != 0;
            events.closed = (seen & (POLLRDHUP | POLLHUP)) != 0;
        }
    }
    return events;
}

}  // namespace kalvento
