#include "schedule/tls_session.h"

#include "platform/socket.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>

namespace kalvento {
namespace {

std::string last_openssl_error(std::string_view fallback) {
    const unsigned long code = ERR_get_error();
    if (code == 0) return std::string(fallback);
    char text[256];
    ERR_error_string_n(code, text, sizeof text);
    return text;
}

}  // namespace

std::unique_ptr<TlsContext> TlsContext::create(const std::string& extra_ca_file,
                                               std::string& error) {
    ERR_clear_error();
    SSL_CTX* context = SSL_CTX_new(TLS_client_method());
    if (!context) {
        error = last_openssl_error("SSL_CTX_new failed");
        return nullptr;
    }
    auto owner = std::unique_ptr<TlsContext>(new TlsContext(context));
    SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION);
    // A reply ends when the connection does (HTTP/1.0 without a length), and
    // many servers close without a TLS close alert: take that end as the end of
    // the reply, exactly as on a plain connection.
    SSL_CTX_set_options(context, SSL_OP_IGNORE_UNEXPECTED_EOF);
    SSL_CTX_set_verify(context, SSL_VERIFY_PEER, nullptr);
    if (SSL_CTX_set_default_verify_paths(context) != 1) {
        error = last_openssl_error("the system's trust store cannot be used");
        return nullptr;
    }
    if (!extra_ca_file.empty() &&
        SSL_CTX_load_verify_locations(context, extra_ca_file.c_str(), nullptr) != 1) {
        error = last_openssl_error("the extra trusted certificates cannot be read");
        return nullptr;
    }
    return owner;
}

TlsContext::~TlsContext() {
    SSL_CTX_free(context_);
}

std::unique_ptr<TlsSession> TlsSession::start(const TlsContext& context, const std::string& host,
                                              std::string& error) {
    ERR_clear_error();
    SSL* ssl = SSL_new(context.native());
    if (!ssl) {
        error = last_openssl_error("SSL_new failed");
        return nullptr;
    }
    auto session = std::unique_ptr<TlsSession>(new TlsSession(ssl));
    BIO* incoming = BIO_new(BIO_s_mem());
    BIO* outgoing = BIO_new(BIO_s_mem());
    if (!incoming || !outgoing) {
        BIO_free(incoming);
        BIO_free(outgoing);
        error = "BIO_new failed";
        return nullptr;
    }
    // An empty incoming buffer means "more to come" until feed_end.
    BIO_set_mem_eof_return(incoming, -1);
    SSL_set_bio(ssl, incoming, outgoing);
    SSL_set_connect_state(ssl);

    // The certificate must name the host we were asked for: an address is
    // checked as an address, a name as a name (and sent as the server name).
    bool named = false;
    if (is_ip_literal(host)) {
        named = X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl), host.c_str()) == 1;
    } else {
        named = SSL_set_tlsext_host_name(ssl, host.c_str()) == 1 &&
                SSL_set1_host(ssl, host.c_str()) == 1;
    }
    if (!named) {
        error = last_openssl_error("the host name cannot be set for verification");
        return nullptr;
    }
    return session;
}

TlsSession::~TlsSession() {
    SSL_free(ssl_);
}

void TlsSession::feed(std::string_view bytes) {
    if (!bytes.empty()) BIO_write(SSL_get_rbio(ssl_), bytes.data(), static_cast<int>(bytes.size()));
}

void TlsSession::feed_end() {
    BIO_set_mem_eof_return(SSL_get_rbio(ssl_), 0);
}

std::string TlsSession::take_outgoing() {
    BIO* outgoing = SSL_get_wbio(ssl_);
    std::string bytes(BIO_ctrl_pending(outgoing), '\0');
    if (!bytes.empty()) {
        const int taken = BIO_read(outgoing, bytes.data(), static_cast<int>(bytes.size()));
        bytes.resize(taken > 0 ? static_cast<std::size_t>(taken) : 0);
    }
    return bytes;
}

TlsSession::Status TlsSession::write(std::string_view data) {
    ERR_clear_error();
    const int result = SSL_write(ssl_, data.data(), static_cast<int>(data.size()));
    return result > 0 ? Status::done : classify(result);
}

TlsSession::Status TlsSession::read(char* buffer, std::size_t capacity, std::size_t& received) {
    received = 0;
    ERR_clear_error();
    const int result = SSL_read(ssl_, buffer, static_cast<int>(capacity));
    if (result > 0) {
        received = static_cast<std::size_t>(result);
        return Status::done;
    }
    return classify(result);
}

TlsSession::Status TlsSession::classify(int result) {
    switch (SSL_get_error(ssl_, result)) {
        case SSL_ERROR_WANT_READ:
        case SSL_ERROR_WANT_WRITE:
            return Status::wantMore;
        case SSL_ERROR_ZERO_RETURN:
            return Status::closed;
        default:
            break;
    }
    const long verdict = SSL_get_verify_result(ssl_);
    failure_ = verdict != X509_V_OK ? X509_verify_cert_error_string(verdict)
                                    : last_openssl_error("TLS connection failed");
    return Status::failed;
}

}  // namespace kalvento
