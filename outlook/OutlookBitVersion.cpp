#include "outlook/OutlookBitVersion.h"

#include <cstring>

#include "installer/WindowsInstaller.h"

namespace {

const char* const k64BitComponents[] = {
    "{ECCC8A38-7855-46CA-88FB-3BAA7CD95E56}",
    "{3A5F96E7-F51D-4942-98DB-3CD037FB39E5}",
    "{7C6D92EF-7B45-46E5-8670-819663220E4E}",
};

const char* const k32BitComponents[] = {
    "{CC29EA4B-7BC2-11D1-A921-00A0C91E2AA2}", "{3CE26368-6322-4ABF-B11B-458F5C450D0F}",
    "{0638C49D-BB8B-4CD1-B191-055E8F325736}", "{DE6A97CD-93BF-455C-A45F-7694344B686F}",
    "{CFF13DD8-6EF2-49EB-B265-E3BFC6501C1D}", "{E9E5CFFC-AFFE-4F83-A695-7734FA4775B9}",
    "{2C6C511D-4542-4E0C-95D0-05D4406032F2}",
};

// Only "unknown" and "absent" mean missing: source-only, source-absent and even
// error states come from a registered component.
bool IsPresent(const char* component) {
    char path[1024];
    memset(path, 0, sizeof path);
    DWORD size = 1023;
    INSTALLSTATE state = Msi().LocateComponent(component, path, &size);
    return state != INSTALLSTATE_UNKNOWN && state != INSTALLSTATE_ABSENT;
}

} // namespace

COutlookBitVersion::COutlookBitVersion() : m_nBitness(OutlookBitnessNone) {
    m_nBitness = DetectOutlookBitness();
}

COutlookBitVersion::~COutlookBitVersion() = default;

int COutlookBitVersion::DetectOutlookBitness() {
    for (const char* component : k64BitComponents)
        if (IsPresent(component))
            return OutlookBitness64;
    for (const char* component : k32BitComponents)
        if (IsPresent(component))
            return OutlookBitness32;
    return OutlookBitnessNone;
}
