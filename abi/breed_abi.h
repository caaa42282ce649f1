// The breed plug-in interface: what a breed plug-in library exports and how the program calls it.
//
// A breed plug-in is a shared library loaded with dlopen. Every export is extern "C" and takes
// UTF-16 text as char16_t. A text result is fetched in two calls: first with a null buffer (and
// capacity 0 where there is one) to learn the length in characters, then with a buffer of
// length + 1 and a capacity of length or length + 1: the plug-in writes at most `capacity`
// characters of the text and then a NUL, so never more than length + 1 in all. (The fixed name
// buffers of CVLEnumEvents, CVLEnumReports and CVLGetBreedFlag are the exception: there the
// capacity is the whole buffer, terminator included.) Interfaces passed in are the program's
// automation dual interfaces; the plug-in must not keep them past the call. Property pages returned
// by a plug-in are CCvlPropertyPage objects of the program's sheet layer (document/ui/sheet.h; the
// plug-in links the same wxWidgets), made with new; the program deletes them, always before it
// unloads the plug-in.
//
// Version: a plug-in carries a version note (see CVL_BREED_VERSION_NOTE below) that the loader
// reads from the library file before loading it. A library without one counts as having no
// version information. Other resources (the validator's XSL) come from CVLGetResource.
#pragma once

#include <cstdint>

#include "abi/version_note.h"

struct ISheep;     // an animal's dual interface
struct IEvent;     // an event's dual interface
struct IDocument;  // the document's dual interface
class IDispatch;   // the report view's column-binding interface
class CCvlPropertyPage;

// The Reporting bar's lists as CVLPrepareReportToolbar receives them in place of window handles:
// the plug-in empties a list and adds its entries in order.
struct CVLReportList {
    virtual void Reset() = 0;
    virtual void Add(const char16_t* text) = 0;

protected:
    ~CVLReportList() = default;
};

extern "C" {

// Accepting the library: must return 1.
typedef int32_t (*PFN_IsUnicodeDLL)();

typedef int32_t (*PFN_CVLGetIDsFromNames)(const char16_t* eventName);
// -1: code not defined (the buffer is left untouched).
typedef int32_t (*PFN_CVLGetNamesFromIDs)(int32_t code, char16_t* buffer, int32_t capacity);
// 0xFFFFFFFF: code not defined; bits 0x1..0x10 the five event-code properties; 0x20 report deletions.
typedef uint32_t (*PFN_CVLGetType)(int32_t code);
typedef int32_t (*PFN_CVLGetText)(int32_t code, char16_t* buffer, int32_t capacity);
// 0xFFFFFFFF (as int32_t: -1): a list of any length.
typedef uint32_t (*PFN_CVLGetParameterCount)(int32_t code);
typedef int32_t (*PFN_CVLGetParameterTag)(int32_t code, int32_t index, char16_t* buffer, int32_t capacity);
typedef int32_t (*PFN_CVLGetParameterType)(int32_t code, int32_t index);
typedef void (*PFN_CVLInitEnumEvents)(uint32_t* handle);
typedef int32_t (*PFN_CVLEnumEvents)(uint32_t* handle, int32_t a, int32_t b, char16_t* buffer,
                                     int32_t capacity);
typedef void (*PFN_CVLEndEnumEvents)(uint32_t handle);
typedef void (*PFN_CVLOnAddBreedEvent)(ISheep* sheep, IEvent* event);
typedef void (*PFN_CVLOnDeleteBreedEvent)(ISheep* sheep, IEvent* event);
typedef int32_t (*PFN_CVLBornOnFarm)(IDocument* doc, ISheep* sheep);
typedef int32_t (*PFN_CVLIsTattooValid)(const char16_t* tattoo);
// Dates travel as day numbers: the whole part of the date's DATE value (days since 30 December
// 1899). CVLBuildTattoo's `first` is the lamb's number and `second` the lambing date; the parents are
// the ram (first) and the ewe (second), null when not in the flock.
typedef int32_t (*PFN_CVLBuildTattoo)(ISheep* firstParent, ISheep* secondParent, int32_t second,
                                      int32_t first, IDocument* doc, char16_t* buffer, int32_t capacity);
typedef int32_t (*PFN_CVLGetLambIndex)(const char16_t* tattoo);
// value: the lambing date as a day number (see CVLBuildTattoo).
typedef int32_t (*PFN_CVLGetNextIndex)(IDocument* doc, int32_t value);
typedef int32_t (*PFN_CVLGetGestationPeriod)();
// buffer holds 64 characters; a non-zero value written through readOnly makes the flag read-only.
typedef void (*PFN_CVLGetBreedFlag)(int32_t flag, char16_t* buffer, int32_t* readOnly);
typedef CCvlPropertyPage* (*PFN_CVLLoadNewDocWizardSheets)(int32_t index, IDocument* doc);
typedef CCvlPropertyPage* (*PFN_CVLLoadFarmOptsSheets)(int32_t index, IDocument* doc);
typedef void (*PFN_CVLInitEnumReports)(uint32_t* handle);
// name buffer of 32 characters; *capacity is 32 on the way in.
typedef int32_t (*PFN_CVLEnumReports)(uint32_t* handle, int32_t* reportId, char16_t* name, int32_t* capacity);
typedef void (*PFN_CVLEndEnumReports)(uint32_t handle);
typedef int32_t (*PFN_CVLReportDefinition)(int32_t reportId, char16_t* buffer, int32_t* ignored);
typedef int32_t (*PFN_CVLReportTitle)(int32_t reportType, const char16_t* selection, int32_t year,
                                      char16_t* buffer);
typedef void (*PFN_CVLBuildReportColumns)(IDispatch* columns, int32_t reportType, const char16_t* ramsOrEwes);
// sexList and yearList are CVLReportList objects (or null).
typedef void (*PFN_CVLPrepareReportToolbar)(IDocument* doc, int32_t reportType, void* sexList,
                                            void* yearList);
typedef int32_t (*PFN_CVLUpdateReportToolbar)(int32_t reportType, int32_t flag);
// Resource identifier of the validator style sheet (resource type 23, HTML).
typedef uint16_t (*PFN_CVLGetXMLValidator)();

// Resources (in place of a resource section): the bytes of resource (type, id), or null.
typedef const void* (*PFN_CVLGetResource)(uint16_t type, uint16_t id, uint32_t* size);
}

// The version note (abi/version_note.h). Declare one in a plug-in with
//   CVL_BREED_VERSION_NOTE(2, 0, 0, 0, "2.0.0.0");
#define CVL_BREED_VERSION_NOTE CVL_VERSION_NOTE
