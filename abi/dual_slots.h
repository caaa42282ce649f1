// Slot numbers of the program's dual interfaces that the breed plug-in calls. The slot order is a
// fixed contract: slots 0 to 6 are IUnknown and IDispatch on every dual interface.
#pragma once

namespace dual_slots {

constexpr int kRelease = 2;

// ISheep (70 slots)
namespace sheep {
constexpr int kGetTattoo = 7;           // (BSTR*)
constexpr int kGetDateofBirth = 10;     // (VARIANT*): VT_DATE, or VT_EMPTY when not set
constexpr int kGetDateofPurchase = 12;  // (VARIANT*)
constexpr int kGetElectronicIDNumber = 66;  // (ULONGLONG*)
}  // namespace sheep

// IDocument (40 slots)
namespace document {
constexpr int kGetRecords = 19;    // (IDispatch**): the records collection's dual interface
constexpr int kGetAddresses = 27;  // (IDispatch**): the addresses collection's dual interface
}  // namespace document

// IAddresses
namespace addresses {
constexpr int kItem = 8;    // (VARIANT index or key, IAddress**)
constexpr int kCount = 11;  // (long*)
}  // namespace addresses

// IAddress
namespace address {
constexpr int kGetKey = 15;  // (BSTR*)
}  // namespace address

// IRecords
namespace records {
constexpr int kItem = 8;    // (VARIANT index or tattoo, ISheep**); no animal: null and success
constexpr int kCount = 11;  // (long*)
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
