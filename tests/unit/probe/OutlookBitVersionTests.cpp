#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "outlook/OutlookBitVersion.h"
#include "tests/unit/support/MockWindowsInstaller.h"

using ::testing::_;
using ::testing::Invoke;

namespace {

const std::vector<std::string> k64 = {
    "{ECCC8A38-7855-46CA-88FB-3BAA7CD95E56}",
    "{3A5F96E7-F51D-4942-98DB-3CD037FB39E5}",
    "{7C6D92EF-7B45-46E5-8670-819663220E4E}",
};
const std::vector<std::string> k32 = {
    "{CC29EA4B-7BC2-11D1-A921-00A0C91E2AA2}", "{3CE26368-6322-4ABF-B11B-458F5C450D0F}",
    "{0638C49D-BB8B-4CD1-B191-055E8F325736}", "{DE6A97CD-93BF-455C-A45F-7694344B686F}",
    "{CFF13DD8-6EF2-49EB-B265-E3BFC6501C1D}", "{E9E5CFFC-AFFE-4F83-A695-7734FA4775B9}",
    "{2C6C511D-4542-4E0C-95D0-05D4406032F2}",
};

// A machine: the state of each component code; unknown codes are INSTALLSTATE_UNKNOWN.
// Records the calls and checks that buffer and size are fresh for every call.
struct Machine {
    std::vector<std::pair<std::string, INSTALLSTATE>> states;
    std::vector<std::string> asked;
    bool freshBuffers = true;

    INSTALLSTATE Locate(const char* component, char* buffer, DWORD* size) {
        asked.push_back(component);
        if (*size != 1023)
            freshBuffers = false;
        for (DWORD i = 0; i < 1024; ++i)
            if (buffer[i] != 0)
                freshBuffers = false;
        // Scribble as a real call would, so a missing reset shows on the next call.
        memset(buffer, 'x', 200);
        *size = 199;
        for (const auto& s : states)
            if (s.first == component)
                return s.second;
        return INSTALLSTATE_UNKNOWN;
    }
};

int Probe(MockWindowsInstaller& msi, Machine& machine) {
    EXPECT_CALL(msi, LocateComponent(_, _, _)).WillRepeatedly(Invoke(&machine, &Machine::Locate));
    COutlookBitVersion probe;
    EXPECT_TRUE(machine.freshBuffers);
    return probe.m_nBitness;
}

} // namespace

TEST(OutlookBitness, PresentStatesOnFirst64BitCodeNeedOneCall) {
    for (INSTALLSTATE state : {INSTALLSTATE_LOCAL, INSTALLSTATE_SOURCE, INSTALLSTATE_SOURCEABSENT,
                               INSTALLSTATE_INVALIDARG, INSTALLSTATE_BADCONFIG}) {
        MockWindowsInstaller msi;
        Machine machine;
        machine.states = {{k64[0], state}};
        EXPECT_EQ(OutlookBitness64, Probe(msi, machine)) << state;
        EXPECT_EQ(std::vector<std::string>{k64[0]}, machine.asked) << state;
    }
}

TEST(OutlookBitness, AbsentStatesAskAllTenCodesInOrder) {
    for (INSTALLSTATE state : {INSTALLSTATE_UNKNOWN, INSTALLSTATE_ABSENT}) {
        MockWindowsInstaller msi;
        Machine machine;
        for (const auto& code : k64)
            machine.states.push_back({code, state});
        for (const auto& code : k32)
            machine.states.push_back({code, state});
        EXPECT_EQ(OutlookBitnessNone, Probe(msi, machine)) << state;
        std::vector<std::string> all = k64;
        all.insert(all.end(), k32.begin(), k32.end());
        EXPECT_EQ(all, machine.asked);
    }
}

TEST(OutlookBitness, AnyOf32BitCodesGives32Bit) {
    for (size_t i = 0; i < k32.size(); ++i) {
        MockWindowsInstaller msi;
        Machine machine;
        machine.states = {{k64[1], INSTALLSTATE_ABSENT}, {k32[i], INSTALLSTATE_LOCAL}};
        EXPECT_EQ(OutlookBitness32, Probe(msi, machine)) << k32[i];
        EXPECT_EQ(3 + i + 1, machine.asked.size()) << k32[i];
    }
}

TEST(OutlookBitness, SixtyFourBitGroupWins) {
    MockWindowsInstaller msi;
    Machine machine;
    machine.states = {{k32[0], INSTALLSTATE_LOCAL}, {k64[2], INSTALLSTATE_SOURCE}};
    EXPECT_EQ(OutlookBitness64, Probe(msi, machine));
    EXPECT_EQ(3u, machine.asked.size());
}

TEST(OutlookBitness, StaticDetectionMatchesMember) {
    MockWindowsInstaller msi;
    Machine machine;
    machine.states = {{k32[6], INSTALLSTATE_SOURCEABSENT}};
    EXPECT_CALL(msi, LocateComponent(_, _, _)).WillRepeatedly(Invoke(&machine, &Machine::Locate));
    EXPECT_EQ(OutlookBitness32, COutlookBitVersion::DetectOutlookBitness());
}
