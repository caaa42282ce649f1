#include "wyndrace/transfer.h"

#include <chrono>

#include "abi/dual_slots.h"
#include "platform/automation/slot_call.h"
#include "platform/automation/variant.h"

CTransferWorker::~CTransferWorker() {
    RequestStop();
    Wait();
}

void CTransferWorker::Start(CTransferContext context, Report report) {
    Wait();
    m_stop = false;
    m_count = 0;
    m_success = false;
    m_erase = EraseResult::NotAsked;
    m_running = true;
    m_thread = std::thread(&CTransferWorker::Run, this, std::move(context), std::move(report));
}

void CTransferWorker::RequestStop() {
    m_stop = true;
}

void CTransferWorker::Wait(const std::function<void()>& serve) {
    if (!m_thread.joinable()) return;
    WaitServing([this] { return !m_running.load(); },
                [&] {
                    if (serve) serve();
                    std::unique_lock lock(m_lock);
                    m_ended.wait_for(lock, std::chrono::milliseconds(5), [this] { return !m_running.load(); });
                });
    m_thread.join();
}

void CTransferWorker::Run(CTransferContext context, Report report) {
    const StopCheck stop = [this] { return m_stop.load(); };
    bool stopped = false;
    uint32_t code = EID_OK;
    if (context.mode == EID_TRANSFER_UPLOAD) {
        size_t at = 0;
        const EquivalenceSource next = [&](CEquivalenceItem& item) {
            if (at >= context.items.size()) return false;
            item = context.items[at++];
            return true;
        };
        const UploadProgress progress = [&](const CEquivalenceItem& item) {
            if (m_stop) return true;
            report({TRANSFER_SHEEP_SENT, 0, item.tattoo});
            return false;
        };
        int sent = 0;
        code = UploadEquivalenceTable(context.port, context.config, next, &sent, progress, &stopped);
        m_count = sent;
    } else {
        const RecordSink sink = [&](const WString& record) {
            ++m_count;
            report({TRANSFER_RECEIVED, 0, record});
        };
        if (context.mode == EID_TRANSFER_EQUIVALENCE) {
            code = DownloadEquivalenceTable(context.port, context.config, sink, stop, &stopped);
        } else {
            EraseResult erase = EraseResult::NotAsked;
            code = DownloadControlTable(context.port, context.config, context.erase, sink, stop, &erase, &stopped);
            m_erase = erase;
        }
    }
    m_success = code == EID_OK && !stopped;
    if (code == EID_OK)
        report({m_success ? TRANSFER_SUCCEEDED : TRANSFER_UNSUCCESSFUL, 0, {}});
    else
        report({TRANSFER_FAILED, code, {}});
    {
        std::lock_guard lock(m_lock);
        m_running = false;
    }
    m_ended.notify_all();
}

void WaitServing(const std::function<bool()>& done, const std::function<void()>& serve) {
    while (!done()) {
        if (serve)
            serve();
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

bool IsUploadableTattoo(WStringView tattoo) {
    return tattoo.find(u']') == WStringView::npos && tattoo.find(u'|') == WStringView::npos;
}

namespace {

intptr_t SendSource(const EIDSourceWindow& source, uint32_t operation, EIDSourceItem& item) {
    return source.send ? source.send(source.context, WM_EIDSOURCE, operation, reinterpret_cast<intptr_t>(&item)) : 0;
}

}  // namespace

int CountSourceItems(const EIDSourceWindow& source, int32_t universe) {
    EIDSourceItem item{};
    item.universe = universe;
    item.index = -1;
    return int(SendSource(source, EIDSOURCE_COUNT, item));
}

std::vector<CEquivalenceItem> CollectUploadItems(const EIDSourceWindow& source, int32_t universe,
                                                 const TattooLookup& lookup) {
    std::vector<CEquivalenceItem> items;
    EIDSourceItem item{};
    item.universe = universe;
    item.index = -1;
    SendSource(source, EIDSOURCE_BEGIN, item);
    for (;;) {
        item.text[0] = 0;
        if (!SendSource(source, EIDSOURCE_NEXT, item)) break;
        size_t length = 0;
        while (length < std::size(item.text) && item.text[length]) ++length;
        CEquivalenceItem found;
        found.tattoo.assign(item.text, length);
        if (lookup && lookup(found.tattoo, found.eid)) items.push_back(std::move(found));
    }
    SendSource(source, EIDSOURCE_END, item);
    return items;
}

CDocumentTattoos::CDocumentTattoos(IDocument* doc) {
    if (doc && FAILED(CallSlot(doc, dual_slots::document::kGetRecords, &m_records))) m_records = nullptr;
}

CDocumentTattoos::~CDocumentTattoos() {
    if (m_records) CallSlot<ULONG>(m_records, dual_slots::kRelease);
}

bool CDocumentTattoos::Find(const WString& tattoo, uint64_t& eid) const {
    eid = 0;
    if (!m_records) return false;
    VARIANT key;
    VariantInit(&key);
    key.vt = VT_BSTR;
    key.bstrVal = SysAllocStringW(tattoo);
    void* sheep = nullptr;
    const HRESULT hr = CallSlot(m_records, dual_slots::records::kItem, key, &sheep);
    VariantClear(&key);
    if (FAILED(hr) || !sheep) return false;
    ULONGLONG number = 0;
    if (SUCCEEDED(CallSlot(sheep, dual_slots::sheep::kGetElectronicIDNumber, &number))) eid = number;
    CallSlot<ULONG>(sheep, dual_slots::kRelease);
    return true;
}
