#pragma once
// The download-source record, stored in the registry after a successful installation.
#include <windows.h>
#include <string>

class CDownloadInfo {
public:
    explicit CDownloadInfo(std::string name);
    virtual ~CDownloadInfo();

    // Reads the record "Q7R" 10 of the program's module; a missing or empty one
    // leaves m_strData as it is.
    void LoadFromResource();
    // The Base64 text of the record's UTF-16LE bytes; empty without a record.
    std::string GetEncoded() const;
    // Software\Quorvel\<name>
    std::string GetKeyPath() const;
    // Writes the value "SourceInfo" into the 32-bit and the 64-bit registry view
    // of HKEY_LOCAL_MACHINE; silent, writes nothing without a record.
    void SaveToRegistry();

    std::string m_strName;
    std::u16string m_strData; // std::u16string: no wide-string run-time code in the download

protected:
    // The same read from any module, type and identifier (test records).
    void LoadFromResource(HMODULE module, LPCSTR type, LPCSTR name);

private:
    // Creates or opens the key in one view and sets the value; false when the
    // key could not be opened.
    bool SaveToView(REGSAM view, const std::string& text);
};
