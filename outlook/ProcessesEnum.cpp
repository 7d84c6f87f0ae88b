#include "outlook/ProcessesEnum.h"

#include <cstring>
#include <type_traits>
#include <utility>
#include <vector>

#include "error/Q7Exception.h"
#include "fs/Q7FsPath.h"
#include "framework/FwString.h"

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

std::string ExeFileName(const PROCESSENTRY32& entry) {
    return Q7FsPath(std::string(entry.szExeFile, strnlen(entry.szExeFile, sizeof entry.szExeFile)))
        .GetFileName();
}

// A vector, not a wide string: keeps the wide-string run-time code out of the download.
std::vector<wchar_t> WideName(const std::string& name) {
    int chars =
        MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), nullptr, 0);
    std::vector<wchar_t> wide(chars > 0 ? static_cast<size_t>(chars) : 0);
    if (chars > 0)
        MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), wide.data(),
                            chars);
    return wide;
}

// Case-insensitive and multibyte-aware: both sides are read in the ANSI code page and
// compared ordinally, so no linguistic rule can make two different names equal.
bool SameFileName(const std::string& a, const std::string& b) {
    std::vector<wchar_t> wa = WideName(a);
    std::vector<wchar_t> wb = WideName(b);
    return CompareStringOrdinal(wa.data(), static_cast<int>(wa.size()), wb.data(),
                                static_cast<int>(wb.size()), TRUE) == CSTR_EQUAL;
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
    if (snapshot.Get() == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        throw Error::Q7ExceptionCommon(error, "CreateToolhelp32Snapshot (of processes)", nullptr,
                                       0);
    }

    // The size of this build's structure: 296 bytes in a 32-bit build, 304 in x64.
    entry.dwSize = sizeof entry;
    if (!toolHelp.FirstProcess(snapshot.Get(), &entry)) {
        DWORD error = GetLastError();
        throw Error::Q7ExceptionCommon(error, "Process32First failed.", nullptr, 0);
    }
    do {
        push_back(entry);
    } while (toolHelp.NextProcess(snapshot.Get(), &entry));
}

bool CProcessesEnum::FindByName(std::string name, PROCESSENTRY32* entry) const {
    for (const PROCESSENTRY32& record : *this) {
        if (SameFileName(ExeFileName(record), name)) {
            if (entry)
                *entry = record;
            return true;
        }
    }
    return false;
}
