// The OpenSSL functions the TLS session calls, resolved from the system's
// libssl when the first https address is fetched.
//
// Linked the ordinary way, libssl and libcrypto cost every start of the
// program tens of thousands of relocations, although most runs (an analysis,
// a rename without schedule lookups) never open an https address. Loaded on
// first use, TLS costs nothing until it is needed, and it is still the
// system's library, with its security updates, that does the work.
#pragma once

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>

#include <memory>
#include <string>

namespace kalvento {

// Every function used, by its OpenSSL name. The macros of the headers that
// stand for a ctrl call (SSL_CTX_set_min_proto_version, SSL_set_tlsext_host_name,
// BIO_set_mem_eof_return) are written out as those calls where they are used.
// clang-format off
#define KALVENTO_OPENSSL_FUNCTIONS(X)                                                   \
    X(TLS_client_method)                                                                \
    X(SSL_CTX_new) X(SSL_CTX_free) X(SSL_CTX_ctrl) X(SSL_CTX_set_options)               \
    X(SSL_CTX_set_verify) X(SSL_CTX_set_default_verify_paths)                          \
    X(SSL_CTX_load_verify_locations)                                                    \
    X(SSL_new) X(SSL_free) X(SSL_ctrl) X(SSL_get0_param) X(SSL_set_bio)                 \
    X(SSL_set_connect_state) X(SSL_set1_host) X(SSL_get_rbio) X(SSL_get_wbio)           \
    X(SSL_write) X(SSL_read) X(SSL_get_error) X(SSL_get_verify_result)                  \
    X(BIO_new) X(BIO_s_mem) X(BIO_free) X(BIO_write) X(BIO_read) X(BIO_ctrl)            \
    X(BIO_ctrl_pending)                                                                 \
    X(ERR_get_error) X(ERR_clear_error) X(ERR_error_string_n)                           \
    X(X509_VERIFY_PARAM_set1_ip_asc) X(X509_verify_cert_error_string)
// clang-format on

struct OpenSslApi {
#define KALVENTO_OPENSSL_POINTER(name) decltype(&::name) name = nullptr;
    KALVENTO_OPENSSL_FUNCTIONS(KALVENTO_OPENSSL_POINTER)
#undef KALVENTO_OPENSSL_POINTER
};

// Loads `library` and resolves every function; nullptr when the library cannot
// be loaded or lacks a function (`error` then has the loader's reason). A
// loaded library stays loaded for the rest of the run.
std::unique_ptr<OpenSslApi> load_openssl_api(const char* library, std::string& error);

// The functions of the system's libssl (the version of the headers we are
// built with), loaded once per run on the first call (from
// any thread); nullptr when that failed, with the reason in `error`.
const OpenSslApi* openssl_api(std::string& error);

}  // namespace kalvento
