/* Binary interface between the Velmora module and a painting host: the one
 * place that declares it. Plain C (fixed-width types, opaque handles), the
 * same to a C and a C++ compiler. Slot k of a service table is its k-th
 * member; `reservedK` slots are never called.
 *
 * Every service returns 0 on success, anything else on failure. Out values
 * are pointers; the module writes a safe value (0, null) into each before the
 * call, so a host that fails without writing leaves nothing undefined. Any
 * table pointer and any slot may be null: the module then skips the call. */
#ifndef VELMORA_HOST_INTERFACE_H
#define VELMORA_HOST_INTERFACE_H

#include <stdint.h>
#ifndef __cplusplus
#include <uchar.h>
#endif

/* The entry point and the callback never let an exception out. */
#ifdef __cplusplus
#define HOST_NOEXCEPT noexcept
#else
#define HOST_NOEXCEPT
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef int32_t HostInt;     /* every integer, result code and selector */
typedef int32_t HostBool;    /* 0 false, anything else true; the module writes 0 or 1 */
typedef double HostDouble;   /* decimal property values */
typedef char16_t HostChar16; /* one UTF-16 code unit */

typedef struct HostString_* HostString;
typedef struct HostBitmap_* HostBitmap;
typedef struct HostOffscreen_* HostOffscreen;
typedef struct HostPropertyObject_* HostPropertyObject;
typedef void* HostObject;

typedef struct HostPoint { int32_t x, y; } HostPoint;
/* right and bottom exclusive */
typedef struct HostRect { int32_t left, top, right, bottom; } HostRect;
typedef struct HostRgb { uint8_t r, g, b; } HostRgb;

/* --- Constants ------------------------------------------------------------ */

/* Selectors of TriglavPluginCall. */
enum {
    kSelectorModuleInitialize = 257,
    kSelectorModuleTerminate = 258,
    kSelectorFilterInitialize = 513,
    kSelectorFilterRun = 514,
    kSelectorFilterTerminate = 515
};

/* What TriglavPluginCall writes into *result; failure is written first. */
enum { kResultSuccess = 0, kResultFailure = -1 };

/* Process-state requests: before a pass (257), at each progress report (258),
 * after a pass (259). Replies use the same numbers: 257 goes on with a pass,
 * 259 to the first request ends the run, 258 after a pass asks for another. */
enum { kProcessStart = 257, kProcessContinue = 258, kProcessDone = 259 };

/* notifyKind of the property callback: a value changed, or a button event. */
enum { kNotifyValueChanged = 0x11, kNotifyEvent = 0x21 };

/* What the property callback writes into *result. */
enum { kPropertyUnchanged = 1, kPropertyChanged = 2 };

/* Value kinds of property items (addItem's kind). */
enum { kKindBool = 1, kKindEnum = 2, kKindInt = 17, kKindDouble = 18, kKindPoint = 33 };

/* Channel kinds of offscreens, with the bytes of one pixel: RGB + alpha (4),
 * value + alpha (2), binary value + alpha (2), four colours + alpha (5);
 * the selection and any other kind hold one byte. */
enum {
    kChannelKindSelection = 1,
    kChannelKindGrey = 2,
    kChannelKindRgb = 3,
    kChannelKindFourColour = 4,
    kChannelKindBinary = 6
};

/* Reports an edit of the panel (notifyKind kNotifyValueChanged or
 * kNotifyEvent); the module writes kPropertyUnchanged or kPropertyChanged. */
typedef void (*PropertyCallback)(HostInt* result, HostPropertyObject object, HostInt itemKey,
                                 HostInt notifyKind, void* data);

/* --- Service tables ------------------------------------------------------- */

typedef struct ModuleInitService {
    /* 0: the host's interface version into *out; module initialise needs at least 1. */
    HostInt (*hostVersion)(HostInt* out, HostObject host);
    /* 1: registers the module's 36-character GUID string, at module initialise. */
    HostInt (*setModuleId)(HostObject host, HostString id);
    /* 2: registers the module kind (0x4380), at module initialise. */
    HostInt (*setModuleKind)(HostObject host, HostInt kind);
} ModuleInitService;

typedef struct FilterInitService {
    /* 0: the menu category's name and access key, at filter initialise. */
    HostInt (*setCategoryName)(HostObject host, HostString name, HostInt accessKey);
    /* 1: the filter's menu name and access key, at filter initialise. */
    HostInt (*setFilterName)(HostObject host, HostString name, HostInt accessKey);
    /* 2: the first filter switch (the module sets it true). */
    HostInt (*setFirstSwitch)(HostObject host, HostBool on);
    /* 3: the second filter switch (the module sets it true). */
    HostInt (*setSecondSwitch)(HostObject host, HostBool on);
    /* 4: the count target kinds the filter accepts (the module passes 257, 258, 262). */
    HostInt (*setTargetKinds)(HostObject host, const HostInt* kinds, HostInt count);
    /* 5: hands the module's property object to the host, at filter initialise. */
    HostInt (*setPropertyObject)(HostObject host, HostPropertyObject object);
    /* 6: registers the property callback with its data pointer (the controller). */
    HostInt (*setPropertyCallback)(HostObject host, PropertyCallback callback, void* data);
} FilterInitService;

typedef struct FilterRunService {
    void* reserved0;
    /* 1: the canvas width in pixels into *out, at every pass. */
    HostInt (*canvasWidth)(HostInt* out, HostObject host);
    /* 2: the canvas height in pixels into *out, at every pass. */
    HostInt (*canvasHeight)(HostInt* out, HostObject host);
    void* reserved3;
    void* reserved4;
    void* reserved5;
    void* reserved6;
    /* 7: the source layer's offscreen (host-owned) into *out, at the start of a run. */
    HostInt (*sourceOffscreen)(HostOffscreen* out, HostObject host);
    /* 8: the destination layer's offscreen (host-owned) into *out, at the start of a run. */
    HostInt (*destinationOffscreen)(HostOffscreen* out, HostObject host);
    void* reserved9;
    /* 10: whether the canvas has a selection into *out, at the start of a run. */
    HostInt (*hasSelection)(HostBool* out, HostObject host);
    /* 11: the selection's offscreen (channel kind 1) into *out, when there is one. */
    HostInt (*selectionOffscreen)(HostOffscreen* out, HostObject host);
    /* 12: the destination rectangle a finished pass changed. */
    HostInt (*areaChanged)(HostObject host, const HostRect* rect);
    /* 13: the main and sub drawing colours into *main, *sub; the module paints in main. */
    HostInt (*drawingColours)(HostRgb* main, HostRgb* sub, HostObject host);
    void* reserved14;
    void* reserved15;
    /* 16: sends a kProcess* request, the reply into *reply; before, during and after a pass. */
    HostInt (*processState)(HostInt* reply, HostObject host, HostInt request);
    /* 17: the progress scale (the module passes 500), at the start of a run. */
    HostInt (*progressRange)(HostObject host, HostInt total);
    /* 18: progress so far, 0 to the scale, at each rise during a pass. */
    HostInt (*progressValue)(HostObject host, HostInt value);
} FilterRunService;

typedef struct StringService {
    /* 0: a new string from byteCount bytes of UTF-8 into *out; the module releases it. */
    HostInt (*fromNarrow)(HostString* out, const char* chars, HostInt byteCount);
    /* 1: a new string from count UTF-16 code units into *out; the module releases it. */
    HostInt (*fromUtf16)(HostString* out, const HostChar16* chars, HostInt count);
    void* reserved2;
    /* 3: a new string of the module's string-table entry id into *out; released likewise. */
    HostInt (*fromTable)(HostString* out, HostInt id, HostObject host);
    void* reserved4;
    /* 5: releases a string the module made, right after its use. */
    HostInt (*release)(HostString s);
    /* 6: the NUL-terminated UTF-16 text of s into *out, valid until s is released. */
    HostInt (*utf16Text)(const HostChar16** out, HostString s);
} StringService;

typedef struct BitmapService {
    /* 0: a new width x height bitmap of `channels` bytes a pixel into *out (scanline 16). */
    HostInt (*create)(HostBitmap* out, HostInt width, HostInt height, HostInt channels,
                      HostInt scanline);
    void* reserved1;
    /* 2: releases a bitmap the module created, at the end of each run. */
    HostInt (*release)(HostBitmap b);
    void* reserved3;
    void* reserved4;
    void* reserved5;
    void* reserved6;
    /* 7: the address of pixel *point into *out, valid until the bitmap's release. */
    HostInt (*pixelAddress)(uint8_t** out, HostBitmap b, const HostPoint* point);
    /* 8: the bytes of one row into *out; rows may be padded. */
    HostInt (*rowBytes)(HostInt* out, HostBitmap b);
    /* 9: the bytes of one pixel into *out. */
    HostInt (*pixelBytes)(HostInt* out, HostBitmap b);
} BitmapService;

typedef struct OffscreenService {
    void* reserved0;
    void* reserved1;
    void* reserved2;
    /* 3: the offscreen's width in pixels into *out. */
    HostInt (*width)(HostInt* out, HostOffscreen o);
    /* 4: the offscreen's height in pixels into *out. */
    HostInt (*height)(HostInt* out, HostOffscreen o);
    void* reserved5;
    void* reserved6;
    /* 7: the offscreen's kChannelKind* into *out. */
    HostInt (*channelKind)(HostInt* out, HostOffscreen o);
    /* 8: the byte positions of red, green and blue in a kind-3 pixel into *r, *g, *b. */
    HostInt (*colourIndices)(HostInt* r, HostInt* g, HostInt* b, HostOffscreen o);
    /* 9: the byte positions of the four colours of a kind-4 pixel into *c0..*c3. */
    HostInt (*fourIndices)(HostInt* c0, HostInt* c1, HostInt* c2, HostInt* c3, HostOffscreen o);
    void* reserved10;
    void* reserved11;
    void* reserved12;
    void* reserved13;
    void* reserved14;
    void* reserved15;
    void* reserved16;
    void* reserved17;
    /* 18: copies a width x height box of whole pixels from src into dst (mode 1). */
    HostInt (*copyToBitmap)(HostBitmap dst, const HostPoint* dstPoint, HostOffscreen src,
                            const HostPoint* srcPoint, HostInt width, HostInt height,
                            HostInt mode);
    /* 19: copies a width x height box of whole pixels from src back into dst (mode 1). */
    HostInt (*copyFromBitmap)(HostOffscreen dst, const HostPoint* dstPoint, HostBitmap src,
                              const HostPoint* srcPoint, HostInt width, HostInt height,
                              HostInt mode);
} OffscreenService;

typedef struct PropertyService {
    /* 0: a new, empty property object into *out, at filter initialise. */
    HostInt (*create)(HostPropertyObject* out);
    void* reserved1;
    /* 2: releases the property object, when the controller is destroyed or replaced. */
    HostInt (*release)(HostPropertyObject o);
    /* 3: declares item key of a kKind* kind with codes 17, 17 (17, 49 for points). */
    HostInt (*addItem)(HostPropertyObject o, HostInt key, HostInt kind, HostInt codeA,
                       HostInt codeB, HostString caption, HostInt accessKey);
    /* 4: sets a boolean item's value. */
    HostInt (*setBool)(HostPropertyObject o, HostInt key, HostBool v);
    /* 5: a boolean item's value into *out, when the host reports its edit. */
    HostInt (*getBool)(HostBool* out, HostPropertyObject o, HostInt key);
    /* 6: sets a boolean item's default. */
    HostInt (*setBoolDefault)(HostPropertyObject o, HostInt key, HostBool v);
    /* 7: a boolean item's default into *out. */
    HostInt (*getBoolDefault)(HostBool* out, HostPropertyObject o, HostInt key);
    /* 8: sets an integer item's value. */
    HostInt (*setInt)(HostPropertyObject o, HostInt key, HostInt v);
    /* 9: an integer item's value into *out, when the host reports its edit. */
    HostInt (*getInt)(HostInt* out, HostPropertyObject o, HostInt key);
    /* 10: sets an integer item's default. */
    HostInt (*setIntDefault)(HostPropertyObject o, HostInt key, HostInt v);
    /* 11: an integer item's default into *out. */
    HostInt (*getIntDefault)(HostInt* out, HostPropertyObject o, HostInt key);
    /* 12: sets an integer item's minimum. */
    HostInt (*setIntMinimum)(HostPropertyObject o, HostInt key, HostInt v);
    void* reserved13;
    /* 14: sets an integer item's maximum. */
    HostInt (*setIntMaximum)(HostPropertyObject o, HostInt key, HostInt v);
    void* reserved15;
    /* 16: sets a decimal item's value. */
    HostInt (*setDouble)(HostPropertyObject o, HostInt key, HostDouble v);
    /* 17: a decimal item's value into *out, when the host reports its edit. */
    HostInt (*getDouble)(HostDouble* out, HostPropertyObject o, HostInt key);
    /* 18: sets a decimal item's default. */
    HostInt (*setDoubleDefault)(HostPropertyObject o, HostInt key, HostDouble v);
    /* 19: a decimal item's default into *out. */
    HostInt (*getDoubleDefault)(HostDouble* out, HostPropertyObject o, HostInt key);
    /* 20: sets a decimal item's minimum. */
    HostInt (*setDoubleMinimum)(HostPropertyObject o, HostInt key, HostDouble v);
    void* reserved21;
    /* 22: sets a decimal item's maximum. */
    HostInt (*setDoubleMaximum)(HostPropertyObject o, HostInt key, HostDouble v);
} PropertyService;

typedef struct ExtPropertyService {
    void* reserved0;
    /* 1: sets a point item's value. */
    HostInt (*setPoint)(HostPropertyObject o, HostInt key, const HostPoint* p);
    /* 2: a point item's value into *out, when the host reports its edit. */
    HostInt (*getPoint)(HostPoint* out, HostPropertyObject o, HostInt key);
    /* 3: a point item's first setting (the module passes 37). */
    HostInt (*setPointFirstSetting)(HostPropertyObject o, HostInt key, HostInt value);
    void* reserved4;
    void* reserved5;
    void* reserved6;
    /* 7: a point item's second setting (the module passes 34). */
    HostInt (*setPointSecondSetting)(HostPropertyObject o, HostInt key, HostInt value);
    void* reserved8;
    void* reserved9;
    void* reserved10;
    void* reserved11;
    void* reserved12;
    /* 13: sets an enumeration item's chosen index. */
    HostInt (*setEnum)(HostPropertyObject o, HostInt key, HostInt index);
    /* 14: an enumeration item's chosen index into *out, when the host reports its edit. */
    HostInt (*getEnum)(HostInt* out, HostPropertyObject o, HostInt key);
    /* 15: sets an enumeration item's default index. */
    HostInt (*setEnumDefault)(HostPropertyObject o, HostInt key, HostInt index);
    /* 16: an enumeration item's default index into *out. */
    HostInt (*getEnumDefault)(HostInt* out, HostPropertyObject o, HostInt key);
    /* 17: adds choice number index with its caption s (the module passes flag 0). */
    HostInt (*addEnumString)(HostPropertyObject o, HostInt key, HostInt index, HostString s,
                             HostInt flag);
} ExtPropertyService;

/* What the host passes with every call; any table may be null. */
typedef struct HostServer {
    HostObject hostObject;
    const ModuleInitService* moduleInit;
    const FilterInitService* filterInit;
    const FilterRunService* filterRun;
    const StringService* string;
    const BitmapService* bitmap;
    const OffscreenService* offscreen;
    const PropertyService* property;
    const ExtPropertyService* extProperty;
} HostServer;

/* --- The entry point ------------------------------------------------------ */

/* The module's one export. *pluginData is the module's slot, kept by the
 * host from module initialise to module terminate; the call writes
 * kResultSuccess or kResultFailure into *result. */
void TriglavPluginCall(HostInt* result, void** pluginData, HostInt selector,
                       HostServer* server) HOST_NOEXCEPT;

typedef void (*TriglavPluginCallFn)(HostInt* result, void** pluginData, HostInt selector,
                                    HostServer* server);

#ifdef __cplusplus
}
#endif

#endif
