#include "schedule/openssl_api.h"

#include <gtest/gtest.h>

namespace kalvento::test {
namespace {

#define TEST_STRINGIFY2(x) #x
#define TEST_STRINGIFY(x) TEST_STRINGIFY2(x)

TEST(OpenSslApi, LoadsOnceAndExplainsWhatIsMissing) {
    std::string error;
    const OpenSslApi* api = openssl_api(error);
    ASSERT_NE(api, nullptr) << error;
    EXPECT_EQ(openssl_api(error), api);
    EXPECT_NE(api->X509_verify_cert_error_string, nullptr);  // the last one resolved
    EXPECT_NE(api->TLS_client_method(), nullptr);

    // A machine without libssl: the reason names the library, and nothing is
    // half resolved.
    EXPECT_EQ(load_openssl_api("libkalvento-no-such-ssl.so.3", error), nullptr);
    EXPECT_NE(error.find("libkalvento-no-such-ssl.so.3"), std::string::npos) << error;

    // A library that loads but is not libssl: the first missing function is named.
    error.clear();
    EXPECT_EQ(load_openssl_api("libcrypto.so." TEST_STRINGIFY(OPENSSL_SHLIB_VERSION), error),
              nullptr);
    EXPECT_NE(error.find("TLS_client_method"), std::string::npos) << error;
}

}  // namespace
}  // namespace kalvento::test
