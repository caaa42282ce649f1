#include "quillmere/storage.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include "document/data_file.h"
#include "platform/file_lock.h"
#include "platform/safe_save.h"
#include "platform/text.h"
#include "quillmere/com_object.h"

namespace {

std::atomic<IFileOps*> g_fileOps{nullptr};

HRESULT FromErrno(int err) {
    switch (err) {
        case ENOENT:
        case ENOTDIR:
            return STG_E_FILENOTFOUND;
        case ENOSPC:
        case EDQUOT:
            return STG_E_MEDIUMFULL;
        default:
            return STG_E_ACCESSDENIED;
    }
}

struct CStreamData {
    std::vector<uint8_t>* bytes = nullptr;  // in the storage's file
    bool open = false;
};

// What a storage and the streams opened from it share.
struct CStorageState {
    std::string path;
    bool writable = false;
    bool dirty = false;
    CDataFileStreams file;
    CFileLock lock;
    std::vector<std::string> openStreams;

    bool IsOpen(const std::string& name) const {
        return std::find(openStreams.begin(), openStreams.end(), name) != openStreams.end();
    }
    void Close(const std::string& name) {
        auto it = std::find(openStreams.begin(), openStreams.end(), name);
        if (it != openStreams.end()) openStreams.erase(it);
    }
};

class CMemoryStream : public CSingleInterfaceObject<IStream>, public IStreamBytes {
public:
    CMemoryStream(std::shared_ptr<CStorageState> state, std::string name, bool writable)
        : m_state(std::move(state)), m_name(std::move(name)), m_writable(writable) {
        m_state->openStreams.push_back(m_name);
    }

    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (ppv && riid == IID_IStreamBytes) {
            *ppv = static_cast<IStreamBytes*>(this);
            AddRef();
            return S_OK;
        }
        return CSingleInterfaceObject<IStream>::QueryInterface(riid, ppv);
    }
    ULONG AddRef() override { return CSingleInterfaceObject<IStream>::AddRef(); }
    ULONG Release() override { return CSingleInterfaceObject<IStream>::Release(); }

    HRESULT GetBytes(const uint8_t** ppData, uint64_t* pcbSize) override {
        if (!ppData || !pcbSize) return E_POINTER;
        const std::vector<uint8_t>& data = Data();
        *ppData = data.data();
        *pcbSize = data.size();
        return S_OK;
    }

    HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override {
        if (!pv && cb) return E_POINTER;
        const std::vector<uint8_t>& data = Data();
        const uint64_t n = m_pos >= data.size() ? 0 : std::min<uint64_t>(cb, data.size() - m_pos);
        if (n) std::memcpy(pv, data.data() + m_pos, size_t(n));
        m_pos += n;
        if (pcbRead) *pcbRead = ULONG(n);
        return S_OK;
    }
    HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) override {
        if (pcbWritten) *pcbWritten = 0;
        if (!m_writable) return STG_E_ACCESSDENIED;
        if (!pv && cb) return E_POINTER;
        std::vector<uint8_t>& data = Data();
        const auto* bytes = static_cast<const uint8_t*>(pv);
        if (m_pos > data.size()) data.resize(size_t(m_pos));
        // Over what is there, then on past the end without clearing the room first.
        const size_t over = std::min<size_t>(cb, data.size() - size_t(m_pos));
        if (over) std::memcpy(data.data() + m_pos, bytes, over);
        data.insert(data.end(), bytes + over, bytes + cb);
        m_pos += cb;
        m_state->dirty = true;
        if (pcbWritten) *pcbWritten = cb;
        return S_OK;
    }
    HRESULT Seek(int64_t move, DWORD origin, uint64_t* newPos) override {
        int64_t base = 0;
        switch (origin) {
            case STREAM_SEEK_SET:
                break;
            case STREAM_SEEK_CUR:
                base = int64_t(m_pos);
                break;
            case STREAM_SEEK_END:
                base = int64_t(Data().size());
                break;
            default:
                return STG_E_INVALIDFUNCTION;
        }
        if (base + move < 0) return STG_E_INVALIDFUNCTION;
        m_pos = uint64_t(base + move);
        if (newPos) *newPos = m_pos;
        return S_OK;
    }
    HRESULT SetSize(uint64_t size) override {
        if (!m_writable) return STG_E_ACCESSDENIED;
        Data().resize(size_t(size));
        m_state->dirty = true;
        return S_OK;
    }
    HRESULT Commit(DWORD) override { return S_OK; }  // direct mode: the bytes are the storage's

protected:
    ~CMemoryStream() override { m_state->Close(m_name); }
    const IID& InterfaceId() const override { return IID_IStream; }

private:
    std::vector<uint8_t>& Data() { return *m_state->file.Find(m_name); }

    std::shared_ptr<CStorageState> m_state;
    std::string m_name;
    bool m_writable;
    uint64_t m_pos = 0;
};

bool CanWrite(DWORD mode) {
    return (mode & 3) == STGM_WRITE || (mode & 3) == STGM_READWRITE;
}

class CDataFileStorage : public CSingleInterfaceObject<IStorage> {
public:
    explicit CDataFileStorage(std::shared_ptr<CStorageState> state) : m_state(std::move(state)) {}

    HRESULT CreateStream(LPCOLESTR name, DWORD mode, IStream** ppstm) override {
        if (!ppstm) return E_POINTER;
        *ppstm = nullptr;
        if (!name || !*name) return STG_E_INVALIDNAME;
        if (!m_state->writable || !CanWrite(mode)) return STG_E_ACCESSDENIED;
        const std::string key = WToUtf8(name);
        std::vector<uint8_t>* data = m_state->file.Find(key);
        if (data && !(mode & STGM_CREATE)) return STG_E_FILEALREADYEXISTS;
        if (m_state->IsOpen(key)) return STG_E_ACCESSDENIED;
        if (data)
            data->clear();
        else
            m_state->file.streams.emplace_back(key, std::vector<uint8_t>());
        m_state->dirty = true;
        *ppstm = new CMemoryStream(m_state, key, true);
        return S_OK;
    }
    HRESULT OpenStream(LPCOLESTR name, DWORD mode, IStream** ppstm) override {
        if (!ppstm) return E_POINTER;
        *ppstm = nullptr;
        if (!name || !*name) return STG_E_INVALIDNAME;
        const std::string key = WToUtf8(name);
        if (!m_state->file.Find(key)) return STG_E_FILENOTFOUND;
        const bool write = CanWrite(mode);
        if (write && !m_state->writable) return STG_E_ACCESSDENIED;
        if (m_state->IsOpen(key)) return STG_E_ACCESSDENIED;
        *ppstm = new CMemoryStream(m_state, key, write);
        return S_OK;
    }
    HRESULT Commit(DWORD) override {
        if (!m_state->writable) return STG_E_ACCESSDENIED;
        try {
            IFileOps* ops = g_fileOps.load();
            SaveDataFileStreams(m_state->path, m_state->file, ops ? *ops : SystemFileOps());
        } catch (const CFileException& e) {
            if (!e.NewFileInPlace())
                return e.m_step == CFileException::write ? STG_E_WRITEFAULT : FromErrno(e.m_lOsError);
        } catch (const std::exception&) {
            return STG_E_WRITEFAULT;
        }
        m_state->dirty = false;
        return S_OK;
    }
    HRESULT Revert() override {
        if (!m_state->openStreams.empty()) return STG_E_ACCESSDENIED;
        try {
            m_state->file = ReadDataFileStreams(m_state->path);
        } catch (const std::exception&) {
            return STG_E_READFAULT;
        }
        m_state->dirty = false;
        return S_OK;
    }

protected:
    // Direct mode: what was written goes to the file when the storage goes.
    ~CDataFileStorage() override {
        if (m_state->writable && m_state->dirty) Commit(STGC_DEFAULT);
    }
    const IID& InterfaceId() const override { return IID_IStorage; }

private:
    std::shared_ptr<CStorageState> m_state;
};

class CFileMoniker : public CSingleInterfaceObject<IMoniker> {
public:
    explicit CFileMoniker(std::string path) : m_path(std::move(path)) {}
    HRESULT BindToStorage(const BIND_OPTS* opts, REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (riid != IID_IStorage) return MK_E_NOSTORAGE;
        const DWORD mode = opts ? opts->grfMode : STGM_READ;
        IStorage* stg = nullptr;
        const HRESULT hr = OpenDataFileStorage(m_path, mode, &stg);
        *ppv = stg;
        return hr;
    }
    ULONG GetDisplayName(OLECHAR* name, ULONG cch) override {
        const WString text = Utf8ToW(m_path);
        if (name && cch) {
            const size_t n = std::min<size_t>(text.size(), cch - 1);
            std::copy_n(text.data(), n, name);
            name[n] = 0;
        }
        return ULONG(text.size());
    }

protected:
    const IID& InterfaceId() const override { return IID_IMoniker; }

private:
    std::string m_path;
};

}  // namespace

HRESULT OpenDataFileStorage(const std::string& path, DWORD mode, IStorage** ppStg) {
    if (!ppStg) return E_POINTER;
    *ppStg = nullptr;
    auto state = std::make_shared<CStorageState>();
    state->path = path;
    state->writable = CanWrite(mode);
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return FromErrno(errno);
    if (state->writable || (mode & STGM_SHARE_EXCLUSIVE)) {
        int err = 0;
        switch (state->lock.Lock(path, nullptr, &err)) {
            case CFileLock::acquired:
                break;
            case CFileLock::heldByOther:
                return STG_E_ACCESSDENIED;
            case CFileLock::unavailable:
                return FromErrno(err);
        }
    }
    try {
        state->file = ReadDataFileStreams(path);
    } catch (const CDataFileException& e) {
        return e.m_cause == CDataFileException::ioError ? STG_E_READFAULT : STG_E_FILEFORMAT;
    }
    *ppStg = new CDataFileStorage(std::move(state));
    return S_OK;
}

IMoniker* NewFileMoniker(const std::string& path) {
    return new CFileMoniker(path);
}

void SetStorageFileOps(IFileOps* ops) {
    g_fileOps.store(ops);
}
