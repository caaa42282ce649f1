// The download's view of the open document, through the slots of its dual interfaces. Called on
// the user-interface thread only.
#pragma once

#include "wyndrace/download_model.h"

struct IDocument;

class CDualDownloadDocument : public IDownloadDocument {
public:
    explicit CDualDownloadDocument(IDocument* doc);
    ~CDualDownloadDocument() override;
    CDualDownloadDocument(const CDualDownloadDocument&) = delete;
    CDualDownloadDocument& operator=(const CDualDownloadDocument&) = delete;

    std::optional<uint64_t> FindByTattoo(const WString& tattoo) override;
    std::optional<WString> FindByEid(uint64_t eid) override;
    bool SetEid(const WString& tattoo, uint64_t eid) override;
    bool AddSheep(const WString& tattoo, int sex) override;
    bool AddEvent(const WString& tattoo, double date, const WString& code,
                  const std::vector<WString>& parameters) override;

    std::vector<CEventCodeInfo> EventCodes() override;
    WString BreedName() override;
    bool IsStandardTattoo(const WString& tattoo) override;
    std::vector<WString> TattoosWithoutEid() override;
    bool AddressExists(const WString& code) override;
    std::optional<WString> AddAddress(long window, const WString& code) override;
    int DecimalPrecision() override;

private:
    // The animal with exactly this tattoo (any case), with a reference; null when there is none.
    void* Sheep(const WString& tattoo);
    void* Interface(int slot);

    IDocument* m_doc;
    void* m_records = nullptr;
};
