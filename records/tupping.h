// A ram's tupping records, one per mating period: when he went in and came out, how the ewes were
// served and which ewes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/archive.h"
#include "platform/oledate.h"
#include "records/record_automation.h"
#include "records/xml_object.h"

enum TuppingMethod : int32_t {
    TUPPING_NATURAL = 0,  // "Normal"
    TUPPING_AI = 1,       // artificial insemination
};

class CRamLambingData : public CRamLambingDataAutomation {
    DECLARE_SERIAL(CRamLambingData)
public:
    CRamLambingData();
    // Every date starts as the valid 0, then the source is assigned.
    CRamLambingData(const CRamLambingData& other);
    CRamLambingData(CXMLContentHandler* handler, const WString& elementName, const CXMLAttributes& attributes,
                    bool* ok);
    CRamLambingData& operator=(const CRamLambingData& other);
    ~CRamLambingData() override;

    const std::vector<WString>& GetEwes() const { return m_ewes; }
    const COleDateTime& GetDateIn() const { return m_dtDateIn; }
    const COleDateTime& GetDateOut() const { return m_dtDateOut; }
    int32_t GetMethod() const { return m_nMethod; }
    const COleDateTime& GetEdited() const { return m_dtEdited; }
    const COleDateTime& GetCreated() const { return m_dtCreated; }

    // TRUE and an Edited stamp (UTC) on a change; a stored DateIn that is not valid always counts
    // as changed.
    bool SetDateIn(const COleDateTime& date);
    bool SetMethod(int32_t method);

    // Store without stamping (automation puts, the tupping wizard's lists, readers).
    void StoreDateIn(const COleDateTime& date) { m_dtDateIn = date; }
    void StoreDateOut(const COleDateTime& date) { m_dtDateOut = date; }
    void StoreMethod(int32_t method) { m_nMethod = method; }
    void SetEwes(std::vector<WString> ewes) { m_ewes = std::move(ewes); }
    void AddEwe(const WString& tattoo) { m_ewes.push_back(tattoo); }
    void SetEdited(const COleDateTime& d) { m_dtEdited = d; }
    void SetCreated(const COleDateTime& d) { m_dtCreated = d; }
    void SetEditedNow() { m_dtEdited = COleDateTime::GetCurrentTimeUtc(); }

    // "<date>: Tup in" or "<date>: Inseminated" with DateIn as the locale's short date; empty for
    // any other method.
    WString GetEventText() const;

    // The TuppingData element, UTF-8, lines ending in CR LF.
    std::string WriteXml() const;

    void Serialize(CArchive& ar) override;
    bool OnEndElement(CXMLContentHandler* handler, const WString& name, const WString& text) override;

protected:
    std::vector<WString> m_ewes;
    COleDateTime m_dtDateIn = COleDateTime::Null();
    COleDateTime m_dtDateOut = COleDateTime::Null();
    int32_t m_nMethod = TUPPING_NATURAL;
    COleDateTime m_dtEdited = COleDateTime::Null();
    COleDateTime m_dtCreated;
    COleAppLock m_appLock;  // holds the application alive while the record exists
};
