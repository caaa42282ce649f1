// Slot numbers of the program's dual interfaces that the breed plug-in calls. The slot order is a
// fixed contract: slots 0 to 6 are IUnknown and IDispatch on every dual interface.
#pragma once

namespace dual_slots {

constexpr int kRelease = 2;

// ISheep (70 slots)
namespace sheep {
constexpr int kGetTattoo = 7;           // (BSTR*)
constexpr int kGetEvents = 28;          // (IEvents**)
constexpr int kGetEidNumber = 66;       // (ULONGLONG*)
constexpr int kPutEidNumber = 67;       // (ULONGLONG); refused when another animal has the EID
constexpr int kGetDateofBirth = 10;     // (VARIANT*): VT_DATE, or VT_EMPTY when not set
constexpr int kGetDateofPurchase = 12;  // (VARIANT*)
constexpr int kGetElectronicIDNumber = 66;  // (ULONGLONG*)
}  // namespace sheep

// IDocument (40 slots)
namespace document {
constexpr int kGetApplication = 17;  // (IDispatch**): the application's dual interface
constexpr int kGetRecords = 19;    // (IDispatch**): the records collection's dual interface
constexpr int kGetAddresses = 27;  // (IDispatch**): the addresses collection's dual interface
constexpr int kGetBreed = 31;      // (IDispatch**): the breed's dual interface; null without one
}  // namespace document

// IEvents
namespace events {
constexpr int kAdd = 12;  // (DATE, BSTR code name, VARIANT array of BSTR, IEvent**)
}  // namespace events

// IBreed
namespace breed {
constexpr int kGetName = 7;         // (BSTR*): in and out
constexpr int kGetEventCodes = 11;  // (IEventCodes**)
constexpr int kValidateTattoo = 12; // (BSTR, VARIANT_BOOL*)
}  // namespace breed

// IEventCodes (Item takes a code number or a name) and IEventCodeProperties (a 0-based index)
namespace event_codes {
constexpr int kNewEnum = 7; // (IUnknown**): IEnumVARIANT of the codes' IDispatch (their Value the default)
constexpr int kItem = 8;    // (VARIANT, IEventCode** or IEventCodeProperty**)
constexpr int kCount = 11;  // (long*)
}  // namespace event_codes

// IEventCode
namespace event_code {
constexpr int kGetValue = 7;        // (BSTR*)
constexpr int kGetProperties = 8;   // (IEventCodeProperties**)
constexpr int kGetTypeBit0 = 11;    // (VARIANT_BOOL*)
}  // namespace event_code

// IEventCodeProperty
namespace event_code_property {
constexpr int kGetValue = 7;     // (BSTR*)
constexpr int kGetDataType = 10; // (long*): 1 a weight, 2 an address code
}  // namespace event_code_property

// IAddresses
namespace addresses {
constexpr int kItem = 8;    // (VARIANT index or key, IAddress**)
constexpr int kCount = 11;  // (long*)
constexpr int kExists = 14;     // (VARIANT name, VARIANT_BOOL*)
constexpr int kAddDialog = 15;  // (long window, BSTR name, IAddress**)
}  // namespace addresses

// IAddress
namespace address {
constexpr int kGetKey = 15;  // (BSTR*)
}  // namespace address

// IRecords
namespace records {
constexpr int kItem = 8;    // (VARIANT index or tattoo, ISheep**); no animal: null and success
constexpr int kCount = 11;  // (long*)
constexpr int kGetByEID = 12;  // (ULONGLONG, ISheep**)
constexpr int kAdd = 13;       // (BSTR tattoo, short sex, ISheep**)
}  // namespace records

// IReportView
namespace report_view {
constexpr int kResetColumns = 7;  // ()
constexpr int kBindColumn = 8;    // (BSTR title, long kind, long position); position -1 appends
}  // namespace report_view

// IApplication (the reader plug-in)
namespace application {
constexpr int kGetDecimalPrecision = 27;  // (short*)
}  // namespace application

}  // namespace dual_slots
