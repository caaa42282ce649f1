// The breed plug-in held by a document: loading under the plug-in lock, the version rule, and the
// calls into the plug-in's exports, each looked up at the time of the call.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "abi/breed_abi.h"
#include "platform/module.h"
#include "platform/text.h"

class CMenuModel;
class IReportsMenuSite;

// Results of LoadBreedPlugIn.
constexpr int BREED_LOADED = 0;
constexpr int BREED_NOT_REGISTERED = 1;  // not in Breeds, or the library has no version information
constexpr int BREED_NOT_A_PLUGIN =
    2;                               // not loadable, not accepted, or an export every plug-in has is missing
constexpr int BREED_FILE_NEWER = 3;  // the file was saved with a newer plug-in

// Shows the message for a refused plug-in (112, 182 or 113, with the help button) and gives the
// button chosen; nothing for BREED_LOADED.
int ReportBreedPlugInResult(int result, const WString& breedName);

// The two-call text fetch: the length with a null buffer, then the text into length + 1 (a length
// beyond reason is taken as no text).
WString FetchPlugInText(const std::function<int32_t(char16_t*, int32_t)>& call);

class CBreedPlugIn {
public:
    CBreedPlugIn() = default;
    CBreedPlugIn(const CBreedPlugIn&) = delete;
    CBreedPlugIn& operator=(const CBreedPlugIn&) = delete;

    // Loads the breed's library (BREED_ results). With takeVersion false the stored version must not
    // be newer than the library's; otherwise, and always with takeVersion, the library's version is
    // stored. A refused library is not kept.
    int Load(const WString& breedName, bool takeVersion);
    // Loads a library by path, with the same rules (the part of Load after the Breeds lookup).
    int LoadFile(const std::string& path, bool takeVersion);
    void Unload();
    bool IsLoaded() const;

    // The export of that name in the held library, looked up now; null when none.
    void* GetProc(const char* name) const;
    template <typename Fn>
    Fn Get(const char* name) const {
        return reinterpret_cast<Fn>(GetProc(name));
    }

    // The version of the plug-in that the file was last saved with.
    uint32_t GetVersionMS() const { return m_dwVersionMS; }
    uint32_t GetVersionLS() const { return m_dwVersionLS; }
    uint64_t GetVersion() const { return (uint64_t(m_dwVersionMS) << 32) | m_dwVersionLS; }
    void SetVersion(uint32_t ms, uint32_t ls) {
        m_dwVersionMS = ms;
        m_dwVersionLS = ls;
    }
    // Product version text from the note of the library loaded last.
    const WString& GetProductVersion() const { return m_strProductVersion; }

    // Calls. Without a held library (or the export) each answers 0, FALSE or empty.
    int32_t IsTattooValid(const WString& tattoo) const;
    int32_t GetGestationPeriod() const;
    int32_t GetLambIndex(const WString& tattoo) const;
    int32_t UpdateReportToolbar(int32_t reportType, int32_t flag) const;
    void BuildReportColumns(IDispatch* columns, int32_t reportType, const WString& ramsOrEwes) const;
    bool GetReportDefinition(int32_t reportId, WString& definition) const;
    bool GetReportTitle(int32_t reportType, const WString& selection, int32_t year, WString& title) const;
    // Flags below 4 are the system's own and have no name from the plug-in.
    WString GetBreedFlag(int32_t flag, int32_t* readOnly) const;
    int32_t GetNextIndex(IDocument* doc, int32_t value) const;
    WString BuildTattoo(ISheep* firstParent, ISheep* secondParent, IDocument* doc, int32_t first,
                        int32_t second) const;
    void PrepareReportToolbar(IDocument* doc, int32_t reportType, void* firstWindow,
                              void* secondWindow) const;
    // The plug-in's validator style sheet (its resource of type 23 named by CVLGetXMLValidator);
    // false when it offers none.
    bool GetXMLValidator(std::string& xsl) const;
    // The plug-in's reports in enumeration order: (identifier, name).
    std::vector<std::pair<int32_t, WString>> EnumReports() const;
    // The Reports submenu of the site's menu bar keeps its last two items; the reports go on top in
    // reverse order of enumeration; with alsoToolbar the Reporting toolbar's list is filled too.
    void BuildReportsMenu(IReportsMenuSite& site, bool alsoToolbar) const;
    // The Reports submenu of a menu bar, or null.
    static CMenuModel* FindReportsMenu(CMenuModel& menuBar);

    // The exports that every plug-in must have.
    static const std::vector<const char*>& RequiredExports();

private:
    mutable std::mutex m_lock;  // the plug-in lock: guards loading and unloading
    CModule m_module;
    mutable std::map<std::string, void*, std::less<>> m_procs;  // the module's exports as found
    uint32_t m_dwVersionMS = 0;
    uint32_t m_dwVersionLS = 0;
    WString m_strProductVersion;
};
