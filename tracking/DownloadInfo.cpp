#include "tracking/DownloadInfo.h"

#include <utility>

#include "framework/FwResources.h"
#include "framework/FwString.h"
#include "tracking/Base64Codec.h"

namespace {

const char kRecordType[] = "Q7R";
const WORD kRecordId = 10;
const char kValueName[] = "SourceInfo";

class CRegKeyHandle {
public:
    CRegKeyHandle() = default;
    CRegKeyHandle(const CRegKeyHandle&) = delete;
    CRegKeyHandle& operator=(const CRegKeyHandle&) = delete;
    virtual ~CRegKeyHandle() {
        if (m_key)
            RegCloseKey(m_key);
    }

    bool Create(HKEY root, const std::string& path, REGSAM access) {
        return RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                               nullptr, &m_key, nullptr) == ERROR_SUCCESS &&
               m_key;
    }
    HKEY Get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

} // namespace

CDownloadInfo::CDownloadInfo(std::string name) : m_strName(std::move(name)) {}
CDownloadInfo::~CDownloadInfo() = default;

void CDownloadInfo::LoadFromResource() {
    LoadFromResource(FwResourceModule(), kRecordType, MAKEINTRESOURCEA(kRecordId));
}

void CDownloadInfo::LoadFromResource(HMODULE module, LPCSTR type, LPCSTR name) {
    const void* bytes = nullptr;
    DWORD size = 0;
    if (!FwResourceBytes(module, type, name, &bytes, &size) || size == 0)
        return;
    // An odd last byte is no code unit.
    // Constructed, not assigned: assignment brings the string's general
    // replace code along.
    m_strData = std::u16string(static_cast<const char16_t*>(bytes), size / 2);
}

std::string CDownloadInfo::GetEncoded() const {
    if (m_strData.empty())
        return std::string();
    return Crypt::CBase64Codec::Encode(m_strData.data(), m_strData.size() * sizeof(char16_t), 0);
}

std::string CDownloadInfo::GetKeyPath() const {
    return FwFormat("Software\\Quorvel\\%s", m_strName.c_str());
}

void CDownloadInfo::SaveToRegistry() {
    if (m_strData.empty())
        return;
    std::string text = GetEncoded();
    if (text.empty())
        return;
    // Each view on its own: one that cannot be opened does not stop the other.
    SaveToView(KEY_WOW64_32KEY, text);
    SaveToView(KEY_WOW64_64KEY, text);
}

bool CDownloadInfo::SaveToView(REGSAM view, const std::string& text) {
    CRegKeyHandle key;
    if (!key.Create(HKEY_LOCAL_MACHINE, GetKeyPath(), KEY_WRITE | view))
        return false;
    // The size counts the terminating NUL.
    RegSetValueExA(key.Get(), kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
    return true;
}
