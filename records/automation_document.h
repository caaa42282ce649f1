// What the automation collections of a flock (records, criteria, addresses) need of the document
// beyond what the records themselves need, and the links that detach those collections when their
// owner goes before the clients let go of them.
#pragma once

#include <map>
#include <vector>

#include "platform/automation/cmdtarget.h"
#include "platform/object.h"
#include "records/address.h"
#include "records/flock_document.h"

class COwnerLinks;

// An automation object that refers to an owner it does not hold (the document, a criteria object).
class CAutoDependent {
public:
    // The owner is going: forget it; every later call is refused.
    virtual void OnOwnerGone(COwnerLinks* owner) = 0;

protected:
    ~CAutoDependent() = default;
};

// The dependents of one owner, told when the owner goes.
class COwnerLinks {
public:
    COwnerLinks() = default;
    COwnerLinks(const COwnerLinks&) = delete;
    COwnerLinks& operator=(const COwnerLinks&) = delete;
    ~COwnerLinks() { DetachAll(); }

    void Add(CAutoDependent* dependent) { m_dependents.push_back(dependent); }
    void Remove(CAutoDependent* dependent);
    void DetachAll();

private:
    std::vector<CAutoDependent*> m_dependents;
};

class IAutomationDocument : public IFlockDocument {
public:
    // ---- animals, in key order -------------------------------------------------------------
    virtual int GetSheepCount() const = 0;
    // index in 0..GetSheepCount()-1.
    virtual CSheep* GetSheepAt(int index) const = 0;
    // Without regard to case: TRUE with its index.
    virtual bool FindSheepIndex(const WString& key, int* index) const = 0;
    // Takes over the caller's reference and files the animal (asking before replacing one of the
    // same key); -1 when it was not filed: the caller keeps its reference.
    virtual int AddSheep(CSheep* sheep, bool makeCurrent) = 0;
    virtual void DeleteSheep(int index) = 0;

    // ---- addresses -------------------------------------------------------------------------
    virtual const std::map<WString, CRefPtr<CAddress>>& GetAddressMap() const = 0;
    // Files the address under name, asking before replacing one; FALSE when the user kept the old.
    virtual bool ReplaceAddress(const WString& name, CRefPtr<CAddress> address) = 0;
    virtual bool DeleteAddress(const WString& name) = 0;
    // The address browser for a script, parented to the window the handle names, its name preset;
    // FALSE unless it ended with OK, with the name it then held in *name.
    virtual bool RunAddressBrowser(long windowHandle, WString* name) = 0;
    // The details sheet of a new local address with that display name, parented as above; filed
    // under its display name on OK: the address (not AddRef'd), else null.
    virtual CAddress* NewLocalAddress(long windowHandle, const WString& name) = 0;

    // ---- the document as an automation object ----------------------------------------------
    virtual const WString& GetTitle() const = 0;
    // Its dispatch interface with a reference for the caller.
    virtual IDispatch* GetDocumentDispatch() = 0;
    // Collections and criteria objects over the document register here.
    virtual COwnerLinks& GetAutomationLinks() = 0;

protected:
    ~IAutomationDocument() = default;
};
