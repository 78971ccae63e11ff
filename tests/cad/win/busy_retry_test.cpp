// Waiting for a busy CAD application: the wait before each new try, the calls made again, and the
// message filter that COM asks on Windows (Wine never asks a client's filter; the server tests
// under Wine prove the retry of Invoke instead).
#include "cad/win/busy_retry.h"

#include <gtest/gtest.h>

#include <vector>

#include "cad/win/com_apartment.h"
#include "cad/win/message_filter.h"

namespace cad::automation {
namespace {

TEST(BusyRetry, CallsAgainWhileBusyUntilAnotherAnswerOrAMinuteHasPassed) {
    const struct {
        const char* name;
        std::vector<HRESULT> answers;  // the last one repeats
        HRESULT result;
        int calls;
        ULONGLONG waited;
    } cases[] = {
        {"answered at once", {S_OK}, S_OK, 1, 0},
        {"a failure is not waited for", {E_FAIL}, E_FAIL, 1, 0},
        {"busy twice, then answered",
         {RPC_E_CALL_REJECTED, RPC_E_SERVERCALL_RETRYLATER, S_OK},
         S_OK,
         3,
         500},
        {"busy, then failing", {RPC_E_CALL_REJECTED, DISP_E_BADINDEX}, DISP_E_BADINDEX, 2, 250},
        // 250 + 250 + 500 ms, then 59 waits of a second.
        {"busy to the end", {RPC_E_CALL_REJECTED}, RPC_E_CALL_REJECTED, 63, 60000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ULONGLONG now = 0;
        const BusyClock clock{[&] { return now; }, [&](DWORD ms) { now += ms; }};
        int calls = 0;
        const HRESULT result = retryWhileBusy(
            [&] {
                const auto at = std::min<std::size_t>(calls++, c.answers.size() - 1);
                return c.answers[at];
            },
            clock);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(calls, c.calls);
        EXPECT_EQ(now, c.waited);
    }
}

TEST(BusyRetry, TheApartmentsMessageFilterWaitsOnlyForCallsToBeTriedLater) {
    const ComApartment apartment;
    IMessageFilter* registered = nullptr;
    // Taken out to look at, and put back after.
    ASSERT_EQ(CoRegisterMessageFilter(nullptr, &registered), S_OK);
    EXPECT_EQ(registered, busyMessageFilter());
    constexpr auto kCancel = static_cast<DWORD>(-1);
    const struct {
        DWORD rejectType;
        DWORD elapsed;
        DWORD answer;
    } cases[] = {// A quarter second, then as long as the call has waited, at most a second.
                 {SERVERCALL_RETRYLATER, 0, 250},
                 {SERVERCALL_RETRYLATER, 400, 400},
                 {SERVERCALL_RETRYLATER, 5000, 1000},
                 // Never past the minute.
                 {SERVERCALL_RETRYLATER, 59500, 500},
                 {SERVERCALL_RETRYLATER, 60000, kCancel},
                 {SERVERCALL_REJECTED, 0, kCancel}};
    for (const auto& c : cases) {
        EXPECT_EQ(busyMessageFilter()->RetryRejectedCall(nullptr, c.elapsed, c.rejectType),
                  c.answer)
            << c.rejectType << " after " << c.elapsed << " ms";
    }
    EXPECT_EQ(CoRegisterMessageFilter(registered, nullptr), S_OK);
}

}  // namespace
}  // namespace cad::automation
