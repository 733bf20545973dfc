#include "tests/schedule/tls_test_server.h"

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

namespace kalvento::test {
namespace {

constexpr long kValiditySeconds = 24 * 60 * 60;

EVP_PKEY* new_key() {
    EVP_PKEY* key = EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256");
    if (!key) throw std::runtime_error("test key generation failed");
    return key;
}

void add_extension(X509* certificate, X509* issuer, int nid, const std::string& value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value.c_str());
    if (!extension) throw std::runtime_error("test certificate extension failed: " + value);
    X509_add_ext(certificate, extension, -1);
    X509_EXTENSION_free(extension);
}

// An authority's own certificate when issuer is null; otherwise a server
// certificate for `names`, signed by the issuer.
X509* new_certificate(const char* common_name, EVP_PKEY* key, X509* issuer, EVP_PKEY* issuer_key,
                      long serial, const std::string& names) {
    X509* certificate = X509_new();
    X509_set_version(certificate, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate), serial);
    X509_gmtime_adj(X509_getm_notBefore(certificate), -kValiditySeconds);
    X509_gmtime_adj(X509_getm_notAfter(certificate), kValiditySeconds);
    X509_set_pubkey(certificate, key);
    X509_NAME* name = X509_get_subject_name(certificate);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(common_name), -1, -1, 0);
    X509_set_issuer_name(certificate, issuer ? X509_get_subject_name(issuer) : name);
    X509* signer = issuer ? issuer : certificate;
    add_extension(certificate, signer, NID_subject_key_identifier, "hash");
    if (issuer) {
        add_extension(certificate, signer, NID_basic_constraints, "CA:FALSE");
        add_extension(certificate, signer, NID_ext_key_usage, "serverAuth");
        if (!names.empty()) add_extension(certificate, signer, NID_subject_alt_name, names);
    } else {
        add_extension(certificate, signer, NID_basic_constraints, "critical,CA:TRUE");
        add_extension(certificate, signer, NID_key_usage, "critical,keyCertSign,cRLSign");
    }
    if (X509_sign(certificate, issuer_key ? issuer_key : key, EVP_sha256()) == 0)
        throw std::runtime_error("test certificate signing failed");
    return certificate;
}

class TlsServerStream final : public ServerStream {
  public:
    TlsServerStream(int fd, SSL_CTX* context) : fd_(fd), ssl_(SSL_new(context)) {
        SSL_set_fd(ssl_, fd_);
    }
    ~TlsServerStream() override { close(); }

    bool open(const std::atomic<bool>& stopping) override {
        while (!stopping) {
            const int result = SSL_accept(ssl_);
            if (result == 1) return true;
            const int error = SSL_get_error(ssl_, result);
            if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE) return false;
        }
        return false;
    }

    long read(char* buffer, std::size_t capacity) override {
        const int result = SSL_read(ssl_, buffer, static_cast<int>(capacity));
        if (result > 0) return result;
        const int error = SSL_get_error(ssl_, result);
        if (error == SSL_ERROR_ZERO_RETURN) return 0;
        if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE) return kTimedOut;
        return kFailed;
    }

    bool write_all(std::string_view bytes, const std::atomic<bool>& stopping) override {
        while (!bytes.empty() && !stopping) {
            const int result = SSL_write(ssl_, bytes.data(), static_cast<int>(bytes.size()));
            if (result > 0) {
                bytes.remove_prefix(static_cast<std::size_t>(result));
                continue;
            }
            const int error = SSL_get_error(ssl_, result);
            if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE) return false;
        }
        return bytes.empty();
    }

    void close() override {
        if (ssl_) {
            SSL_shutdown(ssl_);
            SSL_free(ssl_);
            ssl_ = nullptr;
        }
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
        ERR_clear_error();
    }

  private:
    int fd_;
    SSL* ssl_;
};

}  // namespace

struct TlsTestAuthority::Keys {
    SSL_CTX* context = nullptr;
    ~Keys() { SSL_CTX_free(context); }
};

TlsTestAuthority::TlsTestAuthority(const std::vector<std::string>& server_names,
                                   const std::string& ca_file)
    : keys_(std::make_shared<Keys>()) {
    std::string names;
    for (const std::string& name : server_names) names += (names.empty() ? "" : ",") + name;
    EVP_PKEY* ca_key = new_key();
    X509* ca = new_certificate("Kalvento Test Authority", ca_key, nullptr, nullptr, 1, {});
    EVP_PKEY* server_key = new_key();
    X509* server = new_certificate("Kalvento Test Server", server_key, ca, ca_key, 2, names);

    FILE* file = std::fopen(ca_file.c_str(), "w");
    if (!file) throw std::runtime_error("cannot write the test authority file");
    PEM_write_X509(file, ca);
    std::fclose(file);

    keys_->context = SSL_CTX_new(TLS_server_method());
    SSL_CTX_use_certificate(keys_->context, server);
    SSL_CTX_use_PrivateKey(keys_->context, server_key);
    X509_free(server);
    X509_free(ca);
    EVP_PKEY_free(server_key);
    EVP_PKEY_free(ca_key);
}

TlsTestAuthority::~TlsTestAuthority() = default;

LocalHttpServer::StreamFactory TlsTestAuthority::stream_factory() const {
    auto keys = keys_;
    return [keys](int fd) -> std::unique_ptr<ServerStream> {
        return std::make_unique<TlsServerStream>(fd, keys->context);
    };
}

}  // namespace kalvento::test
