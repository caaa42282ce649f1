// A ewe's lambing records, one per season, each owning the lambs born.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/archive.h"
#include "platform/oledate.h"
#include "records/record_automation.h"
#include "records/xml_object.h"

// How a ewe lambed; the words are written exactly so wherever they appear as text.
enum LambingMethod : int32_t {
    LAMBING_TUPPED = 0,  // tupped, not yet lambed
    LAMBING_NORMAL = 1,
    LAMBING_CESARIAN = 2,
    LAMBING_FAILED = 3,
};
constexpr int32_t LAMB_SEX_NOT_SET = -1;

// "Tupped", "Normal", "Cesarian", "Failed"; empty for any other value.
const char* LambingMethodWord(int32_t method);
// The method of a word without regard to case; -1 for any other word.
int32_t LambingMethodFromWord(WStringView word);

// Where a record view's lambing tree puts its items. The record view implements it.
class CLambingTreeSink {
public:
    virtual ~CLambingTreeSink() = default;
    // Adds an item under parent (null: at the end of the top level) and returns it.
    virtual void* InsertItem(void* parent, const WString& text, int image, int selectedImage, void* data) = 0;
};

class CLambData : public CLambDataAutomation {
    DECLARE_SERIAL(CLambData)
public:
    CLambData();
    explicit CLambData(const WString& tattoo);
    CLambData(const CLambData& other);
    CLambData(CXMLContentHandler* handler, const WString& elementName, const CXMLAttributes& attributes,
              bool* ok);
    CLambData& operator=(const CLambData&) = delete;
    ~CLambData() override;

    const WString& GetTattoo() const { return m_strTattoo; }
    const WString& GetBirthWeight() const { return m_strBirthWeight; }
    const WString& GetComments() const { return m_strComments; }
    int32_t GetSex() const { return m_nSex; }
    const COleDateTime& GetEdited() const { return m_dtEdited; }
    const COleDateTime& GetCreated() const { return m_dtCreated; }

    // Each stamps Edited (local time) and stores, without a change test.
    void SetTattoo(const WString& tattoo);
    void SetAll(const WString& tattoo, int32_t sex, const WString& comments, const WString& birthWeight);
    void SetComments(const WString& comments);
    void SetBirthWeight(const WString& birthWeight);
    void SetSex(int32_t sex);
    // Stores without stamping (for readers and copies).
    void SetEdited(const COleDateTime& d) { m_dtEdited = d; }
    void SetCreated(const COleDateTime& d) { m_dtCreated = d; }

    // The Lamb element, UTF-8, lines ending in CR LF.
    std::string WriteXml() const;

    void Serialize(CArchive& ar) override;
    // Its texts (see PrefetchForStoring in archive.h).
    void PrefetchForStoring(int depth) const {
        if (depth != 0) return;
        for (const WString* s : {&m_strTattoo, &m_strBirthWeight, &m_strComments})
            __builtin_prefetch(s->data());
    }
    bool OnEndElement(CXMLContentHandler* handler, const WString& name, const WString& text) override;

protected:
    void StampEdited();

    WString m_strTattoo;
    WString m_strBirthWeight;
    WString m_strComments;
    int32_t m_nSex = LAMB_SEX_NOT_SET;
    COleDateTime m_dtEdited = COleDateTime::Null();
    COleDateTime m_dtCreated;
    COleAppLock m_appLock;  // holds the application alive while the record exists
};

class CEweLambingData : public CEweLambingDataAutomation {
    DECLARE_SERIAL(CEweLambingData)
public:
    CEweLambingData();
    CEweLambingData(const CEweLambingData& other);
    CEweLambingData(CXMLContentHandler* handler, const WString& elementName, const CXMLAttributes& attributes,
                    bool* ok);
    // Copies the fields and replaces the lambs by copies of the source's, in order.
    CEweLambingData& operator=(const CEweLambingData& other);
    ~CEweLambingData() override;

    const WString& GetComments() const { return m_strComments; }
    const WString& GetTup() const { return m_strTup; }
    int32_t GetMethod() const { return m_nMethod; }
    const COleDateTime& GetDate() const { return m_dtDate; }
    const COleDateTime& GetEdited() const { return m_dtEdited; }
    const COleDateTime& GetCreated() const { return m_dtCreated; }

    // Each gives TRUE and stamps Edited (UTC) only when the value really changes.
    bool SetDate(const COleDateTime& date);
    bool SetComments(const WString& comments);
    bool SetMethod(int32_t method);
    bool SetTup(const WString& tup);
    bool SetEditedNow();

    // Store without stamping (automation puts, readers).
    void StoreComments(const WString& comments) { m_strComments = comments; }
    void StoreTup(const WString& tup) { m_strTup = tup; }
    void StoreMethod(int32_t method) { m_nMethod = method; }
    void StoreDate(const COleDateTime& date) { m_dtDate = date; }
    void SetEdited(const COleDateTime& d) { m_dtEdited = d; }
    void SetCreated(const COleDateTime& d) { m_dtCreated = d; }

    // The lambs, in the order added. The record holds one reference to each.
    int GetLambCount() const { return static_cast<int>(m_lambs.size()); }
    // Throws std::out_of_range outside the list.
    CLambData* GetLambAt(int index) const;
    void AddLamb(CRefPtr<CLambData> lamb);
    // Puts the lamb at index, in place of the one there (detached), or at the end past the last.
    void SetLambAt(int index, CRefPtr<CLambData> lamb);
    // Releases the lamb and detaches it from automation clients that still hold it.
    void RemoveLambAt(int index);
    void RemoveAllLambs();

    // The root item (date and tup, or "Tupped by" while there is no date) and, once lambed, one
    // item per lamb.
    void AddToTree(CLambingTreeSink& tree);
    // The details text of a tree item: for the root the lambing by its method, for the lamb at
    // lambIndex that lamb's details.
    WString DescribeTreeItem(bool isRoot, int lambIndex) const;

    // The LambingData element with its lambs, UTF-8, lines ending in CR LF.
    std::string WriteXML() const;

    void Serialize(CArchive& ar) override;
    // The lamb list, the texts and the lambs (see PrefetchForStoring in archive.h).
    void PrefetchForStoring(int depth) const;
    bool OnStartChildElement(CXMLContentHandler* handler, const WString& name,
                             const CXMLAttributes& attributes) override;
    bool OnEndElement(CXMLContentHandler* handler, const WString& name, const WString& text) override;

protected:
    void StampEdited();

    std::vector<CRefPtr<CLambData>> m_lambs;
    WString m_strComments;
    WString m_strTup;
    int32_t m_nMethod = LAMBING_TUPPED;
    COleDateTime m_dtDate = COleDateTime::Null();
    COleDateTime m_dtEdited = COleDateTime::Null();
    COleDateTime m_dtCreated;
    COleAppLock m_appLock;  // holds the application alive while the record exists
};
