#include "schedule/http_client.h"
#include "schedule/page_fetch.h"
#include "schedule/reply_text.h"

#include "platform/codepage.h"
#include "tests/support/local_http_server.h"

#include <gtest/gtest.h>

#include <chrono>

namespace kalvento::test {
namespace {

WaitPlan short_plan(int rounds = 50, int round_ms = 100) {
    WaitPlan plan;
    plan.rounds = rounds;
    plan.roundLength = std::chrono::milliseconds(round_ms);
    return plan;
}

LocalHttpServer::Responder always(std::string bytes, bool keep_open = false) {
    return [bytes = std::move(bytes), keep_open](const std::string&) {
        return CannedReply{bytes, keep_open};
    };
}

// Serves one canned reply and fetches the page from it.
struct Fetched {
    std::optional<std::string> page;
    TransferState state;
};
Fetched fetch_reply(std::string reply) {
    LocalHttpServer server(always(std::move(reply)));
    HttpClient client;
    Fetched result{fetch_page(client, server.base_url(), short_plan()), TransferState::finished};
    result.state = client.state();
    return result;
}

TEST(SplitUrl, AcceptsHttpAndHttpsInAnyCase) {
    // Only five digits of a port are read.
    const std::tuple<const char*, const char*, int, const char*, bool> urls[] = {
        {"HtTp://Example.org", "Example.org", 80, "/", false},
        {"http://host:8080/find?sd=2&kw=%41&cm=", "host", 8080, "/find?sd=2&kw=%41&cm=", false},
        {"HTTPS://secure.example/a", "secure.example", 443, "/a", true},
        {"http://h:123456/", "h", 12345, "/", false}};
    for (const auto& [url, host, port, path, tls] : urls) {
        const auto parts = split_url(url);
        ASSERT_TRUE(parts) << url;
        EXPECT_EQ(std::tuple(parts->host, int{parts->port}, parts->path, parts->tls),
                  std::tuple(std::string(host), port, std::string(path), tls));
    }
    EXPECT_EQ(format_request(*split_url("https://secure.example/a")),
              "GET /a HTTP/1.0\r\nHost: secure.example:443\r\nUser-Agent: Kalvento/0.0\r\n\r\n");
}

TEST(SplitUrl, RejectsWhatCannotBeRequested) {
    // A line break would smuggle a header of its own into the request.
    for (const std::string& url : std::vector<std::string>{
             "ftp://example.org/", "http://", "http:/x", "https://", "http:///path",
             "http://host:/", "http://host:0/", "http://host:99999/", "http://host/a\r\nX-Evil: 1",
             "http://host/a b", "http://" + std::string(kUrlPartLimit + 1, 'h')})
        EXPECT_FALSE(split_url(url)) << url;
}

TEST(ReplyText, StripsHeadersAndNormalisesLineEnds) {
    EXPECT_EQ(strip_headers("HTTP/1.0 200 OK\r\nA: b\r\n\r\nline1\nline2\r\nline3"),
              "line1\r\nline2\r\nline3");
    EXPECT_EQ(strip_headers("HTTP/1.0 200 OK\nA: b\n\nbody\n"), "body\r\n");
    EXPECT_EQ(strip_headers("HTTP/1.0 200 OK\rA: b\r\rbo\rdy"), "body");
    EXPECT_EQ(strip_headers("status\n\r\n\rbody"), "body");
    // The separators are tried in their order, not by position.
    EXPECT_EQ(strip_headers("a\n\nb\r\n\r\nc"), "c");
    // Without an empty line the whole reply is the page, status line included.
    EXPECT_EQ(strip_headers("HTTP/1.0 200 OK\r\nno body"), "HTTP/1.0 200 OK\r\nno body");
    EXPECT_EQ(strip_headers("H\r\n\r\n"), "");
    EXPECT_EQ(strip_headers(""), "");
}

TEST(ReplyText, ConvertsUtf8ToCodePage932) {
    EXPECT_EQ(utf8_to_ansi("ab\xE3\x81\x82"), "ab" + cp932("あ"));
    // A character the code page lacks becomes a blank; JIS forms find their
    // code page 932 counterparts.
    EXPECT_EQ(utf8_to_ansi("a\xF0\x9F\x98\x80z"), "a z");
    EXPECT_EQ(utf8_to_ansi("#3\xE3\x80\x9C#5"), "#3" + cp932("～") + "#5");
    EXPECT_EQ(utf8_to_ansi("\xE2\x88\x92\xE2\x80\x94\xC2\xA2"), cp932("－―￠"));
    EXPECT_EQ(utf8_to_ansi(""), "");
    EXPECT_FALSE(utf8_to_ansi("ab\x82"));
    EXPECT_FALSE(utf8_to_ansi("\xC0\x80"));
}

TEST(HttpFetch, SendsTheExactRequestAndTakesAnyStatus) {
    LocalHttpServer server(always(http_reply("<p>missing</p>\n", "404 Not Found")));
    HttpClient client;
    const auto page =
        fetch_page(client, server.base_url() + "/find?sd=2&kw=%E3%81%82&r=3&v=0", short_plan());
    ASSERT_TRUE(page);
    EXPECT_EQ(*page, "<p>missing</p>\r\n");
    EXPECT_EQ(client.state(), TransferState::finished);
    ASSERT_EQ(server.request_count(), 1u);
    EXPECT_EQ(server.requests()[0],
              "GET /find?sd=2&kw=%E3%81%82&r=3&v=0 HTTP/1.0\r\nHost: 127.0.0.1:" +
                  std::to_string(server.port()) + "\r\nUser-Agent: Kalvento/0.0\r\n\r\n");

    // "localhost" goes through the resolver thread.
    const auto by_name = fetch_page(client, server.base_url("localhost"), short_plan());
    ASSERT_TRUE(by_name);
    EXPECT_EQ(server.requests()[1],
              "GET / HTTP/1.0\r\nHost: localhost:" + std::to_string(server.port()) +
                  "\r\nUser-Agent: Kalvento/0.0\r\n\r\n");
}

TEST(HttpFetch, KeepsEveryByteOfVariousReplies) {
    // LF-only headers and body; no header block at all.
    EXPECT_EQ(fetch_reply("HTTP/1.0 200 OK\nServer: x\n\nrow1\nrow2\n").page, "row1\r\nrow2\r\n");
    EXPECT_EQ(fetch_reply("just text").page, "just text");
    // Exactly 65,536 bytes, the first size of the reply buffer.
    const std::string head = "HTTP/1.0 200 OK\r\n\r\n";
    std::string body(65536 - head.size(), 'x');
    for (std::size_t i = 0; i < body.size(); i += 100) body[i] = static_cast<char>('a' + i % 26);
    EXPECT_EQ(fetch_reply(head + body).page, body);
    // A NUL byte ends the text of the chunk it arrives in.
    const Fetched nul = fetch_reply(std::string("HTTP/1.0 200 OK\r\n\r\nabc\0def", 25));
    ASSERT_TRUE(nul.page);
    EXPECT_EQ(nul.page->substr(0, 3), "abc");
    EXPECT_EQ(nul.page->find('\0'), std::string::npos);
    // A body that is not UTF-8 is no page.
    const Fetched not_utf8 = fetch_reply(http_reply("\x82\xA0"));
    EXPECT_FALSE(not_utf8.page);
    EXPECT_EQ(not_utf8.state, TransferState::aborted);
    // Over the limit the transfer is aborted; at the limit every byte arrives.
    const Fetched huge = fetch_reply(head + std::string(9 * 1024 * 1024, 'a'));
    EXPECT_FALSE(huge.page);
    EXPECT_EQ(huge.state, TransferState::aborted);
    const Fetched full = fetch_reply(head + std::string(kReplyLimit - head.size(), 'a'));
    ASSERT_TRUE(full.page);
    EXPECT_EQ(full.page->size(), kReplyLimit - head.size());
}

TEST(HttpFetch, GivesUpOnServersThatDoNotAnswerProperly) {
    using Clock = std::chrono::steady_clock;
    // Never closes: the wait ends after its rounds, pumping once per round.
    {
        LocalHttpServer server(always(http_reply("partial"), true));
        HttpClient client;
        WaitPlan plan = short_plan(5, 40);
        int pumped = 0;
        plan.pump = [&] { ++pumped; };
        const auto started = Clock::now();
        EXPECT_FALSE(fetch_page(client, server.base_url(), plan));
        EXPECT_GE(Clock::now() - started, std::chrono::milliseconds(190));
        EXPECT_EQ(pumped, 5);
        EXPECT_EQ(client.state(), TransferState::aborted);
        EXPECT_FALSE(client.diagnostics().empty());
    }
    // Closes at once without a word: an empty page, without waiting out the rounds.
    auto started = Clock::now();
    EXPECT_EQ(fetch_reply("").page, "");
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(2));
    // Nothing listens any more: the connect fails and the wait ends early.
    const std::string gone = unreachable_base_url();
    HttpClient client;
    started = Clock::now();
    EXPECT_FALSE(fetch_page(client, gone, short_plan()));
    EXPECT_LT(Clock::now() - started, std::chrono::seconds(2));
    EXPECT_EQ(client.state(), TransferState::aborted);
    ASSERT_FALSE(client.diagnostics().empty());
    EXPECT_EQ(client.diagnostics()[0].rfind(cp932("the connection to the server failed"), 0), 0u);
}

TEST(HttpFetch, RefusesWhatItCannotSendOrRunTwice) {
    LocalHttpServer server(always(http_reply("page")));
    HttpClient client;
    // A request over 1024 bytes is refused before any connection.
    EXPECT_FALSE(client.http_start(server.base_url() + "/" + std::string(1000, 'p')));
    EXPECT_FALSE(client.active());
    EXPECT_FALSE(fetch_page(client, "gopher://127.0.0.1/", short_plan()));

    // A fetch begun from the pump while the first one waits is refused and
    // leaves the first one running.
    WaitPlan plan = short_plan();
    std::optional<std::string> nested = "not tried";
    plan.pump = [&] {
        if (nested && *nested == "not tried")
            nested = fetch_page(client, server.base_url(), short_plan());
    };
    EXPECT_EQ(fetch_page(client, server.base_url() + "/outer", plan), "page");
    EXPECT_FALSE(nested);
    ASSERT_EQ(server.request_count(), 1u);
    EXPECT_EQ(server.requests()[0].rfind("GET /outer ", 0), 0u);

    // Aborting is harmless when nothing runs.
    client.http_abort();
    EXPECT_EQ(client.state(), TransferState::finished);
}

}  // namespace
}  // namespace kalvento::test
