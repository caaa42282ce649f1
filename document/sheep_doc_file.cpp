// The document and its data file: the archive, opening, saving and closing.
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "document/data_file.h"
#include "document/sheep_doc.h"
#include "platform/host.h"
#include "platform/settings.h"

namespace {

constexpr unsigned IDS_SAVING = 1024;

const char16_t kReadFailed[] = u"%1 could not be read: %2";
const char16_t kNotDataFile[] = u"%1 is not a Corvalen data file, or it is damaged. It has not been opened.";
const char16_t kEmbeddedItems[] =
    u"%1 holds embedded objects, which Corvalen cannot keep on this system. The file has not been "
    u"opened and has not been changed.";
const char16_t kOpenElsewhere[] =
    u"%1 is open in another program (%2). It is opened read-only: save it under another name to keep "
    u"your changes.";
const char16_t kSaveLocked[] =
    u"%1 is open in another program (%2) and cannot be replaced. Save the flock under another name.";
const char16_t kChangedElsewhere[] =
    u"%1 has been changed by another program since it was opened, and has not been replaced. Save the "
    u"flock under another name.";
const char16_t kOwnerNotKept[] =
    u"%1 was saved, but it could not keep its owner and group: it now belongs to %2. Others who shared "
    u"it may no longer be able to open it.";
const char16_t kSaveFailed[] = u"%1 could not be saved: %2\nThe file on disk has not been changed.";
const char16_t kValueTooLarge[] = u"a page setup holds a distance larger than the file can store.";
const char16_t kSaveNotConfirmed[] =
    u"%1 was saved, but the system could not confirm that the change reached the disk: %2";

void ShowFileMessage(const char16_t* text, const std::string& path, const std::string& detail = {}) {
    CvlMessageBoxText(FormatPlaceholders(text, {Utf8ToW(path), Utf8ToW(detail)}), MB_OK | MB_ICONEXCLAMATION);
}

// The login name of the user running the program.
std::string UserName() {
    struct passwd pw {};
    struct passwd* found = nullptr;
    char buf[4096];
    if (getpwuid_r(getuid(), &pw, buf, sizeof buf, &found) == 0 && found && found->pw_name)
        return found->pw_name;
    const char* user = std::getenv("USER");
    return user ? user : "";
}

template <class Map>
void WriteObjectMap(CArchive& ar, const Map& map) {
    ar.WriteCount(uint32_t(map.size()));
    for (const auto& [key, object] : map) {
        ar << key;
        ar.WriteObject(object.Get());
    }
}

constexpr unsigned IDS_ADDRESS_LOST = 61;
constexpr int32_t PARAMETER_ADDRESS = 2;

bool AutoscanIsOn() {
    return CRegistrySettings::GetDWord(HKEY_LOCAL_MACHINE, u"Settings", u"EID Autoscan", 0) != 0;
}

}  // namespace

// ---- archive ----------------------------------------------------------------------------------------

void CSheepDoc::Serialize(CArchive& ar) {
    if (ar.IsLoading()) {
        CDocumentArchive loaded;
        loaded.Read(ar);
        TakeArchive(std::move(loaded));
        return;
    }
    ar << uint32_t(0);  // no embedded items
    ar.WriteCount(uint32_t(m_farmDetails.size()));
    for (const auto& [key, text] : m_farmDetails) ar << key << text;
    ar << m_file.m_dwFormat << m_plugIn.GetVersionLS() << m_plugIn.GetVersionMS();

    ar.WriteCount(uint32_t(m_flock.size()));
    {
        CProgressScope progress(IDS_SAVING, GetSheepCount());
        for (size_t i = 0; i < m_flock.size(); ++i) {
            PrefetchForStoring(m_flock, i);
            ar.WriteObject(m_flock[i].Get());
            progress.Step();
        }
    }

    const auto& entries = m_earTags.Entries();
    ar.WriteCount(uint32_t(entries.size()));
    for (const CEarTagHashEntry& e : entries) ar << e.m_strEarTag << e.m_strTattoo << e.m_nRunOffset;

    const auto& colours = m_stores.YearColours();
    ar.WriteCount(uint32_t(colours.size()));
    for (const auto& [year, colour] : colours) ar << year << colour;

    WriteObjectMap(ar, m_stores.ColumnLayouts());
    SerializeObjectArray(ar, m_stores.PageSetups(), true);
    WriteObjectMap(ar, m_stores.Addresses());
    WriteObjectMap(ar, m_stores.SignetAverages());

    ar << int32_t(m_nCurrent) << m_file.m_crHeader << m_file.m_crBody;
    m_file.m_headerFont.Serialize(ar);
    m_file.m_bodyFont.Serialize(ar);
    ar << m_file.m_date;
}

void CSheepDoc::TakeArchive(CDocumentArchive&& loaded) {
    // Map items go on top of what the emptied document holds, as the framework's maps read them.
    for (auto& [key, text] : loaded.farmDetails) m_farmDetails[key] = std::move(text);
    m_file.m_dwFormat = loaded.format;
    m_plugIn.SetVersion(loaded.versionMS, loaded.versionLS);
    for (auto& [year, colour] : loaded.yearColours) m_stores.YearColours()[year] = std::move(colour);
    for (auto& [kind, columns] : loaded.columns) m_stores.ColumnLayouts()[kind] = std::move(columns);
    m_stores.PageSetups() = std::move(loaded.pageSetups);
    for (auto& [name, address] : loaded.addresses) m_stores.SetAddressAt(name, std::move(address));
    for (auto& [key, averages] : loaded.signet) m_stores.SignetAverages()[key] = std::move(averages);
    m_file.m_crHeader = loaded.headerColour;
    m_file.m_crBody = loaded.bodyColour;
    m_file.m_headerFont = loaded.headerFont;
    m_file.m_bodyFont = loaded.bodyFont;
    m_file.m_date = loaded.date;
    AttachLoadedFlock(std::move(loaded.flock), std::move(loaded.earTags), loaded.currentIndex);
}

// ---- addresses checked against the address book --------------------------------------------------

void CSheepDoc::VerifyAddresses() {
    if (!GetAddressBook()) return;
    // The map changes below: walk a copy.
    const std::map<WString, CRefPtr<CAddress>> addresses = m_stores.Addresses();
    if (std::none_of(addresses.begin(), addresses.end(),
                     [](const auto& entry) { return entry.second->GetType() == CAddress::typeMAPI; }))
        return;

    IDocumentShell* shell = m_file.m_pShell;
    std::map<WString, WString> renames;
    std::vector<std::pair<WString, CRefPtr<CAddress>>> moves;  // map name -> object under its new name
    for (const auto& [name, address] : addresses) {
        if (address->GetType() != CAddress::typeMAPI) continue;
        WString newName;
        switch (address->RefreshName(name, &newName)) {
            case 1:
                renames[name] = newName;
                moves.emplace_back(name, address);
                break;
            case 2: {
                CRefPtr<CAddress> replacement;
                if (CvlMessageBox(IDS_ADDRESS_LOST, {name}, MB_YESNO | MB_ICONQUESTION) == IDYES) {
                    auto mapi = MakeRef<CMAPIAddress>(name);
                    if (shell && shell->FindAddressInBook(*mapi)) replacement = mapi;
                } else {
                    auto local = MakeRef<CLocalAddress>(name);
                    if (shell && shell->EditNewLocalAddress(*local)) replacement = local;
                }
                if (!replacement) break;
                const WString display = replacement->GetDisplayName();
                if (display != name) renames[name] = display;
                moves.emplace_back(name, replacement);
                break;
            }
            default:
                break;
        }
    }

    for (auto& [oldName, address] : moves) {
        const WString newName = address->GetDisplayName();
        const bool renamed = m_stores.LookupAddress(oldName) == address.Get();
        // A name that another address holds is not taken from it: the entry keeps its old name.
        const bool taken = newName != oldName && m_stores.LookupAddress(newName) != nullptr;
        if (taken) renames.erase(oldName);
        if (renamed) {
            // Renamed in the book: it moves to its new name too, where the events' new name finds it.
            if (!taken) m_stores.RenameAddress(oldName, newName);
            continue;
        }
        m_stores.DeleteAddress(oldName);
        m_stores.SetAddressAt(taken ? oldName : newName, address);
    }
    if (!renames.empty()) {
        CCvlWaitCursor wait;
        ReplaceParameterValues(renames, PARAMETER_ADDRESS, -1);
    }
}

// ---- lifecycle --------------------------------------------------------------------------------------

bool CSheepDoc::OnOpenDocument(const std::string& path) {
    CSummaryInfo summary;
    summary.StartEditTimeCount();

    // Lock first, so that no other program replaces the file between reading and locking.
    // Opening again the file this document holds keeps the lock it has.
    const bool ownLock = m_file.m_lock.Covers(path);
    CFileLock lock;
    std::string holder;
    bool readOnly = !ownLock && lock.Lock(path, &holder) == CFileLock::heldByOther;
    RemoveDeadSaveTempFiles(path);
    const CFileStamp stamp = CFileStamp::Of(path);

    CDocumentArchive loaded;
    CDataFileStreams kept;
    try {
        std::vector<uint8_t> contents = ReadDataFile(path, &summary, &kept);
        CArchive ar{std::span<const uint8_t>(contents)};
        loaded.Read(ar);
    } catch (const CDataFileException& e) {
        switch (e.m_cause) {
            case CDataFileException::ioError:
                ShowFileMessage(kReadFailed, path, e.what());
                break;
            case CDataFileException::embeddedItems:
                ShowFileMessage(kEmbeddedItems, path);
                break;
            default:
                ShowFileMessage(kNotDataFile, path);
                break;
        }
        return false;
    } catch (const std::exception&) {
        // The archive's own exceptions, and anything a damaged record could still raise.
        ShowFileMessage(kNotDataFile, path);
        return false;
    }

    DeleteContents();
    GetSummaryInfo() = std::move(summary);
    TakeArchive(std::move(loaded));

    const WString breed = GetDocString(FARM_BREED);
    int result = LoadBreedPlugIn(breed, false);
    if (result != BREED_LOADED) {
        ReportBreedPlugInResult(result, breed);
        DeleteContents();
        GetSummaryInfo() = CSummaryInfo();
        return false;
    }

    VerifyAddresses();

    if (readOnly) ShowFileMessage(kOpenElsewhere, path, holder);
    if (!ownLock) m_file.m_lock = std::move(lock);
    m_file.m_bReadOnly = readOnly;
    m_file.m_path = path;
    m_file.m_readStamp = stamp;
    m_file.m_kept = std::move(kept);

    IDocumentShell* shell = m_file.m_pShell;
    if (shell && AutoscanIsOn() && !shell->IsReaderScanning()) shell->StartReaderScan();
    SetModifiedFlag(false);
    return true;
}

bool CSheepDoc::OnSaveDocument(const std::string& path) {
    if (m_file.m_pShell) m_file.m_pShell->CommitPendingEdit();

    // Another program's file is never replaced; ours stays locked through the save. A document
    // without the lock of its own file (opened read-only, or its lock lost) replaces it only once it
    // has the lock and the file is still as it was read: the holder may have saved in between.
    CFileLock newLock;
    const bool keepLock = m_file.m_lock.Covers(path) && m_file.m_lock.StillHeld();
    if (!keepLock) {
        std::string holder;
        if (newLock.Lock(path, &holder) == CFileLock::heldByOther) {
            ShowFileMessage(kSaveLocked, path, holder);
            return false;
        }
        if (!m_file.m_path.empty() && IsSameFile(path, m_file.m_path) &&
            CFileStamp::Of(path) != m_file.m_readStamp) {
            ShowFileMessage(kChangedElsewhere, path);
            return false;
        }
    }

    CSummaryInfo& summary = GetSummaryInfo();
    CSummaryInfo before = summary;
    summary.StampSave(GetSheepCount(), UserName());
    bool ownershipKept = true;
    try {
        ownershipKept = SaveDataFile(
            path, [this](CArchive& ar) { Serialize(ar); }, &summary,
            m_file.m_pFileOps ? *m_file.m_pFileOps : SystemFileOps(),
            m_file.m_kept ? &*m_file.m_kept : nullptr);
    } catch (const CFileException& e) {
        if (!e.NewFileInPlace()) {
            summary = before;
            ShowFileMessage(kSaveFailed, path, e.what());
            return false;
        }
        ShowFileMessage(kSaveNotConfirmed, path, e.what());
    } catch (const CArchiveException&) {
        // Storing refuses only values that the stored form would cut.
        summary = before;
        ShowFileMessage(kSaveFailed, path, WToUtf8(kValueTooLarge));
        return false;
    }

    if (!keepLock) {
        m_file.m_lock = std::move(newLock);
        m_file.m_path = path;
        m_file.m_bReadOnly = false;
    }
    m_file.m_lock.FollowReplacedFile();
    m_file.m_readStamp = CFileStamp::Of(path);
    if (!ownershipKept) ShowFileMessage(kOwnerNotKept, path, UserName());
    SetModifiedFlag(false);
    return true;
}

void CSheepDoc::OnCloseDocument() {
    IDocumentShell* shell = m_file.m_pShell;
    if (shell) {
        shell->ClearRecordPane();
        if (shell->GetOpenDocumentCount() <= 1 && shell->IsReaderScanning()) shell->StopReaderScan();
    }
    DeleteContents();
    GetSummaryInfo() = CSummaryInfo();
    m_file.m_lock.Unlock();
    m_file.m_path.clear();
    m_file.m_bReadOnly = false;
    m_file.m_readStamp = CFileStamp();
    m_file.m_kept.reset();
    SetModifiedFlag(false);
}
