// A small HTTP/1.0 client that fetches one page at a time without blocking
// its caller: a transfer advances only inside `poll`, so the caller can keep
// its window alive between polls.
//
// A transfer resolves the host (on a resolver thread unless it is a dotted
// address), connects, sends one GET request, collects the reply until the
// server closes the connection, and then keeps only the body with CR LF line
// ends, converted from UTF-8 to code page 932. "https://" addresses go through
// TLS on the same socket, with the certificate checked against the system's
// trust store and the host name.
#pragma once

#include "platform/socket.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kalvento {

class TlsContext;
class TlsSession;

// Longest host and path an address may carry.
inline constexpr std::size_t kUrlPartLimit = 4095;
// A formatted request longer than this is refused, not cut.
inline constexpr std::size_t kRequestLimit = 1024;
// Bytes taken from the connection per receive.
inline constexpr std::size_t kReceiveChunk = 4068;
// The reply buffer grows by this much beyond what is needed.
inline constexpr std::size_t kReplyGrowth = 65536;
// A reply that passes this size is abandoned: a page never comes near it, and
// the buffer must not grow without bound.
inline constexpr std::size_t kReplyLimit = 8 * 1024 * 1024;

inline constexpr std::uint16_t kHttpPort = 80;
inline constexpr std::uint16_t kHttpsPort = 443;

struct UrlParts {
    std::string host;  // without the port
    std::string path;  // from the first "/" on; "/" when the address has none
    std::uint16_t port = kHttpPort;
    bool tls = false;  // "https://"
};

// Splits "http://host[:port][/path]" or "https://..." (the scheme in any
// case). Nullopt for another scheme, an address shorter than the scheme plus
// one byte, an empty host, a port that is not 1-65535 (at most five digits are
// read), or a host or path longer than kUrlPartLimit.
std::optional<UrlParts> split_url(std::string_view url);

// The request text: "GET <path> HTTP/1.0", "Host: <host>:<port>" (the port is
// always written) and "User-Agent: Kalvento/0.0", each ended by CR LF, then an
// empty line.
std::string format_request(const UrlParts& parts);

enum class TransferState {
    idle,        // nothing started yet
    resolving,   // waiting for the host-name lookup
    connecting,  // connect (and for TLS the handshake) under way
    receiving,   // request sent, collecting the reply
    finished,    // connection closed, page converted, done set
    aborted,     // ended without a page
};

class HttpClient {
  public:
    // `extra_ca_file`: a PEM file of certificates trusted besides the system's.
    explicit HttpClient(std::string extra_ca_file = {});
    ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    // Begins a transfer and clears done. False when nothing runs afterwards:
    // another transfer is still waiting (it is left alone), the address is
    // rejected, the request would be too long, or the lookup, socket or connect
    // failed at once.
    bool http_start(std::string_view url);
    // Ends the running transfer at once; harmless when none runs.
    void http_abort();

    // Waits up to `timeout` for the transfer's events and handles them.
    void poll(std::chrono::milliseconds timeout);

    // A transfer is resolving, connecting or receiving.
    bool active() const;
    bool done() const { return done_; }
    TransferState state() const { return state_; }
    // After done: the page body, CR LF line ends, code page 932.
    const std::string& response() const { return response_; }
    // After done: the reply's status code, 0 when it had no status line (an
    // error page is still a page; a cache keeps only successful ones).
    int status() const { return status_; }

    // Why the last transfer failed, as texts for a verbose log (code page 932);
    // cleared by the next start.
    const std::vector<std::string>& diagnostics() const { return diagnostics_; }
    void add_diagnostic(std::string text) { diagnostics_.push_back(std::move(text)); }

    // Event handlers; `poll` calls them.
    void on_lookup_done();
    void on_socket_event(const SocketEvents& events);

  private:
    void connect_to(const SocketAddress& address);
    void on_connected();
    void queue_request();
    void flush_outgoing();
    void receive_once();
    void finish();
    void drain_tls();
    bool append_chunk(const char* bytes, std::size_t size);
    void fail(std::string text);
    void close_connection();

    std::string extraCaFile_;
    std::unique_ptr<TlsContext> tlsContext_;
    std::unique_ptr<TlsSession> tls_;
    std::unique_ptr<HostLookup> lookup_;
    Socket socket_;
    bool connectPending_ = false;
    bool requestSent_ = false;
    UrlParts parts_;
    std::string request_;
    std::string outgoing_;  // bytes accepted for sending but not yet sent
    std::string response_;
    std::size_t received_ = 0;  // reply bytes taken from the connection
    int status_ = 0;
    bool done_ = false;
    TransferState state_ = TransferState::idle;
    std::vector<std::string> diagnostics_;
};

}  // namespace kalvento
