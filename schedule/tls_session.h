// TLS for the HTTP client, over a socket the client drives itself.
//
// OpenSSL never touches the socket: received bytes are fed in, and the bytes
// it wants sent are taken out and sent by the caller. So TLS works on the same
// non-blocking socket and poll step as plain HTTP, and no write can raise
// SIGPIPE. Certificates are checked against the system's trust store (plus an
// optional extra file of trusted certificates) and against the host name.
// OpenSSL itself is loaded when the first context is made (openssl_api.h).
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

struct ssl_ctx_st;
struct ssl_st;

namespace kalvento {

struct OpenSslApi;

// Settings shared by the TLS connections of one client.
class TlsContext {
  public:
    // Nullptr when libssl cannot be loaded, OpenSSL cannot set up a client
    // context or cannot read `extra_ca_file` (a PEM file; empty = system store
    // only); `error` says why.
    static std::unique_ptr<TlsContext> create(const std::string& extra_ca_file, std::string& error);
    ~TlsContext();
    TlsContext(const TlsContext&) = delete;
    TlsContext& operator=(const TlsContext&) = delete;

    ssl_ctx_st* native() const { return context_; }
    const OpenSslApi& api() const { return api_; }

  private:
    TlsContext(const OpenSslApi& api, ssl_ctx_st* context) : api_(api), context_(context) {}
    const OpenSslApi& api_;
    ssl_ctx_st* context_;
};

// One client-side TLS connection.
class TlsSession {
  public:
    enum class Status {
        done,      // the write went through / bytes were read
        wantMore,  // needs more bytes from the peer first
        closed,    // the peer ended the connection
        failed,    // handshake, certificate or protocol failure; see failure_text
    };

    // Nullptr when no connection object could be made; `error` says why.
    static std::unique_ptr<TlsSession> start(const TlsContext& context, const std::string& host,
                                             std::string& error);
    ~TlsSession();
    TlsSession(const TlsSession&) = delete;
    TlsSession& operator=(const TlsSession&) = delete;

    // Bytes received from the peer; `feed_end` once the peer closed.
    void feed(std::string_view bytes);
    void feed_end();
    // Bytes waiting to be sent to the peer (taken out).
    std::string take_outgoing();

    // Writes all of `data` (the handshake runs first). Repeat with the same
    // data after wantMore.
    Status write(std::string_view data);
    // Reads at most `capacity` decrypted bytes into `buffer`.
    Status read(char* buffer, std::size_t capacity, std::size_t& received);

    // Why the last call failed: the certificate check's verdict when that was
    // the cause, else OpenSSL's reason.
    const std::string& failure_text() const { return failure_; }

  private:
    TlsSession(const OpenSslApi& api, ssl_st* ssl) : api_(api), ssl_(ssl) {}
    Status classify(int result);

    const OpenSslApi& api_;
    ssl_st* ssl_;
    std::string failure_;
};

}  // namespace kalvento
