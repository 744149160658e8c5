#include "platform/NameLookup.h"
#include "support/FakeTcpServer.h"
#include "support/GatedNameServer.h"

#include <arpa/inet.h>
#include <atomic>
#include <condition_variable>
#include <future>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <netinet/in.h>

namespace corvane::testing {
namespace {

using std::chrono::milliseconds;

// A name server that does not answer never holds the caller longer than it
// asked, and a lookup past its deadline counts as failed; once answered, the
// name is kept and not looked up again; numeric addresses need no lookup.
TEST(NameLookup, ACallerNeverWaitsLongerThanItAsksAndAnswersAreKept) {
    // Kept alive past the test by the lookups' threads, which hold it.
    auto server = std::make_shared<GatedNameServer>();
    NameLookup names(server->Resolver(),
                     {milliseconds(1000), std::chrono::minutes(5), std::chrono::seconds(30)});

    NameLookup::Answer answer;
    EXPECT_TRUE(FinishesWithin(milliseconds(2000),
                               [&] { answer = names.Find("radio.example", SOCK_DGRAM, milliseconds(0)); }));
    EXPECT_EQ(answer.state, NameLookup::State::Pending);
    // Past the deadline, a lookup still under way is a failure with a reason.
    answer = names.FindUntil("radio.example", SOCK_DGRAM, milliseconds(15000), {});
    EXPECT_EQ(answer.state, NameLookup::State::Failed);
    EXPECT_EQ(answer.error, "no answer from the name server within 1 s");
    EXPECT_EQ(server->lookups.load(), 1) << "one lookup under way at a time";

    // Told on the lookup's thread, just after the answer is kept.
    auto told = std::make_shared<std::promise<bool>>();
    std::future<bool> toldFound = told->get_future();
    names.Find("studio.example", SOCK_DGRAM, milliseconds(0),
               [told](const NameLookup::Answer& a) { told->set_value(a.state == NameLookup::State::Found); });
    server->Release();
    answer = names.FindUntil("studio.example", SOCK_DGRAM, milliseconds(15000), {});
    ASSERT_EQ(answer.state, NameLookup::State::Found);
    EXPECT_EQ(answer.addresses.front().Numeric(), "127.0.0.1");
    ASSERT_EQ(toldFound.wait_for(milliseconds(15000)), std::future_status::ready);
    EXPECT_TRUE(toldFound.get());
    const int lookups = server->lookups.load();
    EXPECT_EQ(names.Find("studio.example", SOCK_DGRAM, milliseconds(0)).state, NameLookup::State::Found);
    EXPECT_EQ(server->lookups.load(), lookups) << "a found name is kept";

    const struct {
        const char* host;
        const char* numeric;
    } numeric[] = {{"192.0.2.7", "192.0.2.7"}, {"::1", "::1"}, {"[2001:db8::1]", "2001:db8::1"}};
    for (const auto& n : numeric) {
        SCOPED_TRACE(n.host);
        EXPECT_TRUE(NameLookup::IsNumeric(n.host));
        answer = names.Find(n.host, SOCK_STREAM, milliseconds(0));
        ASSERT_EQ(answer.state, NameLookup::State::Found);
        EXPECT_EQ(answer.addresses.front().Numeric(), n.numeric);
    }
    EXPECT_EQ(server->lookups.load(), lookups) << "numeric addresses are not looked up";
}

} // namespace
} // namespace corvane::testing
