#include "schedule/http_client.h"
#include "schedule/page_fetch.h"

#include "tests/schedule/schedule_test_util.h"
#include "tests/schedule/tls_test_server.h"
#include "tests/support/local_http_server.h"

#include <gtest/gtest.h>

namespace kalvento::test {
namespace {

WaitPlan plan() {
    WaitPlan plan;
    plan.rounds = 50;
    plan.roundLength = std::chrono::milliseconds(100);
    return plan;
}

LocalHttpServer::Responder page(std::string body) {
    return [body = std::move(body)](const std::string&) { return CannedReply{http_reply(body)}; };
}

bool mentions(const std::vector<std::string>& diagnostics, std::string_view text) {
    for (const std::string& diagnostic : diagnostics)
        if (diagnostic.find(text) != std::string::npos) return true;
    return false;
}

TEST(HttpsFetch, FetchesFromAServerWithAVerifiedCertificate) {
    TempDir dir;
    const std::string ca_file = dir.file("ca.pem");
    TlsTestAuthority authority({"DNS:localhost", "IP:127.0.0.1"}, ca_file);
    LocalHttpServer server(page("secure\nrows\n"), authority.stream_factory());

    HttpClient client(ca_file);
    EXPECT_EQ(fetch_page(client, server.base_url("localhost", "https") + "/find?kw=%41", plan()),
              "secure\r\nrows\r\n");
    ASSERT_EQ(server.request_count(), 1u);
    EXPECT_EQ(server.requests()[0],
              "GET /find?kw=%41 HTTP/1.0\r\nHost: localhost:" + std::to_string(server.port()) +
                  "\r\nUser-Agent: Kalvento/0.0\r\n\r\n");

    // An address is checked against the certificate's addresses.
    EXPECT_EQ(fetch_page(client, server.base_url("127.0.0.1", "https"), plan()),
              "secure\r\nrows\r\n");
}

TEST(HttpsFetch, RefusesCertificatesThatDoNotProveTheServer) {
    TempDir dir;
    const std::string ca_file = dir.file("ca.pem");
    // Issued for another name than the one asked for.
    {
        TlsTestAuthority authority({"DNS:schedule.kalvento.test"}, ca_file);
        LocalHttpServer server(page("should not be read"), authority.stream_factory());
        HttpClient client(ca_file);
        EXPECT_FALSE(fetch_page(client, server.base_url("localhost", "https"), plan()));
        EXPECT_EQ(client.state(), TransferState::aborted);
        EXPECT_TRUE(mentions(client.diagnostics(), "mismatch")) << client.diagnostics().size();
        EXPECT_FALSE(fetch_page(client, server.base_url("127.0.0.1", "https"), plan()));
        EXPECT_EQ(server.request_count(), 0u);
    }
    // Issued by an authority the client does not trust.
    {
        TlsTestAuthority authority({"DNS:localhost"}, ca_file);
        LocalHttpServer server(page("should not be read"), authority.stream_factory());
        HttpClient client;
        EXPECT_FALSE(fetch_page(client, server.base_url("localhost", "https"), plan()));
        EXPECT_TRUE(mentions(client.diagnostics(), "certificate")) << client.diagnostics().size();
    }
}

}  // namespace
}  // namespace kalvento::test
