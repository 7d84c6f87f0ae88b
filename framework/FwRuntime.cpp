// The C++ run-time's throw helpers, replaced as a set. Its own versions build
// std::logic_error and friends, which drag a second, copy-on-write string class
// and every standard exception class into the download. Every one of them ends
// the same way in the setup (the catch-all "unspecified error" message), so a
// std::bad_alloc serves them all. All of them are defined here, so the run-time's
// own object is never linked beside these.
#include <new>

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
