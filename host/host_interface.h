/* Binary interface between the Velmora module and a painting host.
 * Plain C, fixed-width types, opaque handles. Every other file reaches the
 * host through the typed wrappers in host.h; nothing else depends on this
 * layout. Slot k of a service table is its k-th member. */
#ifndef VELMORA_HOST_INTERFACE_H
#define VELMORA_HOST_INTERFACE_H

#include <stdint.h>
#ifndef __cplusplus
#include <uchar.h>
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef int32_t HostInt;    /* every integer, result code and selector */
typedef int32_t HostBool;   /* 0 false, anything else true; the module writes 0 or 1 */
typedef double HostDouble;  /* decimal property values */
typedef char16_t HostChar16; /* one UTF-16 code unit */

typedef struct HostString_* HostString;
typedef struct HostBitmap_* HostBitmap;
typedef struct HostOffscreen_* HostOffscreen;
typedef struct HostPropertyObject_* HostPropertyObject;
typedef void* HostObject;

typedef struct HostPoint { int32_t x, y; } HostPoint;
typedef struct HostRect { int32_t left, top, right, bottom; } HostRect; /* right, bottom exclusive */
typedef struct HostRgb { uint8_t r, g, b; } HostRgb;

/* Reports an edit of the panel: notifyKind 17 value changed, 33 event.
 * The module writes 1 (nothing changed) or 2 (a stored setting changed). */
typedef void (*PropertyCallback)(HostInt* result, HostPropertyObject object, HostInt itemKey,
                                 HostInt notifyKind, void* data);

/* Every service returns 0 on success, anything else on failure. Out values
 * are pointers; the module initialises them before every call. */

typedef struct ModuleInitService {
    /* 0: host interface version into *out; the module needs at least 1. */
    HostInt (*hostVersion)(HostInt* out, HostObject host);
    /* 1: register the module's GUID string. */
    HostInt (*setModuleId)(HostObject host, HostString id);
    /* 2: register the module kind (the module passes 0x4380). */
    HostInt (*setModuleKind)(HostObject host, HostInt kind);
} ModuleInitService;

typedef struct FilterInitService {
    /* 0: category name shown in the host's menu, with its access key. */
    HostInt (*setCategoryName)(HostObject host, HostString name, HostInt accessKey);
    /* 1: filter name shown in the host's menu, with its access key. */
    HostInt (*setFilterName)(HostObject host, HostString name, HostInt accessKey);
    /* 2, 3: the two filter switches (the module sets both true). */
    HostInt (*setFirstSwitch)(HostObject host, HostBool on);
    HostInt (*setSecondSwitch)(HostObject host, HostBool on);
    /* 4: target kinds the filter accepts (the module passes 257, 258, 262). */
    HostInt (*setTargetKinds)(HostObject host, const HostInt* kinds, HostInt count);
    /* 5: hand the property object to the host at filter initialise. */
    HostInt (*setPropertyObject)(HostObject host, HostPropertyObject object);
    /* 6: register the property callback and its data pointer (the controller). */
    HostInt (*setPropertyCallback)(HostObject host, PropertyCallback callback, void* data);
} FilterInitService;

typedef struct FilterRunService {
    void* reserved0;
    /* 1, 2: canvas width and height in pixels. */
    HostInt (*canvasWidth)(HostInt* out, HostObject host);
    HostInt (*canvasHeight)(HostInt* out, HostObject host);
    void* reserved3;
    void* reserved4;
    void* reserved5;
    void* reserved6;
    /* 7, 8: source and destination layer offscreens, owned by the host. */
    HostInt (*sourceOffscreen)(HostOffscreen* out, HostObject host);
    HostInt (*destinationOffscreen)(HostOffscreen* out, HostObject host);
    void* reserved9;
    /* 10: whether the canvas has a selection. */
    HostInt (*hasSelection)(HostBool* out, HostObject host);
    /* 11: the selection offscreen (channel kind 1). */
    HostInt (*selectionOffscreen)(HostOffscreen* out, HostObject host);
    /* 12: the rectangle of the destination that changed after a pass. */
    HostInt (*areaChanged)(HostObject host, const HostRect* rect);
    /* 13: main and sub drawing colours; the module uses the main one. */
    HostInt (*drawingColours)(HostRgb* main, HostRgb* sub, HostObject host);
    void* reserved14;
    void* reserved15;
    /* 16: process state: request 257 (may I start?), 258 (go on?), 259 (pass done);
     * the reply is 257, 258 or 259. */
    HostInt (*processState)(HostInt* reply, HostObject host, HostInt request);
    /* 17: progress range (the module passes 500). */
    HostInt (*progressRange)(HostObject host, HostInt total);
    /* 18: progress value, 0 to the range. */
    HostInt (*progressValue)(HostObject host, HostInt value);
} FilterRunService;

typedef struct StringService {
    /* 0: host string from UTF-8 text of byteCount bytes. */
    HostInt (*fromNarrow)(HostString* out, const char* chars, HostInt byteCount);
    /* 1: host string from count UTF-16 code units. */
    HostInt (*fromUtf16)(HostString* out, const HostChar16* chars, HostInt count);
    void* reserved2;
    /* 3: host string from the module's string table entry id. */
    HostInt (*fromTable)(HostString* out, HostInt id, HostObject host);
    void* reserved4;
    /* 5: release a string the module made. */
    HostInt (*release)(HostString s);
    /* 6: NUL-terminated UTF-16 text of a string, valid until its release. */
    HostInt (*utf16Text)(const HostChar16** out, HostString s);
} StringService;

typedef struct BitmapService {
    /* 0: create a bitmap of width x height pixels of `channels` bytes each
     * (the module passes scanline 16). */
    HostInt (*create)(HostBitmap* out, HostInt width, HostInt height, HostInt channels,
                      HostInt scanline);
    void* reserved1;
    /* 2: release a bitmap the module created. */
    HostInt (*release)(HostBitmap b);
    void* reserved3;
    void* reserved4;
    void* reserved5;
    void* reserved6;
    /* 7: address of a pixel, valid until the bitmap's release. */
    HostInt (*pixelAddress)(uint8_t** out, HostBitmap b, const HostPoint* point);
    /* 8, 9: bytes per row (may be padded) and bytes per pixel. */
    HostInt (*rowBytes)(HostInt* out, HostBitmap b);
    HostInt (*pixelBytes)(HostInt* out, HostBitmap b);
} BitmapService;

typedef struct OffscreenService {
    void* reserved0;
    void* reserved1;
    void* reserved2;
    /* 3, 4: size in pixels; 7: channel kind (3 RGBA, 2 grey+alpha, 6 binary+alpha,
     * 4 five channels, 1 selection, anything else one byte). */
    HostInt (*width)(HostInt* out, HostOffscreen o);
    HostInt (*height)(HostInt* out, HostOffscreen o);
    void* reserved5;
    void* reserved6;
    HostInt (*channelKind)(HostInt* out, HostOffscreen o);
    /* 8: byte positions of red, green and blue inside a kind-3 pixel. */
    HostInt (*colourIndices)(HostInt* r, HostInt* g, HostInt* b, HostOffscreen o);
    /* 9: byte positions of the four colour channels of a kind-4 pixel. */
    HostInt (*fourIndices)(HostInt* c0, HostInt* c1, HostInt* c2, HostInt* c3, HostOffscreen o);
    void* reserved10;
    void* reserved11;
    void* reserved12;
    void* reserved13;
    void* reserved14;
    void* reserved15;
    void* reserved16;
    void* reserved17;
    /* 18: copy whole pixels from an offscreen into a bitmap (the module passes mode 1). */
    HostInt (*copyToBitmap)(HostBitmap dst, const HostPoint* dstPoint, HostOffscreen src,
                            const HostPoint* srcPoint, HostInt width, HostInt height,
                            HostInt mode);
    /* 19: copy whole pixels from a bitmap back into an offscreen (mode 1). */
    HostInt (*copyFromBitmap)(HostOffscreen dst, const HostPoint* dstPoint, HostBitmap src,
                              const HostPoint* srcPoint, HostInt width, HostInt height,
                              HostInt mode);
} OffscreenService;

typedef struct PropertyService {
    /* 0: create a property object; 2: release it. */
    HostInt (*create)(HostPropertyObject* out);
    void* reserved1;
    HostInt (*release)(HostPropertyObject o);
    /* 3: add an item: key, value kind (1 bool, 2 enumeration, 17 integer, 18 decimal,
     * 33 point), codes 17 and 17 (17 and 49 for points), caption, access key. */
    HostInt (*addItem)(HostPropertyObject o, HostInt key, HostInt kind, HostInt codeA,
                       HostInt codeB, HostString caption, HostInt accessKey);
    /* 4-7: boolean value and default. */
    HostInt (*setBool)(HostPropertyObject o, HostInt key, HostBool v);
    HostInt (*getBool)(HostBool* out, HostPropertyObject o, HostInt key);
    HostInt (*setBoolDefault)(HostPropertyObject o, HostInt key, HostBool v);
    HostInt (*getBoolDefault)(HostBool* out, HostPropertyObject o, HostInt key);
    /* 8-12, 14: integer value, default, minimum, maximum. */
    HostInt (*setInt)(HostPropertyObject o, HostInt key, HostInt v);
    HostInt (*getInt)(HostInt* out, HostPropertyObject o, HostInt key);
    HostInt (*setIntDefault)(HostPropertyObject o, HostInt key, HostInt v);
    HostInt (*getIntDefault)(HostInt* out, HostPropertyObject o, HostInt key);
    HostInt (*setIntMinimum)(HostPropertyObject o, HostInt key, HostInt v);
    void* reserved13;
    HostInt (*setIntMaximum)(HostPropertyObject o, HostInt key, HostInt v);
    void* reserved15;
    /* 16-20, 22: decimal value, default, minimum, maximum. */
    HostInt (*setDouble)(HostPropertyObject o, HostInt key, HostDouble v);
    HostInt (*getDouble)(HostDouble* out, HostPropertyObject o, HostInt key);
    HostInt (*setDoubleDefault)(HostPropertyObject o, HostInt key, HostDouble v);
    HostInt (*getDoubleDefault)(HostDouble* out, HostPropertyObject o, HostInt key);
    HostInt (*setDoubleMinimum)(HostPropertyObject o, HostInt key, HostDouble v);
    void* reserved21;
    HostInt (*setDoubleMaximum)(HostPropertyObject o, HostInt key, HostDouble v);
} PropertyService;

typedef struct ExtPropertyService {
    void* reserved0;
    /* 1, 2: point value of a point item. */
    HostInt (*setPoint)(HostPropertyObject o, HostInt key, const HostPoint* p);
    HostInt (*getPoint)(HostPoint* out, HostPropertyObject o, HostInt key);
    /* 3: first point setting (the module passes 37). */
    HostInt (*setPointFirstSetting)(HostPropertyObject o, HostInt key, HostInt value);
    void* reserved4;
    void* reserved5;
    void* reserved6;
    /* 7: second point setting (the module passes 34). */
    HostInt (*setPointSecondSetting)(HostPropertyObject o, HostInt key, HostInt value);
    void* reserved8;
    void* reserved9;
    void* reserved10;
    void* reserved11;
    void* reserved12;
    /* 13-16: enumeration index and default index. */
    HostInt (*setEnum)(HostPropertyObject o, HostInt key, HostInt index);
    HostInt (*getEnum)(HostInt* out, HostPropertyObject o, HostInt key);
    HostInt (*setEnumDefault)(HostPropertyObject o, HostInt key, HostInt index);
    HostInt (*getEnumDefault)(HostInt* out, HostPropertyObject o, HostInt key);
    /* 17: add enumeration string number index (the module passes flag 0). */
    HostInt (*addEnumString)(HostPropertyObject o, HostInt key, HostInt index, HostString s,
                             HostInt flag);
} ExtPropertyService;

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

/* Selectors of TriglavPluginCall. */
enum {
    kSelectorModuleInitialize = 257,
    kSelectorModuleTerminate = 258,
    kSelectorFilterInitialize = 513,
    kSelectorFilterRun = 514,
    kSelectorFilterTerminate = 515
};

/* Process-state requests and replies. */
enum { kProcessStart = 257, kProcessContinue = 258, kProcessDone = 259 };

typedef void (*TriglavPluginCallFn)(HostInt* result, void** pluginData, HostInt selector,
                                    HostServer* server);

#ifdef __cplusplus
}
#endif

#endif
