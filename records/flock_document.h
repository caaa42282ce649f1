// What an animal and its events need of the document that owns them. The document core implements
// it; tests use a small fake. Records never reach the document any other way.
#pragma once

#include <cstdint>

#include "platform/text.h"

class CSheep;
class CCriteria;
struct IDocument;

class IFlockDocument {
public:
    // EID map: the tattoo filed under eid; false (tattoo untouched) when the EID is not filed.
    virtual bool LookupTattooByEID(uint64_t eid, WString* tattoo) const = 0;
    // EID map: file eid under tattoo, replacing any entry of that EID.
    virtual void SetEIDTattoo(uint64_t eid, const WString& tattoo) = 0;
    // EID map: drop the entry of eid when there is one.
    virtual void RemoveEID(uint64_t eid) = 0;

    // Store colour and number in the animal (CSheep::StoreEarTag: the setters call here, so never
    // back into them) and re-file it in the ear-tag index. An animal not in the flock is only stored.
    virtual void UpdateEarTagIndex(CSheep* sheep, const WString& colour, const WString& number) = 0;

    // The animal whose tattoo is key (case-insensitive), or null. The document keeps ownership.
    virtual CSheep* FindSheep(const WString& key) const = 0;

    // The display name of the address filed under name (the document's LookupAddress); false when
    // there is no such address.
    virtual bool LookupAddress(const WString& name, WString* displayName) const = 0;

    // The named export of the document's breed plug-in, looked up now (never cache it across calls);
    // null when no plug-in is loaded or the export is absent. Cast to the PFN_ type of breed_abi.h.
    virtual void* GetBreedProc(const char* exportName) = 0;

    // The document's dual automation interface for plug-in calls, borrowed for the length of one call;
    // null when the document offers none.
    virtual IDocument* GetDocumentDual() = 0;

    // The document's current selection criteria, or null.
    virtual CCriteria* GetCriteria() const = 0;

    // Mark the document changed (or unchanged).
    virtual void SetModifiedFlag(bool modified = true) = 0;

protected:
    ~IFlockDocument() = default;
};
