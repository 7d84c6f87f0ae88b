#include "tracking/DownloadInfo.h"

#include <utility>

CDownloadInfo::CDownloadInfo(std::string name) : m_strName(std::move(name)) {}
CDownloadInfo::~CDownloadInfo() = default;

void CDownloadInfo::LoadFromResource() {}

void CDownloadInfo::SaveToRegistry() {}
