#include "outlook/ProcessesEnum.h"

#include <cstring>
#include <type_traits>
#include <utility>

#include "fs/Q7FsPath.h"
#include "error/Raise.h"

static_assert(
    std::is_same<std::remove_extent<decltype(PROCESSENTRY32::szExeFile)>::type, CHAR>::value,
    "narrow PROCESSENTRY32 expected");

namespace {

using CreateSnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
using ProcessWalkFn = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32*);

// Closes the snapshot on every way out of Snapshot, exceptions included.
class CSnapshotHandle {
public:
    CSnapshotHandle(const CToolHelp32Wrapper& toolHelp, HANDLE handle)
        : m_toolHelp(toolHelp), m_handle(handle) {}
    CSnapshotHandle(const CSnapshotHandle&) = delete;
    CSnapshotHandle& operator=(const CSnapshotHandle&) = delete;
    ~CSnapshotHandle() {
        if (m_handle && m_handle != INVALID_HANDLE_VALUE)
            m_toolHelp.CloseSnapshot(m_handle);
    }
    HANDLE Get() const { return m_handle; }

private:
    const CToolHelp32Wrapper& m_toolHelp;
    HANDLE m_handle;
};

// The wide text of narrow text in the ANSI code page, in a buffer of an executable
// name's size; its length, 0 when it is empty or does not fit.
int WideName(const std::string& name, wchar_t (&wide)[MAX_PATH]) {
    return name.empty() ? 0
                        : MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()),
                                              wide, MAX_PATH);
}

// Carries no source position: the code and the context name the failure.
[[noreturn]] void ThrowLastError(const char* context) {
    DWORD error = GetLastError();
    RaiseCommon(error, nullptr, nullptr, 0, "%s", context);
}

} // namespace

CToolHelp32Wrapper::CToolHelp32Wrapper() : m_kernel(FwLoadSystemLibrary("Kernel32.dll")) {}

CToolHelp32Wrapper::CToolHelp32Wrapper(CFwLibrary module) : m_kernel(std::move(module)) {}

CToolHelp32Wrapper::~CToolHelp32Wrapper() = default;

bool CToolHelp32Wrapper::IsLoaded() const {
    return static_cast<bool>(m_kernel);
}

HANDLE CToolHelp32Wrapper::CreateSnapshot(DWORD flags, DWORD processId) const {
    auto create = m_kernel.ProcAs<CreateSnapshotFn>("CreateToolhelp32Snapshot");
    return create ? create(flags, processId) : nullptr;
}

bool CToolHelp32Wrapper::FirstProcess(HANDLE snapshot, PROCESSENTRY32* entry) const {
    auto first = m_kernel.ProcAs<ProcessWalkFn>("Process32First");
    return first && first(snapshot, entry);
}

bool CToolHelp32Wrapper::NextProcess(HANDLE snapshot, PROCESSENTRY32* entry) const {
    auto next = m_kernel.ProcAs<ProcessWalkFn>("Process32Next");
    return next && next(snapshot, entry);
}

void CToolHelp32Wrapper::CloseSnapshot(HANDLE snapshot) const {
    CloseHandle(snapshot);
}

CProcessesEnum::~CProcessesEnum() = default;

void CProcessesEnum::Snapshot() {
    CToolHelp32Wrapper toolHelp;
    Snapshot(toolHelp);
}

void CProcessesEnum::Snapshot(const CToolHelp32Wrapper& toolHelp) {
    clear();
    if (!toolHelp.IsLoaded())
        return;

    PROCESSENTRY32 entry;
    std::memset(&entry, 0, sizeof entry);

    CSnapshotHandle snapshot(toolHelp, toolHelp.CreateSnapshot(TH32CS_SNAPPROCESS, 0));
    if (snapshot.Get() == INVALID_HANDLE_VALUE)
        ThrowLastError("CreateToolhelp32Snapshot (of processes)");

    // The size of this build's structure: 296 bytes in a 32-bit build, 304 in x64.
    entry.dwSize = sizeof entry;
    if (!toolHelp.FirstProcess(snapshot.Get(), &entry))
        ThrowLastError("Process32First failed.");
    do {
        push_back(entry);
    } while (toolHelp.NextProcess(snapshot.Get(), &entry));
}

bool CProcessesEnum::FindByName(std::string name, PROCESSENTRY32* entry) const {
    // Case-insensitive and multibyte-aware: both sides are read in the ANSI code page
    // and compared ordinally, so no linguistic rule can make two different names
    // equal. An empty name, or one longer than any executable's, matches nothing.
    wchar_t wideName[MAX_PATH];
    int nameChars = WideName(name, wideName);
    if (!nameChars)
        return false;
    for (const PROCESSENTRY32& record : *this) {
        wchar_t wideFile[MAX_PATH];
        int fileChars = WideName(
            Q7FsPathFileName(
                std::string(record.szExeFile, strnlen(record.szExeFile, sizeof record.szExeFile)),
                Traits::Q7FsPathStrTraitA::CodePage()),
            wideFile);
        if (fileChars &&
            CompareStringOrdinal(wideFile, fileChars, wideName, nameChars, TRUE) == CSTR_EQUAL) {
            if (entry)
                *entry = record;
            return true;
        }
    }
    return false;
}
