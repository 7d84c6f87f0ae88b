#pragma once
// The download-source record, stored in the registry after a successful installation.
#include <string>

class CDownloadInfo {
public:
    explicit CDownloadInfo(std::string name);
    virtual ~CDownloadInfo();

    void LoadFromResource();
    void SaveToRegistry();

    std::string m_strName;
    std::wstring m_strData;
};
