// TLS for the local test server: a throw-away certificate authority, a server
// certificate for chosen names signed by it, and server streams that speak
// TLS with that certificate. Nothing is committed: keys are made per run.
#pragma once

#include "tests/support/local_http_server.h"

#include <memory>
#include <string>
#include <vector>

namespace kalvento::test {

class TlsTestAuthority {
  public:
    // `server_names`: "DNS:localhost", "IP:127.0.0.1", ... for the server
    // certificate's alternative names. The authority's certificate is written
    // as PEM to `ca_file`.
    TlsTestAuthority(const std::vector<std::string>& server_names, const std::string& ca_file);
    ~TlsTestAuthority();
    TlsTestAuthority(const TlsTestAuthority&) = delete;
    TlsTestAuthority& operator=(const TlsTestAuthority&) = delete;

    // Streams that accept TLS with the server certificate.
    LocalHttpServer::StreamFactory stream_factory() const;

  private:
    struct Keys;
    std::shared_ptr<Keys> keys_;
};

}  // namespace kalvento::test
