#include "installer/MsiSql.h"

#include <cstring>
#include <vector>

#include "error/Q7Exception.h"
#include "framework/FwString.h"
#include "installer/WindowsInstaller.h"

namespace {

// Enough for the codes and versions the setup reads, so one call usually does.
const DWORD kInitialChars = 64;
// A value that still does not fit after this many larger buffers is not read: a
// callee that keeps asking for more must not grow the buffer without end.
const int kMaxGrowths = 4;
const DWORD kMaxChars = 1 << 20;

// Field 1 of a record, read whole. False when it cannot be read.
bool ReadFirstField(MSIHANDLE record, std::string& value) {
    std::vector<char> buffer;
    DWORD chars = kInitialChars;
    for (int growths = 0;; ++growths) {
        // The size offered counts the terminator; the size returned does not.
        buffer.assign(static_cast<size_t>(chars) + 1, '\0');
        DWORD size = chars + 1;
        UINT result = Msi().RecordGetString(record, 1, buffer.data(), &size);
        if (result == ERROR_SUCCESS) {
            value.assign(buffer.data(), strnlen(buffer.data(), buffer.size()));
            return true;
        }
        if (result != ERROR_MORE_DATA || growths == kMaxGrowths || size >= kMaxChars)
            return false;
        // A size that does not grow would repeat the same call.
        chars = size > chars ? size : chars * 2;
    }
}

// The first row's Value, "" without a row. False on any failure to open or query.
bool QueryProperty(const std::string& file, const std::string& property, std::string& value) {
    // Declared in this order so they close record, view, database.
    CMsiHandle database;
    CMsiHandle view;
    CMsiHandle record;
    // Read-only: nothing is written, not even a temporary copy of the package.
    if (Msi().OpenDatabase(file.c_str(), MSIDBOPEN_READONLY, database.Receive()) != ERROR_SUCCESS)
        return false;
    // The name goes in unchanged: one with a quote fails as a query error.
    std::string query =
        FwFormat("SELECT Value FROM Property WHERE Property='%s'", property.c_str());
    if (Msi().DatabaseOpenView(database.Get(), query.c_str(), view.Receive()) != ERROR_SUCCESS)
        return false;
    if (Msi().ViewExecute(view.Get(), 0) != ERROR_SUCCESS)
        return false;
    UINT fetched = Msi().ViewFetch(view.Get(), record.Receive());
    if (fetched == ERROR_NO_MORE_ITEMS)
        return true;
    return fetched == ERROR_SUCCESS && ReadFirstField(record.Get(), value);
}

} // namespace

CMsiSql::CMsiSql() {
    UINT error = Msi().CheckDatabaseFunctions();
    if (error != ERROR_SUCCESS)
        throw Error::Q7ExceptionCommon(error, "Failed to create Windows installer object.",
                                       "MsiSql", "CMsiSql::CMsiSql", __LINE__);
}

CMsiSql::~CMsiSql() = default;

std::string CMsiSql::ReadProperty(std::string file, std::string property) {
    std::string value;
    if (!QueryProperty(file, property, value))
        throw Error::Q7ExceptionText(
            FwFormat("Failed to read '%s' property from file '%s'", property.c_str(), file.c_str()),
            "MsiSql", __LINE__);
    return value;
}
