// The run-time pieces the program brings itself: exception objects and the
// record of caught exceptions, with the heap and with the emergency pool alone.
#include <gtest/gtest.h>

#include <exception>
#include <new>
#include <string>

#include "error/Q7Exception.h"
#include "framework/FwRuntime.h"

namespace {

class PoolOnly {
public:
    PoolOnly() { FwRuntimeUseEmergencyPoolOnly(true); }
    ~PoolOnly() { FwRuntimeUseEmergencyPoolOnly(false); }
};

struct CountsUncaught {
    int* seen;
    ~CountsUncaught() { *seen = std::uncaught_exceptions(); }
};

void ThrowText(const char* text) {
    throw Error::Q7ExceptionText(text, __FILE__, __LINE__);
}

} // namespace

TEST(Runtime, ExceptionsWorkFromTheEmergencyPoolAlone) {
    for (bool poolOnly : {false, true}) {
        SCOPED_TRACE(poolOnly ? "pool only" : "heap");
        FwRuntimeUseEmergencyPoolOnly(poolOnly);
        std::string seen;
        int slotsWhileCaught = -1;
        try {
            ThrowText("outer");
        } catch (const Error::Q7Exception& outer) {
            slotsWhileCaught = FwRuntimePoolSlotsInUse();
            // A second exception while the first is held, then the first again.
            try {
                try {
                    ThrowText("inner");
                } catch (const Error::Q7Exception& inner) {
                    seen += inner.GetErrorText();
                    throw;
                }
            } catch (const Error::Q7Exception& again) {
                seen += "+" + again.GetErrorText();
            }
            seen += "+" + outer.GetErrorText();
        }
        FwRuntimeUseEmergencyPoolOnly(false);
        EXPECT_EQ("inner+inner+outer", seen);
        EXPECT_EQ(poolOnly ? 1 : 0, slotsWhileCaught);
        EXPECT_EQ(0, FwRuntimePoolSlotsInUse());
    }
}

TEST(Runtime, KeptExceptionIsThrownAgainFromThePool) {
    PoolOnly pool;
    std::exception_ptr kept;
    try {
        throw std::bad_alloc();
    } catch (...) {
        kept = std::current_exception();
    }
    EXPECT_EQ(1, FwRuntimePoolSlotsInUse());
    bool caught = false;
    try {
        std::rethrow_exception(kept);
    } catch (const std::bad_alloc&) {
        caught = true;
        // The kept object and the record that threw it again.
        EXPECT_EQ(2, FwRuntimePoolSlotsInUse());
    }
    EXPECT_TRUE(caught);
    kept = nullptr;
    EXPECT_EQ(0, FwRuntimePoolSlotsInUse());
}

TEST(Runtime, PoolSlotsAreReusedAcrossManyThrows) {
    PoolOnly pool;
    int caught = 0;
    for (int i = 0; i < 100; ++i) {
        try {
            throw std::bad_alloc();
        } catch (const std::bad_alloc&) {
            ++caught;
        }
    }
    EXPECT_EQ(100, caught);
    EXPECT_EQ(0, FwRuntimePoolSlotsInUse());
}

TEST(Runtime, ObjectsLargerThanASlotComeFromTheHeap) {
    struct Large {
        char bytes[4096];
    };
    bool caught = false;
    try {
        Large large{};
        large.bytes[4095] = 'z';
        throw large;
    } catch (const Large& large) {
        caught = large.bytes[4095] == 'z';
        EXPECT_EQ(0, FwRuntimePoolSlotsInUse());
    }
    EXPECT_TRUE(caught);
}

TEST(Runtime, UncaughtExceptionsAreCountedDuringUnwinding) {
    int during = -1;
    try {
        CountsUncaught counter{&during};
        throw std::bad_alloc();
    } catch (const std::bad_alloc&) {
        EXPECT_EQ(0, std::uncaught_exceptions());
    }
    EXPECT_EQ(1, during);
}
