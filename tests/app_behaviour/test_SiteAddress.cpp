// The quote site address check in the job's form: ports written as numbers,
// bracketed IPv6 hosts, white space around the address, and what is refused
// (a port out of range, a non-ASCII host, anything after the host).
#include <gtest/gtest.h>

#include "app/SiteAddress.h"

namespace vantora {
namespace {

TEST(SiteAddress, TheJobsFormAndTheAddressesItRefuses) {
  const struct {
    const char* typed;
    const char* normalized;
  } kAccepted[] = {
      {"  https://Quote.Example.JP/ ", "https://quote.example.jp"},
      {"\xE3\x80\x80http://host:080\xC2\xA0", "http://host:80"},
      {"http://host:", "http://host"},
      {"HTTPS://[::1]:8443", "https://[::1]:8443"},
      {"http://[FE80::1]/", "http://[fe80::1]"},
      {"http://127.0.0.1:65535", "http://127.0.0.1:65535"},
  };
  for (const auto& c : kAccepted) {
    const auto address = NormalizeSiteAddress(c.typed);
    ASSERT_TRUE(address.has_value()) << c.typed;
    EXPECT_EQ(*address, c.normalized) << c.typed;
  }
  for (const char* refused : {"http://host:65536", "http://host:8x", "http://h\xC3\xA9te.jp", "http://[::1",
                              "http://[]", "http://host#top", "http://host//", "https://:80",
                              "http://a@b", "mailto://host", "http:/host", ""}) {
    EXPECT_FALSE(NormalizeSiteAddress(refused).has_value()) << refused;
  }
}

}  // namespace
}  // namespace vantora
