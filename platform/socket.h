// Non-blocking TCP connections, host-name lookups that never block the
// caller's thread, and one poll step that turns what the system reports into
// the few events a single-connection client needs.
//
// Nothing here keeps global state: a client owns one Socket and at most one
// HostLookup and asks wait_for_events about them in its own rounds.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kalvento {

// An IPv4 or IPv6 address with its port, in the system's own form.
struct SocketAddress {
    std::array<unsigned char, 128> bytes{};  // a sockaddr_storage
    std::uint32_t length = 0;                // 0 = no address
    bool empty() const { return length == 0; }
};

// A host written as four dotted decimal numbers; nullopt for anything else,
// so names go to the resolver.
std::optional<SocketAddress> parse_ipv4_address(std::string_view host, std::uint16_t port);

// True when the host is a numeric IPv4 or IPv6 address rather than a name.
bool is_ip_literal(std::string_view host);

// A host-name lookup running on a thread of its own. The thread signals an
// event handle when it is done, so the lookup can wait in the same poll as the
// socket. Destroying the lookup abandons it: the thread finishes on its own and
// its answer is dropped.
class HostLookup {
  public:
    // Nullptr when no thread or event handle could be made.
    static std::unique_ptr<HostLookup> start(std::string host, std::uint16_t port);
    ~HostLookup();
    HostLookup(const HostLookup&) = delete;
    HostLookup& operator=(const HostLookup&) = delete;

    // Readable once the answer is there.
    int event_handle() const;
    bool finished() const;
    // The first IPv4 address of the answer, or else its first IPv6 address;
    // empty when the name could not be resolved (or the lookup is not finished).
    SocketAddress address() const;
    // The resolver's text for a failed lookup.
    std::string error_text() const;

    struct Shared;

  private:
    explicit HostLookup(std::shared_ptr<Shared> shared);
    std::shared_ptr<Shared> shared_;
};

enum class ConnectStart {
    connected,  // a local connection that completed at once
    pending,    // wait for the connected (or error) event
    failed,
};

// Outcome of one send or receive on a non-blocking socket.
struct IoResult {
    std::size_t bytes = 0;
    bool wouldBlock = false;
    bool closed = false;  // receive: the peer ended the stream
    int error = 0;        // errno when the call failed
    bool failed() const { return error != 0; }
};

// One non-blocking TCP socket; closed on destruction.
class Socket {
  public:
    Socket() = default;
    ~Socket();
    Socket(Socket&& other) noexcept;
    Socket& operator=(Socket&& other) noexcept;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    // A non-blocking stream socket for the address's family; invalid on failure
    // (errno_value tells why).
    static Socket open_for(const SocketAddress& address, int& errno_value);

    bool valid() const { return fd_ >= 0; }
    int handle() const { return fd_; }

    ConnectStart connect(const SocketAddress& address, int& errno_value);
    // Never raises SIGPIPE; a peer that went away is an error result.
    IoResult send(std::string_view data);
    IoResult receive(char* buffer, std::size_t capacity);
    void close();

  private:
    int fd_ = -1;
};

// What one poll step saw.
struct SocketEvents {
    bool lookupDone = false;  // the lookup's event handle became readable
    bool connected = false;   // a pending connect completed
    bool readable = false;    // bytes (or the end of the stream) can be received
    bool writable = false;    // sending would not block
    bool closed = false;      // the peer shut its side; what it sent can still be received
    int error = 0;            // errno of a failed connect or a socket error, else 0
    bool any() const { return lookupDone || connected || readable || writable || closed || error; }
};

// What to wait for in one poll step. A handle of -1 is left out.
struct WaitRequest {
    int lookupHandle = -1;
    int socket = -1;
    bool connecting = false;  // the socket's connect is still pending
    bool wantRead = false;
    bool wantWrite = false;
};

// Waits up to `timeout` for any of the requested events and reports them. An
// interrupted wait reports nothing and returns early.
SocketEvents wait_for_events(const WaitRequest& request, std::chrono::milliseconds timeout);

}  // namespace kalvento
