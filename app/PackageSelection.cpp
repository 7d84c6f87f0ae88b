#include "app/PackageSelection.h"

#include <cstring>
#include <memory>

#include "framework/FwMessageBox.h"
#include "framework/FwResources.h"
#include "framework/FwString.h"
#include "installer/ProductInstaller.h"
#include "installer/WindowsInstaller.h"
#include "res/resource.h"

namespace {

struct EditionCodes {
    const char* german;
    const char* polish;
    UINT packageResource;
};

const EditionCodes kFor32Bit = {"{6A0F7149-4800-4EB7-967A-166EE1C37C70}",
                                "{E1F798F4-DF81-4524-94D4-4D1DCC355D42}", IDR_MSI_X86};
const EditionCodes kFor64Bit = {"{6D2D659E-56DC-4A5B-BDA4-08BFD40A78C2}",
                                "{3A5FCE13-55A1-4F9F-AD14-28B418F45FE3}", IDR_MSI_X64};

bool EditionInstalled(const char* upgradeCode) {
    char productCode[64];
    std::memset(productCode, 0, sizeof productCode);
    return Msi().EnumRelatedProducts(upgradeCode, 0, 0, productCode) == ERROR_SUCCESS;
}

void ReportEditionConflict(const char* edition) {
    std::string format = FwLoadString(IDS_EDITION_CONFLICT);
    FwMessageBox(FwFormat(format.c_str(), edition).c_str(), MB_OK, 0);
}

UINT SetupFor(const EditionCodes& codes, const InstallSettings& settings) {
    // The language editions share the files and registration of this one: mixing
    // them would break both.
    if (EditionInstalled(codes.german)) {
        ReportEditionConflict("german");
        return ERROR_PRODUCT_VERSION;
    }
    if (EditionInstalled(codes.polish)) {
        ReportEditionConflict("polish");
        return ERROR_PRODUCT_VERSION;
    }
    CRefCountPtr<CMsiPackageDesc> package =
        MakeRefCounted<CMsiPackageDesc>(codes.packageResource, "Q7TolvaneAddinSetup.msi", 0, true);
    // The plain installer replaces an older version without asking.
    // Owned here alone: a unique owner keeps the shared owner's run-time support
    // (a lock pool and type tags) out of the download.
    std::unique_ptr<CProductInstaller> installer;
    if (settings.askBeforeReplacing)
        installer = std::make_unique<CProductInstallerBase>(false, package);
    else
        installer = std::make_unique<CProductInstaller>(package, false);
    package.Reset();
    installer->SetUILevel(settings.uiLevel);
    installer->SetLog(settings.log);
    installer->Proceed();
    return installer->GetInstallResult();
}

} // namespace

UINT SetupFor32BitOutlook(const InstallSettings& settings) {
    return SetupFor(kFor32Bit, settings);
}

UINT SetupFor64BitOutlook(const InstallSettings& settings) {
    return SetupFor(kFor64Bit, settings);
}

UINT SetupFor32BitOutlook() {
    return SetupFor(kFor32Bit, InstallSettings());
}

UINT SetupFor64BitOutlook() {
    return SetupFor(kFor64Bit, InstallSettings());
}
