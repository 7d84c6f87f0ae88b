#include "installer/MsiSql.h"

#include "framework/FwString.h"
#include "error/Raise.h"
#include "installer/WindowsInstaller.h"

namespace {

// Enough for the codes and versions the setup reads, so one call usually does.
const DWORD kInitialChars = 64;
const int kMaxRetries = 4;

// The first row's Value, "" without a row. False on any failure to open or query.
bool QueryProperty(const std::string& file, const std::string& property, std::string& value) {
    // Declared in this order so they close record, view, database.
    CMsiHandle database;
    CMsiHandle view;
    CMsiHandle record;
    // The name goes in unchanged: one with a quote fails as a query error.
    std::string query =
        FwFormat("SELECT Value FROM Property WHERE Property='%s'", property.c_str());
    UINT fetched = ERROR_FUNCTION_FAILED;
    // Read-only: nothing is written, not even a temporary copy of the package.
    if (Msi().OpenDatabase(file.c_str(), MSIDBOPEN_READONLY, database.Receive()) == ERROR_SUCCESS &&
        Msi().DatabaseOpenView(database.Get(), query.c_str(), view.Receive()) == ERROR_SUCCESS &&
        Msi().ViewExecute(view.Get(), 0) == ERROR_SUCCESS)
        fetched = Msi().ViewFetch(view.Get(), record.Receive());
    // No row: no value. The size offered counts the terminator.
    return fetched == ERROR_NO_MORE_ITEMS ||
           (fetched == ERROR_SUCCESS &&
            MsiReadText(value, kInitialChars + 1, kMaxRetries, [&](char* text, DWORD* size) {
                return Msi().RecordGetString(record.Get(), 1, text, size);
            }) == ERROR_SUCCESS);
}

} // namespace

CMsiSql::CMsiSql() {
    UINT error = Msi().CheckDatabaseFunctions();
    if (error != ERROR_SUCCESS)
        RaiseCommon(error, "MsiSql", "CMsiSql::CMsiSql", __LINE__,
                    "Failed to create Windows installer object.");
}

CMsiSql::~CMsiSql() = default;

std::string CMsiSql::ReadProperty(std::string file, std::string property) {
    std::string value;
    if (!QueryProperty(file, property, value))
        RaiseText("MsiSql", nullptr, __LINE__, "Failed to read '%s' property from file '%s'",
                  property.c_str(), file.c_str());
    return value;
}
