#include "framework/FwGdiplusFlat.h"

#if !defined(__x86_64__)
#error "the forwarding stubs below are written for x64"
#endif

// Every flat function the finish screen's GDI+ classes reach.
#define FW_GDIPLUS_FLAT(X)                                                                         \
    X(GdipAddPathArcI)                                                                             \
    X(GdipAlloc)                                                                                   \
    X(GdipCloneBrush)                                                                              \
    X(GdipCloneImage)                                                                              \
    X(GdipClosePathFigure)                                                                         \
    X(GdipCreateBitmapFromScan0)                                                                   \
    X(GdipCreateCachedBitmap)                                                                      \
    X(GdipCreateFont)                                                                              \
    X(GdipCreateFontFamilyFromName)                                                                \
    X(GdipCreateFontFromDC)                                                                        \
    X(GdipCreateFontFromLogfontA)                                                                  \
    X(GdipCreateFromHDC)                                                                           \
    X(GdipCreateFromHWND)                                                                          \
    X(GdipCreateImageAttributes)                                                                   \
    X(GdipCreateLineBrushFromRect)                                                                 \
    X(GdipCreateLineBrushFromRectI)                                                                \
    X(GdipCreatePath)                                                                              \
    X(GdipCreatePen1)                                                                              \
    X(GdipCreateRegionPath)                                                                        \
    X(GdipCreateSolidFill)                                                                         \
    X(GdipCreateStringFormat)                                                                      \
    X(GdipDeleteBrush)                                                                             \
    X(GdipDeleteCachedBitmap)                                                                      \
    X(GdipDeleteFont)                                                                              \
    X(GdipDeleteFontFamily)                                                                        \
    X(GdipDeleteGraphics)                                                                          \
    X(GdipDeletePath)                                                                              \
    X(GdipDeletePen)                                                                               \
    X(GdipDeleteRegion)                                                                            \
    X(GdipDeleteStringFormat)                                                                      \
    X(GdipDisposeImage)                                                                            \
    X(GdipDisposeImageAttributes)                                                                  \
    X(GdipDrawCachedBitmap)                                                                        \
    X(GdipDrawImageRectI)                                                                          \
    X(GdipDrawImageRectRectI)                                                                      \
    X(GdipDrawLine)                                                                                \
    X(GdipDrawLineI)                                                                               \
    X(GdipDrawPath)                                                                                \
    X(GdipDrawRectangleI)                                                                          \
    X(GdipDrawString)                                                                              \
    X(GdipFillPath)                                                                                \
    X(GdipFillRectangle)                                                                           \
    X(GdipFillRectangleI)                                                                          \
    X(GdipFree)                                                                                    \
    X(GdipGetDC)                                                                                   \
    X(GdipGetImageGraphicsContext)                                                                 \
    X(GdipGetImageHeight)                                                                          \
    X(GdipGetImageWidth)                                                                           \
    X(GdipGetRegionHRgn)                                                                           \
    X(GdipGetSmoothingMode)                                                                        \
    X(GdipMeasureString)                                                                           \
    X(GdipReleaseDC)                                                                               \
    X(GdipResetClip)                                                                               \
    X(GdipSetClipPath)                                                                             \
    X(GdipSetImageAttributesColorMatrix)                                                           \
    X(GdipSetLineWrapMode)                                                                         \
    X(GdipSetPageUnit)                                                                             \
    X(GdipSetPenDashStyle)                                                                         \
    X(GdipSetPenMode)                                                                              \
    X(GdipSetSmoothingMode)                                                                        \
    X(GdipSetStringFormatAlign)                                                                    \
    X(GdipSetStringFormatHotkeyPrefix)                                                             \
    X(GdipSetStringFormatLineAlign)                                                                \
    X(GdipSetStringFormatTrimming)                                                                 \
    X(GdipSetTextRenderingHint)

namespace {
// Until resolved every call fails as GDI+ does before start-up. On x64 the caller
// owns the stack, so one stub serves every signature.
extern "C" int FwGdipNotStarted() {
    return 18; // GdiplusNotInitialized
}
} // namespace

// The pointers, one after the other in the list's order (so a list of names is all
// that resolving needs), and one six-byte jump per function through its pointer,
// packed in one section: each stub of its own would be padded to 16 bytes.
asm(".section .data$fwgdip,\"w\"\n"
    ".p2align 3\n"
    "fw_gdip_slots:\n"
    ".section .text$fwgdip,\"x\"\n"
    ".text\n");
#define FW_GDIP_STUB(name)                                                                         \
    asm(".section .data$fwgdip,\"w\"\n"                                                            \
        "fw_gdip_" #name ": .quad FwGdipNotStarted\n"                                              \
        ".section .text$fwgdip,\"x\"\n"                                                            \
        ".globl " #name "\n" #name ":\n"                                                           \
        "    jmp *fw_gdip_" #name "(%rip)\n"                                                       \
        ".text\n");
FW_GDIPLUS_FLAT(FW_GDIP_STUB)
#undef FW_GDIP_STUB

extern "C" void* fw_gdip_slots[];

namespace {
#define FW_GDIP_NAME(name) #name "\0"
// Ends with an empty name.
const char kFlatNames[] = FW_GDIPLUS_FLAT(FW_GDIP_NAME);
#undef FW_GDIP_NAME
} // namespace

bool FwGdiplusResolveFlat(HMODULE gdiplus) {
    bool all = true;
    void** slot = fw_gdip_slots;
    for (const char* name = kFlatNames; *name; name += lstrlenA(name) + 1, ++slot) {
        FARPROC proc = gdiplus ? GetProcAddress(gdiplus, name) : nullptr;
        *slot = proc ? reinterpret_cast<void*>(proc) : reinterpret_cast<void*>(&FwGdipNotStarted);
        all = all && proc;
    }
    return all;
}
