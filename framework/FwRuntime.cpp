// The C++ run-time's throw helpers, replaced as a set. Its own versions build
// std::logic_error and friends, which drag a second, copy-on-write string class
// and every standard exception class into the download. Every one of them ends
// the same way in the setup (the catch-all "unspecified error" message), so a
// std::bad_alloc serves them all. All of them are defined here, so the run-time's
// own object is never linked beside these.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>
#include <unwind.h>

#include "framework/FwRuntime.h"

namespace std {

void __throw_bad_alloc() {
    throw bad_alloc();
}
void __throw_bad_array_new_length() {
    throw bad_alloc();
}
void __throw_bad_cast() {
    throw bad_alloc();
}
void __throw_bad_typeid() {
    throw bad_alloc();
}
void __throw_bad_exception() {
    throw bad_alloc();
}
void __throw_logic_error(const char*) {
    throw bad_alloc();
}
void __throw_domain_error(const char*) {
    throw bad_alloc();
}
void __throw_invalid_argument(const char*) {
    throw bad_alloc();
}
void __throw_length_error(const char*) {
    throw bad_alloc();
}
void __throw_out_of_range(const char*) {
    throw bad_alloc();
}
void __throw_out_of_range_fmt(const char*, ...) {
    throw bad_alloc();
}
void __throw_runtime_error(const char*) {
    throw bad_alloc();
}
void __throw_range_error(const char*) {
    throw bad_alloc();
}
void __throw_overflow_error(const char*) {
    throw bad_alloc();
}
void __throw_underflow_error(const char*) {
    throw bad_alloc();
}

} // namespace std

// ---- Exception objects --------------------------------------------------------
//
// The run-time's own allocator guards its emergency pool with a mutex, which
// brings the threading layer and its thread-exit hooks along. The setup throws
// on one thread only, so a plain pool serves. An exception object is allocated
// with room for the run-time's header just before it; the header's size is its
// business, so a generous fixed space is reserved and zeroed (the run-time finds
// its header right before the object, expects it zeroed, and never looks further).

namespace {

const size_t kHeaderSpace = 256;
// The run-time's header: a reference count, eleven pointer-sized fields and the
// unwinder's record (its exact layout is the run-time's own).
static_assert(16 * sizeof(void*) + sizeof(_Unwind_Exception) <= kHeaderSpace,
              "room for the run-time's exception header");
static_assert(kHeaderSpace % alignof(_Unwind_Exception) == 0, "objects stay aligned");
// Large enough for every object the setup throws with its header; kept apart
// so that throwing std::bad_alloc never needs the heap.
const size_t kSlotSize = 1024;
const int kSlotCount = 4;

// In .bss by name: with a section per variable the compiler would give zeroed
// data room in the file.
alignas(16) unsigned char g_emergency[kSlotCount][kSlotSize] __attribute__((section(".bss")));
bool g_slotUsed[kSlotCount];
bool g_emergencyOnly = false;

// Zeroed memory of the given size, from the heap or else from the pool; ends the
// process (as the run-time's own does) when neither has room.
void* AllocateZeroed(size_t size) {
    void* block = g_emergencyOnly ? nullptr : malloc(size);
    if (!block && size <= kSlotSize) {
        for (int i = 0; i < kSlotCount && !block; ++i) {
            if (!g_slotUsed[i]) {
                g_slotUsed[i] = true;
                block = g_emergency[i];
            }
        }
    }
    if (!block)
        std::terminate();
    memset(block, 0, size);
    return block;
}

void Release(void* block) {
    unsigned char* bytes = static_cast<unsigned char*>(block);
    if (bytes >= g_emergency[0] && bytes < g_emergency[0] + sizeof g_emergency) {
        g_slotUsed[(bytes - g_emergency[0]) / kSlotSize] = false;
        return;
    }
    free(block);
}

// Which exceptions are caught at the moment, and how many are in flight.
struct CaughtExceptions {
    void* caughtExceptions;
    unsigned int uncaughtExceptions;
} g_caughtExceptions;

} // namespace

void FwRuntimeUseEmergencyPoolOnly(bool only) {
    g_emergencyOnly = only;
}

int FwRuntimePoolSlotsInUse() {
    int used = 0;
    for (bool slot : g_slotUsed)
        used += slot ? 1 : 0;
    return used;
}

extern "C" {

void* __cxa_allocate_exception(size_t thrownSize) noexcept {
    if (thrownSize > SIZE_MAX - kHeaderSpace)
        std::terminate();
    return static_cast<unsigned char*>(AllocateZeroed(kHeaderSpace + thrownSize)) + kHeaderSpace;
}

void __cxa_free_exception(void* object) noexcept {
    Release(static_cast<unsigned char*>(object) - kHeaderSpace);
}

// The record that lets a kept exception (std::exception_ptr) be thrown again.
void* __cxa_allocate_dependent_exception() noexcept {
    return AllocateZeroed(kHeaderSpace);
}

void __cxa_free_dependent_exception(void* record) noexcept {
    Release(record);
}

// Per-thread in the run-time, where it brings emulated thread-local storage.
void* __cxa_get_globals() noexcept {
    return &g_caughtExceptions;
}

void* __cxa_get_globals_fast() noexcept {
    return &g_caughtExceptions;
}

} // extern "C"
