#include "schedule/http_client.h"

#include "platform/ascii_case.h"
#include "platform/codepage.h"
#include "schedule/reply_text.h"
#include "schedule/tls_session.h"

#include <cstring>
#include <system_error>

namespace kalvento {
namespace {

constexpr std::string_view kHttpScheme = "http://";
constexpr std::string_view kHttpsScheme = "https://";
constexpr std::size_t kPortDigits = 5;
constexpr unsigned kHighestPort = 65535;

// A blank or control byte would end the request line early or start a header
// of its own, so such an address is never sent.
bool holds_control_or_blank(std::string_view text) {
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == 0x7F) return true;
    }
    return false;
}

std::string system_text(int error) {
    return std::error_code(error, std::generic_category()).message();
}

// What the client tells a verbose log; code page 932 like every core text.
std::string message(std::string_view utf8_text, std::string_view detail = {}) {
    std::string text = cp932(utf8_text);
    if (!detail.empty()) {
        text += " (";
        text += cp932(detail);
        text += ")";
    }
    return text;
}

}  // namespace

std::optional<UrlParts> split_url(std::string_view url) {
    UrlParts parts;
    std::string_view rest;
    if (starts_with_ignoring_ascii_case(url, kHttpsScheme)) {
        parts.tls = true;
        parts.port = kHttpsPort;
        rest = url.substr(kHttpsScheme.size());
    } else if (starts_with_ignoring_ascii_case(url, kHttpScheme)) {
        rest = url.substr(kHttpScheme.size());
    } else {
        return std::nullopt;
    }
    if (rest.empty() || holds_control_or_blank(url)) return std::nullopt;

    const auto slash = rest.find('/');
    std::string_view host = rest.substr(0, slash);
    parts.path = slash == std::string_view::npos ? "/" : std::string(rest.substr(slash));

    const auto colon = host.find(':');
    if (colon != std::string_view::npos) {
        unsigned port = 0;
        const std::string_view digits = host.substr(colon + 1);
        for (std::size_t i = 0; i < digits.size() && i < kPortDigits; ++i) {
            if (digits[i] < '0' || digits[i] > '9') break;
            port = port * 10 + static_cast<unsigned>(digits[i] - '0');
        }
        if (port == 0 || port > kHighestPort) return std::nullopt;
        parts.port = static_cast<std::uint16_t>(port);
        host = host.substr(0, colon);
    }
    if (host.empty() || host.size() > kUrlPartLimit || parts.path.size() > kUrlPartLimit)
        return std::nullopt;
    parts.host = std::string(host);
    return parts;
}

std::string format_request(const UrlParts& parts) {
    std::string request = "GET ";
    request += parts.path;
    request += " HTTP/1.0\r\nHost: ";
    request += parts.host;
    request += ':';
    request += std::to_string(parts.port);
    request += "\r\nUser-Agent: Kalvento/0.0\r\n\r\n";
    return request;
}

HttpClient::HttpClient(std::string extra_ca_file) : extraCaFile_(std::move(extra_ca_file)) {}

HttpClient::~HttpClient() {
    close_connection();
}

bool HttpClient::active() const {
    return state_ == TransferState::resolving || state_ == TransferState::connecting ||
           state_ == TransferState::receiving;
}

bool HttpClient::http_start(std::string_view url) {
    if (active()) {
        // The caller's wait lets other work run; that work must not take over
        // the connection a waiting lookup still depends on.
        add_diagnostic(message("a transfer is still running; no new one is started"));
        return false;
    }
    diagnostics_.clear();
    done_ = false;
    requestSent_ = false;
    received_ = 0;
    status_ = 0;
    std::string().swap(response_);
    state_ = TransferState::idle;

    const auto parts = split_url(url);
    if (!parts) {
        add_diagnostic(message("the address cannot be understood"));
        return false;
    }
    parts_ = *parts;
    request_ = format_request(parts_);
    if (request_.size() > kRequestLimit) {
        add_diagnostic(message("the request is longer than 1024 bytes and is not sent"));
        return false;
    }
    if (parts_.tls && !tlsContext_) {
        std::string error;
        tlsContext_ = TlsContext::create(extraCaFile_, error);
        if (!tlsContext_) {
            add_diagnostic(message("TLS could not be set up", error));
            return false;
        }
    }

    if (const auto address = parse_ipv4_address(parts_.host, parts_.port)) {
        connect_to(*address);
    } else {
        lookup_ = HostLookup::start(parts_.host, parts_.port);
        if (!lookup_) {
            add_diagnostic(message("the server's IP address could not be found"));
            return false;
        }
        state_ = TransferState::resolving;
    }
    return active();
}

void HttpClient::http_abort() {
    if (!active()) return;
    close_connection();
    state_ = TransferState::aborted;
}

void HttpClient::poll(std::chrono::milliseconds timeout) {
    if (!active()) return;
    WaitRequest request;
    if (lookup_) request.lookupHandle = lookup_->event_handle();
    if (socket_.valid()) {
        request.socket = socket_.handle();
        request.connecting = connectPending_;
        request.wantRead = !connectPending_;
        request.wantWrite = !outgoing_.empty();
    }
    const SocketEvents events = wait_for_events(request, timeout);
    if (events.lookupDone) on_lookup_done();
    if (socket_.valid() && (events.connected || events.readable || events.writable ||
                            events.closed || events.error != 0))
        on_socket_event(events);
}

void HttpClient::on_lookup_done() {
    if (!lookup_ || !lookup_->finished()) return;
    const SocketAddress address = lookup_->address();
    const std::string error = lookup_->error_text();
    lookup_.reset();
    if (address.empty()) {
        fail(message("the server's IP address could not be found", error));
        return;
    }
    connect_to(address);
}

void HttpClient::on_socket_event(const SocketEvents& events) {
    if (!socket_.valid()) return;
    if (events.error != 0) {
        fail(message(connectPending_ ? "the connection to the server failed"
                                     : "the socket reported an error",
                     system_text(events.error)));
        return;
    }
    if (events.connected) on_connected();
    if (active() && events.writable && !outgoing_.empty()) flush_outgoing();
    if (!active()) return;
    if (events.closed) {
        finish();
    } else if (events.readable) {
        receive_once();
    }
}

void HttpClient::connect_to(const SocketAddress& address) {
    int error = 0;
    socket_ = Socket::open_for(address, error);
    if (!socket_.valid()) {
        fail(message("no socket could be made", system_text(error)));
        return;
    }
    state_ = TransferState::connecting;
    switch (socket_.connect(address, error)) {
        case ConnectStart::failed:
            fail(message("the connection to the server failed", system_text(error)));
            break;
        case ConnectStart::pending:
            connectPending_ = true;
            break;
        case ConnectStart::connected:
            on_connected();
            break;
    }
}

void HttpClient::on_connected() {
    connectPending_ = false;
    if (parts_.tls) {
        std::string error;
        tls_ = TlsSession::start(*tlsContext_, parts_.host, error);
        if (!tls_) {
            fail(message("the TLS connection failed", error));
            return;
        }
    }
    queue_request();
}

void HttpClient::queue_request() {
    if (!tls_) {
        outgoing_ = request_;
    } else {
        switch (tls_->write(request_)) {
            case TlsSession::Status::done:
                break;
            case TlsSession::Status::wantMore:
                outgoing_ += tls_->take_outgoing();
                flush_outgoing();
                return;
            case TlsSession::Status::closed:
            case TlsSession::Status::failed:
                fail(message("the TLS connection failed", tls_->failure_text()));
                return;
        }
        outgoing_ += tls_->take_outgoing();
    }
    requestSent_ = true;
    response_.clear();
    state_ = TransferState::receiving;
    flush_outgoing();
}

void HttpClient::flush_outgoing() {
    while (!outgoing_.empty()) {
        const IoResult sent = socket_.send(outgoing_);
        if (sent.failed()) {
            fail(message("the request could not be sent", system_text(sent.error)));
            return;
        }
        if (sent.wouldBlock) return;
        outgoing_.erase(0, sent.bytes);
    }
}

void HttpClient::receive_once() {
    char chunk[kReceiveChunk];
    const IoResult received = socket_.receive(chunk, sizeof chunk);
    if (received.failed()) {
        fail(message("receiving failed", system_text(received.error)));
        return;
    }
    if (received.closed) {
        finish();
        return;
    }
    if (received.bytes == 0) return;
    if (!tls_) {
        append_chunk(chunk, received.bytes);
        return;
    }
    tls_->feed(std::string_view(chunk, received.bytes));
    drain_tls();
}

void HttpClient::drain_tls() {
    if (!requestSent_) {
        queue_request();
        if (!active() || !requestSent_) return;
    }
    char chunk[kReceiveChunk];
    for (;;) {
        std::size_t got = 0;
        const TlsSession::Status status = tls_->read(chunk, sizeof chunk, got);
        if (status == TlsSession::Status::failed) {
            fail(message("the TLS connection failed", tls_->failure_text()));
            return;
        }
        if (status != TlsSession::Status::done) break;
        if (!append_chunk(chunk, got)) return;
    }
    outgoing_ += tls_->take_outgoing();
    flush_outgoing();
}

void HttpClient::finish() {
    // Take what is still in the connection, then close it.
    char chunk[kReceiveChunk];
    for (;;) {
        const IoResult received = socket_.receive(chunk, sizeof chunk);
        if (received.bytes == 0) break;
        if (tls_) {
            tls_->feed(std::string_view(chunk, received.bytes));
        } else if (!append_chunk(chunk, received.bytes)) {
            return;
        }
    }
    if (tls_) {
        tls_->feed_end();
        drain_tls();
        if (!active()) return;
    }
    close_connection();

    status_ = reply_status(response_);
    const auto page = utf8_to_ansi(strip_headers(response_));
    if (!page) {
        state_ = TransferState::aborted;
        add_diagnostic(message("the reply is not UTF-8 text and is not used"));
        return;
    }
    response_ = *page;
    done_ = true;
    state_ = TransferState::finished;
}

bool HttpClient::append_chunk(const char* bytes, std::size_t size) {
    received_ += size;
    if (received_ > kReplyLimit) {
        fail(message("the reply is larger than 8 MiB; stopped"));
        return false;
    }
    // The reply is kept as text: a chunk ends at its first NUL byte.
    const std::size_t length = ::strnlen(bytes, size);
    if (response_.size() + length + 1 > response_.capacity())
        response_.reserve(response_.size() + length + kReplyGrowth);
    response_.append(bytes, length);
    return true;
}

void HttpClient::fail(std::string text) {
    add_diagnostic(std::move(text));
    close_connection();
    done_ = false;
    state_ = TransferState::aborted;
}

void HttpClient::close_connection() {
    lookup_.reset();
    tls_.reset();
    socket_.close();
    connectPending_ = false;
    outgoing_.clear();
}

}  // namespace kalvento
