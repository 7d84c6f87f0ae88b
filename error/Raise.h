#pragma once
// Failures that reach the user: the message is formatted and the exception raised
// in one place instead of at every site.
#include <windows.h>

#include <cstdarg>
#include <string>

#include "error/Q7Exception.h"
#include "framework/FwString.h"

// Raises Error::Q7ExceptionText; function may be null.
[[noreturn]] inline void RaiseText(const char* file, const char* function, int line,
                                   const char* format, ...) __attribute__((format(printf, 4, 5)));

// Raises Error::Q7ExceptionCommon with a Win32 error code or HRESULT.
[[noreturn]] inline void RaiseCommon(DWORD code, const char* file, const char* function, int line,
                                     const char* format, ...) __attribute__((format(printf, 5, 6)));

inline void RaiseText(const char* file, const char* function, int line, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string message = FwFormatV(format, args);
    va_end(args);
    throw Error::Q7ExceptionText(message, file, function, line);
}

inline void RaiseCommon(DWORD code, const char* file, const char* function, int line,
                        const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = FwFormatV(format, args);
    va_end(args);
    throw Error::Q7ExceptionCommon(code, text, file, function, line);
}
