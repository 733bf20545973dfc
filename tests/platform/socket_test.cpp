#include "platform/socket.h"

#include <gtest/gtest.h>

#include <chrono>

namespace kalvento::test {
namespace {

TEST(Socket, TellsAddressesFromNames) {
    EXPECT_TRUE(parse_ipv4_address("127.0.0.1", 80));
    EXPECT_FALSE(parse_ipv4_address("127.1", 80));
    EXPECT_FALSE(parse_ipv4_address("localhost", 80));
    EXPECT_FALSE(parse_ipv4_address("", 80));
    EXPECT_TRUE(is_ip_literal("::1"));
    EXPECT_TRUE(is_ip_literal("10.0.0.1"));
    EXPECT_FALSE(is_ip_literal("cal.example"));
}

TEST(Socket, LooksUpNamesWithoutBlockingAndConnectsWithEvents) {
    auto lookup = HostLookup::start("localhost", 9);
    ASSERT_TRUE(lookup);
    WaitRequest request;
    request.lookupHandle = lookup->event_handle();
    for (int round = 0; round < 100 && !lookup->finished(); ++round)
        wait_for_events(request, std::chrono::milliseconds(50));
    ASSERT_TRUE(lookup->finished());
    const SocketAddress address = lookup->address();
    ASSERT_FALSE(address.empty()) << lookup->error_text();

    // Nothing listens on the discard port of this machine here, or it
    // accepts: either way the connect ends with an event, never a hang.
    int error = 0;
    Socket socket = Socket::open_for(address, error);
    ASSERT_TRUE(socket.valid()) << error;
    const ConnectStart started = socket.connect(address, error);
    if (started == ConnectStart::pending) {
        WaitRequest connecting;
        connecting.socket = socket.handle();
        connecting.connecting = true;
        const SocketEvents events = wait_for_events(connecting, std::chrono::seconds(5));
        EXPECT_TRUE(events.connected || events.error != 0);
    }
    // A lookup that is dropped before it ends is simply abandoned.
    HostLookup::start("localhost", 80).reset();
}

}  // namespace
}  // namespace kalvento::test
