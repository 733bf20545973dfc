#include "schedule/tls_session.h"

#include "platform/socket.h"
#include "schedule/openssl_api.h"

namespace kalvento {
namespace {

std::string last_openssl_error(const OpenSslApi& ssl, std::string_view fallback) {
    const unsigned long code = ssl.ERR_get_error();
    if (code == 0) return std::string(fallback);
    char text[256];
    ssl.ERR_error_string_n(code, text, sizeof text);
    return text;
}

}  // namespace

std::unique_ptr<TlsContext> TlsContext::create(const std::string& extra_ca_file,
                                               std::string& error) {
    const OpenSslApi* api = openssl_api(error);
    if (!api) return nullptr;
    const OpenSslApi& ssl = *api;
    ssl.ERR_clear_error();
    SSL_CTX* context = ssl.SSL_CTX_new(ssl.TLS_client_method());
    if (!context) {
        error = last_openssl_error(ssl, "SSL_CTX_new failed");
        return nullptr;
    }
    auto owner = std::unique_ptr<TlsContext>(new TlsContext(ssl, context));
    ssl.SSL_CTX_ctrl(context, SSL_CTRL_SET_MIN_PROTO_VERSION, TLS1_2_VERSION, nullptr);
    // A reply ends when the connection does (HTTP/1.0 without a length), and
    // many servers close without a TLS close alert: take that end as the end of
    // the reply, exactly as on a plain connection.
    ssl.SSL_CTX_set_options(context, SSL_OP_IGNORE_UNEXPECTED_EOF);
    ssl.SSL_CTX_set_verify(context, SSL_VERIFY_PEER, nullptr);
    if (ssl.SSL_CTX_set_default_verify_paths(context) != 1) {
        error = last_openssl_error(ssl, "the system's trust store cannot be used");
        return nullptr;
    }
    if (!extra_ca_file.empty() &&
        ssl.SSL_CTX_load_verify_locations(context, extra_ca_file.c_str(), nullptr) != 1) {
        error = last_openssl_error(ssl, "the extra trusted certificates cannot be read");
        return nullptr;
    }
    return owner;
}

TlsContext::~TlsContext() {
    api_.SSL_CTX_free(context_);
}

std::unique_ptr<TlsSession> TlsSession::start(const TlsContext& context, const std::string& host,
                                              std::string& error) {
    const OpenSslApi& api = context.api();
    api.ERR_clear_error();
    SSL* ssl = api.SSL_new(context.native());
    if (!ssl) {
        error = last_openssl_error(api, "SSL_new failed");
        return nullptr;
    }
    auto session = std::unique_ptr<TlsSession>(new TlsSession(api, ssl));
    BIO* incoming = api.BIO_new(api.BIO_s_mem());
    BIO* outgoing = api.BIO_new(api.BIO_s_mem());
    if (!incoming || !outgoing) {
        api.BIO_free(incoming);
        api.BIO_free(outgoing);
        error = "BIO_new failed";
        return nullptr;
    }
    // An empty incoming buffer means "more to come" until feed_end.
    api.BIO_ctrl(incoming, BIO_C_SET_BUF_MEM_EOF_RETURN, -1, nullptr);
    api.SSL_set_bio(ssl, incoming, outgoing);
    api.SSL_set_connect_state(ssl);

    // The certificate must name the host we were asked for: an address is
    // checked as an address, a name as a name (and sent as the server name).
    bool named = false;
    if (is_ip_literal(host)) {
        named = api.X509_VERIFY_PARAM_set1_ip_asc(api.SSL_get0_param(ssl), host.c_str()) == 1;
    } else {
        named = api.SSL_ctrl(ssl, SSL_CTRL_SET_TLSEXT_HOSTNAME, TLSEXT_NAMETYPE_host_name,
                             const_cast<char*>(host.c_str())) == 1 &&
                api.SSL_set1_host(ssl, host.c_str()) == 1;
    }
    if (!named) {
        error = last_openssl_error(api, "the host name cannot be set for verification");
        return nullptr;
    }
    return session;
}

TlsSession::~TlsSession() {
    api_.SSL_free(ssl_);
}

void TlsSession::feed(std::string_view bytes) {
    if (!bytes.empty())
        api_.BIO_write(api_.SSL_get_rbio(ssl_), bytes.data(), static_cast<int>(bytes.size()));
}

void TlsSession::feed_end() {
    api_.BIO_ctrl(api_.SSL_get_rbio(ssl_), BIO_C_SET_BUF_MEM_EOF_RETURN, 0, nullptr);
}

std::string TlsSession::take_outgoing() {
    BIO* outgoing = api_.SSL_get_wbio(ssl_);
    std::string bytes(api_.BIO_ctrl_pending(outgoing), '\0');
    if (!bytes.empty()) {
        const int taken = api_.BIO_read(outgoing, bytes.data(), static_cast<int>(bytes.size()));
        bytes.resize(taken > 0 ? static_cast<std::size_t>(taken) : 0);
    }
    return bytes;
}

TlsSession::Status TlsSession::write(std::string_view data) {
    api_.ERR_clear_error();
    const int result = api_.SSL_write(ssl_, data.data(), static_cast<int>(data.size()));
    return result > 0 ? Status::done : classify(result);
}

TlsSession::Status TlsSession::read(char* buffer, std::size_t capacity, std::size_t& received) {
    received = 0;
    api_.ERR_clear_error();
    const int result = api_.SSL_read(ssl_, buffer, static_cast<int>(capacity));
    if (result > 0) {
        received = static_cast<std::size_t>(result);
        return Status::done;
    }
    return classify(result);
}

TlsSession::Status TlsSession::classify(int result) {
    switch (api_.SSL_get_error(ssl_, result)) {
        case SSL_ERROR_WANT_READ:
        case SSL_ERROR_WANT_WRITE:
            return Status::wantMore;
        case SSL_ERROR_ZERO_RETURN:
            return Status::closed;
        default:
            break;
    }
    const long verdict = api_.SSL_get_verify_result(ssl_);
    failure_ = verdict != X509_V_OK ? api_.X509_verify_cert_error_string(verdict)
                                    : last_openssl_error(api_, "TLS connection failed");
    return Status::failed;
}

}  // namespace kalvento
