// The merge tree of two copies of a flock: the root pairs the documents, an animal, Signet entry
// or address that differs hangs below it, and below an animal hang its differing events, lambing and
// tupping records and single fields. Each node holds the record of this copy (the right side, side
// 1) and of the other copy (the left side, side 0), the state the assessment gave it and the state
// the apply acts on (the user's choice in the merge dialogs). No GUI here: the dialogs read and
// change the tree through the node operations.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_set>
#include <vector>

#include "platform/object.h"
#include "platform/oledate.h"
#include "platform/text.h"
#include "quillmere/reconciler_abi.h"

class CSheepDoc;
class CSheep;

// The state word: action in bits 3-5, direction in bit 6 (set: from this copy to the other).
constexpr int32_t STATE_ACTION_MASK = 0x38;
constexpr int32_t ACTION_SKIP = 0;
constexpr int32_t ACTION_ADD = 8;
constexpr int32_t ACTION_OVERWRITE = 16;
constexpr int32_t ACTION_MERGE = 24;
constexpr int32_t ACTION_UNKNOWN = 32;
constexpr int32_t STATE_TO_OTHER = 0x40;

constexpr int32_t STATE_UP_TO_DATE = 2;
constexpr int32_t STATE_ADD_HERE = 9;          // only in the other copy
constexpr int32_t STATE_ADD_THERE = 72;        // only in this copy
constexpr int32_t STATE_OVERWRITE_HERE = 17;   // the other copy's is newer
constexpr int32_t STATE_OVERWRITE_THERE = 80;  // this copy's is newer
constexpr int32_t STATE_MERGE = 27;            // changes both ways inside
constexpr int32_t STATE_UNDECIDED = 36;        // both changed

constexpr int SIDE_OTHER = 0;
constexpr int SIDE_THIS = 1;

// What one assessment or apply pass carries along.
struct CMergeContext {
    IReconcileInitiator* initiator = nullptr;
    IProgressText* progress = nullptr;  // null: no text is set
    // The last reconciliation of the pair; Edited stamps are compared with it.
    COleDateTime reference;
    // Stamps are partly local time and partly UTC while the reference is local: a stamp this close
    // before the reference (in days) may still be a change made after it.
    double window = -1.0;  // negative: the machine's distance at the reference
    ULONG progressIndex = 0;
    ULONG progressMax = 0;

    void SetText(const WString& text) const;
    void Step();
};

// The machine's distance between local time and UTC at date, in days (never negative).
double LocalUtcDistance(const COleDateTime& date);

class CStateInfo {
public:
    enum DialogKind { noDialog, documentDialog, recordDialog };

    explicit CStateInfo(CStateInfo* parent);
    virtual ~CStateInfo();
    CStateInfo(const CStateInfo&) = delete;
    CStateInfo& operator=(const CStateInfo&) = delete;

    virtual void DetermineInitialMergeState(CMergeContext& /*ctx*/) {}
    virtual int GetStateKind() const { return -1; }
    virtual WString GetTitle() const { return {}; }
    // The text shown for one side (SIDE_THIS or SIDE_OTHER).
    virtual WString GetDescription(int side) const;
    virtual WString GetTooltip(int /*side*/) const { return {}; }
    virtual COleDateTime GetModificationTime(int side) const;
    // Removes object, a record of child, from this node's record on one side.
    virtual void DeleteFromChild(CStateInfo& /*child*/, bool /*inThisCopy*/, CObject* /*object*/) {}
    // Puts a copy of object into this node's record on one side.
    virtual void InsertFromChild(CStateInfo& /*child*/, bool /*intoOtherCopy*/, CObject* /*object*/) {}
    // Puts a copy of object in the place of old in one step, as DeleteFromChild and InsertFromChild
    // would leave it; false when it cannot, and nothing was changed.
    virtual bool ReplaceFromChild(CStateInfo& /*child*/, bool /*inOtherCopy*/, CObject* /*old*/,
                                  CObject* /*object*/) {
        return false;
    }
    virtual DialogKind GetDialogKind() const { return noDialog; }

    // Copies the tooltip into buffer (at most length characters and a terminator); the count.
    int GetTooltip(int side, char16_t* buffer, int length) const;

    void SetSide(int side, CObject* object);
    CObject* GetSide(int side) const { return (side == SIDE_THIS ? m_right : m_left).Get(); }
    CStateInfo* GetParent() const { return m_pParent; }

    int32_t GetAssessedState() const { return m_nAssessed; }
    int32_t GetCurrentState() const { return m_nCurrent; }
    void SetAssessedState(int32_t state) { m_nAssessed = m_nCurrent = state; }
    void SetCurrentState(int32_t state) { m_nCurrent = state; }
    int GetOpenItems() const { return m_nOpen; }
    void AddOpenItem();
    void RemoveOpenItem();
    // Counts the undecided items below this node again from the current states, after the user's
    // choices: Skip, Add or Overwrite settles a node with all below it, Merge leaves its children to
    // be decided. The count of this node.
    int RecountOpenItems();
    // Folds a child's state into this node's current state (and assessed one with alsoAssessed).
    void CombineState(bool alsoAssessed, int32_t childState);
    static int32_t CombinedState(int32_t parent, int32_t child);

    static WString GetActionText(int32_t state);
    WString GetSideText(int side) const;

    const std::vector<std::unique_ptr<CStateInfo>>& GetChildren() const { return m_children; }
    void AppendChild(std::unique_ptr<CStateInfo> child);
    void RemoveAllChildren();
    void ApplyChanges(CMergeContext& ctx);

protected:
    // The record nodes' description: title, "Modified" (or "Created") and the stamp.
    WString RecordDescription(int side) const;

    int32_t m_nAssessed = STATE_UP_TO_DATE;
    int32_t m_nCurrent = STATE_UP_TO_DATE;
    CStateInfo* m_pParent;
    CRefPtr<CObject> m_right;
    CRefPtr<CObject> m_left;
    int m_nOpen = 0;
    std::vector<std::unique_ptr<CStateInfo>> m_children;
};

// The Edited-stamp rule: 2 the same, 80 this copy's changed alone, 17 the other's, else 36.
int32_t AssessStamps(const COleDateTime& thisEdited, const COleDateTime& otherEdited,
                     const CMergeContext& ctx);

class CDocumentStateInfo : public CStateInfo {
public:
    CDocumentStateInfo() : CStateInfo(nullptr) {}
    void SetDocument(int side, CSheepDoc* doc) {
        (side == SIDE_THIS ? m_pThis : m_pOther) = doc;
        ForgetSharedEIDs();
    }
    CSheepDoc* GetDocument(int side) const { return side == SIDE_THIS ? m_pThis : m_pOther; }

    // Pairs the animals, Signet entries and addresses of the two documents into child nodes.
    void DetermineMergeState(CMergeContext& ctx);
    // The reference date of the pair: this copy's last reconciliation, else the other's, else now.
    COleDateTime ReferenceDate() const;

    void DeleteFromChild(CStateInfo& child, bool inThisCopy, CObject* object) override;
    void InsertFromChild(CStateInfo& child, bool intoOtherCopy, CObject* object) override;
    // An animal overwritten in its place, without moving the flock.
    bool ReplaceFromChild(CStateInfo& child, bool inOtherCopy, CObject* old, CObject* object) override;
    DialogKind GetDialogKind() const override { return documentDialog; }
    // Animals' EIDs may have changed other than by an overwrite that kept them.
    void ForgetSharedEIDs() {
        for (auto& shared : m_sharedEIDs) shared.reset();
    }

private:
    CSheepDoc* m_pThis = nullptr;
    CSheepDoc* m_pOther = nullptr;
    // Per copy, the EIDs more than one animal holds, counted once for a run of overwrites: one that
    // keeps the EID it replaces adds no holder.
    std::optional<std::unordered_set<uint64_t>> m_sharedEIDs[2];
};

class CSheepStateInfo : public CStateInfo {
public:
    using CStateInfo::CStateInfo;
    void DetermineInitialMergeState(CMergeContext& ctx) override;
    int GetStateKind() const override { return 5; }
    WString GetTitle() const override;
    WString GetDescription(int side) const override { return RecordDescription(side); }
    WString GetTooltip(int side) const override;
    COleDateTime GetModificationTime(int side) const override;
    void DeleteFromChild(CStateInfo& child, bool inThisCopy, CObject* object) override;
    void InsertFromChild(CStateInfo& child, bool intoOtherCopy, CObject* object) override;
    DialogKind GetDialogKind() const override { return recordDialog; }
    CSheep* GetSheep(int side) const;

    // The compared fields in their order.
    static const std::vector<unsigned>& ComparedFields();
};

class CStaticStateInfo : public CStateInfo {
public:
    CStaticStateInfo(CStateInfo* parent, unsigned fieldId) : CStateInfo(parent), m_nFieldId(fieldId) {}
    void DetermineInitialMergeState(CMergeContext& ctx) override;
    int GetStateKind() const override { return 6; }
    WString GetTitle() const override;
    WString GetDescription(int side) const override { return RecordDescription(side); }
    WString GetTooltip(int side) const override;
    COleDateTime GetModificationTime(int side) const override;
    unsigned GetFieldId() const { return m_nFieldId; }

private:
    unsigned m_nFieldId;
};

// Events, lambing records and tupping records: matched by Created, assessed by Edited.
class CChildRecordStateInfo : public CStateInfo {
public:
    using CStateInfo::CStateInfo;
    void DetermineInitialMergeState(CMergeContext& ctx) override;
    WString GetDescription(int side) const override { return RecordDescription(side); }
    COleDateTime GetModificationTime(int side) const override;
};

class CEventStateInfo : public CChildRecordStateInfo {
public:
    using CChildRecordStateInfo::CChildRecordStateInfo;
    int GetStateKind() const override { return 7; }
    WString GetTitle() const override;
    WString GetTooltip(int side) const override;
};

class CEweLambingDataStateInfo : public CChildRecordStateInfo {
public:
    using CChildRecordStateInfo::CChildRecordStateInfo;
    int GetStateKind() const override { return 8; }
    WString GetTitle() const override;
    WString GetTooltip(int side) const override;
};

class CRamLambingDataStateInfo : public CChildRecordStateInfo {
public:
    using CChildRecordStateInfo::CChildRecordStateInfo;
    int GetStateKind() const override { return 9; }
    WString GetTitle() const override;
    WString GetTooltip(int side) const override;
};

// Addresses and Signet entries: matched by their map key, assessed by Edited.
class CKeyedStateInfo : public CStateInfo {
public:
    CKeyedStateInfo(CStateInfo* parent, WString key) : CStateInfo(parent), m_strKey(std::move(key)) {}
    void DetermineInitialMergeState(CMergeContext& ctx) override;
    WString GetDescription(int side) const override { return RecordDescription(side); }
    COleDateTime GetModificationTime(int side) const override;
    DialogKind GetDialogKind() const override { return recordDialog; }
    const WString& GetKey() const { return m_strKey; }

private:
    WString m_strKey;
};

class CAddressStateInfo : public CKeyedStateInfo {
public:
    using CKeyedStateInfo::CKeyedStateInfo;
    int GetStateKind() const override { return 10; }
    WString GetTitle() const override;
    WString GetTooltip(int side) const override;
};

class CSignetStateInfo : public CKeyedStateInfo {
public:
    using CKeyedStateInfo::CKeyedStateInfo;
    int GetStateKind() const override { return 11; }
    WString GetTitle() const override;
    // "2003 Ewes" for the key "2003E".
    static WString KeyText(const WString& key);
};

// An exact copy of a stored record (every field, and an animal's events and records).
CRefPtr<CObject> CopyRecord(const CObject& record);

// Puts a lambing or tupping record into an animal's list in date order: null dates last, an equal
// date after the equal ones.
void InsertLambingSorted(CSheep& sheep, CRefPtr<CObject> record);
