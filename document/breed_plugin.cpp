#include "document/breed_plugin.h"

#include <algorithm>

#include "document/command_ids.h"
#include "document/menu_model.h"
#include "platform/host.h"
#include "platform/message_help.h"

namespace {

// Text from the plug-in beyond this length is taken as garbage, never allocated.
constexpr int32_t kMaxPlugInText = 1 << 20;

// The loader's refusals, as ReportBreedPlugInResult shows them.
CVL_MESSAGE_HELP(112, 182, 113);

template <typename Call>
WString FetchText(Call call) {
    return FetchPlugInText(call);
}

WString FromFixedBuffer(const char16_t* buffer, size_t capacity) {
    size_t n = 0;
    while (n < capacity && buffer[n]) ++n;
    return WString(buffer, n);
}

}  // namespace

WString FetchPlugInText(const std::function<int32_t(char16_t*, int32_t)>& call) {
    int32_t length = call(nullptr, 0);
    if (length <= 0 || length > kMaxPlugInText) return {};
    std::vector<char16_t> buffer(size_t(length) + 1, 0);
    call(buffer.data(), length + 1);
    buffer.back() = 0;
    return WString(buffer.data(), std::char_traits<char16_t>::length(buffer.data()));
}

int ReportBreedPlugInResult(int result, const WString& breedName) {
    switch (result) {
        case BREED_NOT_REGISTERED:
            return CvlMessageBox(112, {breedName}, MB_OK | MB_HELP);
        case BREED_NOT_A_PLUGIN:
            return CvlMessageBox(182, {breedName}, MB_OK | MB_HELP);
        case BREED_FILE_NEWER:
            return CvlMessageBox(113, MB_OK | MB_ICONSTOP | MB_HELP);
        default:
            return 0;
    }
}

const std::vector<const char*>& CBreedPlugIn::RequiredExports() {
    static const std::vector<const char*> names = {
        "CVLGetIDsFromNames",
        "CVLGetNamesFromIDs",
        "CVLGetType",
        "CVLGetText",
        "CVLGetParameterCount",
        "CVLGetParameterTag",
        "CVLGetParameterType",
        "CVLInitEnumEvents",
        "CVLEnumEvents",
        "CVLBornOnFarm",
        "CVLIsTattooValid",
        "CVLBuildTattoo",
        "CVLGetLambIndex",
        "CVLGetNextIndex",
        "CVLGetGestationPeriod",
        "CVLInitEnumReports",
        "CVLEnumReports",
        "CVLPrepareReportToolbar",
        "CVLUpdateReportToolbar",
    };
    return names;
}

int CBreedPlugIn::LoadFile(const std::string& path, bool takeVersion) {
    CModuleVersion version;
    if (!ReadModuleVersion(path, version)) return BREED_NOT_REGISTERED;
    if (!takeVersion && GetVersion() > version.Value()) return BREED_FILE_NEWER;
    SetVersion(version.MostSignificant(), version.LeastSignificant());
    m_strProductVersion = version.productVersion;

    Unload();
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_module.Load(path);
        m_procs.clear();
    }
    bool accepted = false;
    if (auto isUnicode = Get<PFN_IsUnicodeDLL>("IsUnicodeDLL")) {
        accepted = isUnicode() == 1;
        // A plug-in without an export that callers use unchecked is refused now, not at the call.
        for (const char* name : RequiredExports()) accepted = accepted && GetProc(name) != nullptr;
    }
    if (accepted) return BREED_LOADED;
    Unload();
    return BREED_NOT_A_PLUGIN;
}

void CBreedPlugIn::Unload() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_module.Free();
    m_procs.clear();
}

bool CBreedPlugIn::IsLoaded() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_module.IsLoaded();
}

void* CBreedPlugIn::GetProc(const char* name) const {
    std::lock_guard<std::mutex> lock(m_lock);
    // Asked for per event in a reading: the loader's search costs far more than this one.
    auto it = m_procs.find(std::string_view(name));
    if (it == m_procs.end()) it = m_procs.emplace(name, m_module.GetProc(name)).first;
    return it->second;
}

int32_t CBreedPlugIn::IsTattooValid(const WString& tattoo) const {
    auto fn = Get<PFN_CVLIsTattooValid>("CVLIsTattooValid");
    return fn ? fn(tattoo.c_str()) : 0;
}

int32_t CBreedPlugIn::GetGestationPeriod() const {
    auto fn = Get<PFN_CVLGetGestationPeriod>("CVLGetGestationPeriod");
    return fn ? fn() : 0;
}

int32_t CBreedPlugIn::GetLambIndex(const WString& tattoo) const {
    auto fn = Get<PFN_CVLGetLambIndex>("CVLGetLambIndex");
    return fn ? fn(tattoo.c_str()) : 0;
}

int32_t CBreedPlugIn::UpdateReportToolbar(int32_t reportType, int32_t flag) const {
    auto fn = Get<PFN_CVLUpdateReportToolbar>("CVLUpdateReportToolbar");
    return fn ? fn(reportType, flag) : 0;
}

void CBreedPlugIn::BuildReportColumns(IDispatch* columns, int32_t reportType,
                                      const WString& ramsOrEwes) const {
    if (auto fn = Get<PFN_CVLBuildReportColumns>("CVLBuildReportColumns"))
        fn(columns, reportType, ramsOrEwes.c_str());
}

bool CBreedPlugIn::GetReportDefinition(int32_t reportId, WString& definition) const {
    auto fn = Get<PFN_CVLReportDefinition>("CVLReportDefinition");
    if (!fn) return false;
    int32_t ignored = 0;
    definition = FetchText([&](char16_t* buffer, int32_t) { return fn(reportId, buffer, &ignored); });
    return true;
}

bool CBreedPlugIn::GetReportTitle(int32_t reportType, const WString& selection, int32_t year,
                                  WString& title) const {
    auto fn = Get<PFN_CVLReportTitle>("CVLReportTitle");
    if (!fn) return false;
    title =
        FetchText([&](char16_t* buffer, int32_t) { return fn(reportType, selection.c_str(), year, buffer); });
    return true;
}

WString CBreedPlugIn::GetBreedFlag(int32_t flag, int32_t* readOnly) const {
    if (flag < 4) return {};
    auto fn = Get<PFN_CVLGetBreedFlag>("CVLGetBreedFlag");
    if (!fn) return {};
    char16_t buffer[65] = {};
    fn(flag, buffer, readOnly);
    return FromFixedBuffer(buffer, 64);
}

int32_t CBreedPlugIn::GetNextIndex(IDocument* doc, int32_t value) const {
    auto fn = Get<PFN_CVLGetNextIndex>("CVLGetNextIndex");
    if (!fn) return 0;
    CCvlWaitCursor wait;
    return fn(doc, value);
}

WString CBreedPlugIn::BuildTattoo(ISheep* firstParent, ISheep* secondParent, IDocument* doc, int32_t first,
                                  int32_t second) const {
    auto fn = Get<PFN_CVLBuildTattoo>("CVLBuildTattoo");
    if (!fn) return {};
    return FetchText([&](char16_t* buffer, int32_t capacity) {
        return fn(firstParent, secondParent, second, first, doc, buffer, capacity);
    });
}

void CBreedPlugIn::PrepareReportToolbar(IDocument* doc, int32_t reportType, void* firstWindow,
                                        void* secondWindow) const {
    auto fn = Get<PFN_CVLPrepareReportToolbar>("CVLPrepareReportToolbar");
    if (!fn) return;
    CCvlWaitCursor wait;
    fn(doc, reportType, firstWindow, secondWindow);
}

bool CBreedPlugIn::GetXMLValidator(std::string& xsl) const {
    constexpr uint16_t kHtmlResource = 23;
    auto getId = Get<PFN_CVLGetXMLValidator>("CVLGetXMLValidator");
    auto getResource = Get<PFN_CVLGetResource>("CVLGetResource");
    if (!getId || !getResource) return false;
    uint32_t size = 0;
    const void* bytes = getResource(kHtmlResource, getId(), &size);
    if (!bytes) return false;
    xsl.assign(static_cast<const char*>(bytes), size);
    return true;
}

std::vector<std::pair<int32_t, WString>> CBreedPlugIn::EnumReports() const {
    std::vector<std::pair<int32_t, WString>> reports;
    auto init = Get<PFN_CVLInitEnumReports>("CVLInitEnumReports");
    auto next = Get<PFN_CVLEnumReports>("CVLEnumReports");
    if (!init || !next) return reports;
    uint32_t handle = 0;
    init(&handle);
    for (;;) {
        int32_t reportId = 0;
        char16_t name[33] = {};
        int32_t capacity = 32;
        if (!next(&handle, &reportId, name, &capacity)) break;
        reports.emplace_back(reportId, FromFixedBuffer(name, 32));
    }
    if (auto end = Get<PFN_CVLEndEnumReports>("CVLEndEnumReports")) end(handle);
    return reports;
}

CMenuModel* CBreedPlugIn::FindReportsMenu(CMenuModel& menuBar) {
    CMenuModel* top = nullptr;
    // The View menu, whose first item is Multiple Records.
    for (auto& item : menuBar.items)
        if (item.IsSubmenu() && item.submenu->GetItemCommand(0) == uint32_t(ID_VIEW_FLOCK))
            top = item.submenu.get();
    if (!top) return nullptr;
    CMenuModel* reports = nullptr;
    for (auto& item : top->items) {
        if (!item.IsSubmenu()) continue;
        CMenuModel& sub = *item.submenu;
        if (sub.GetItemCommand(int(sub.items.size()) - 1) == uint32_t(ID_REPORTS_MENU_LAST)) reports = &sub;
    }
    return reports;
}

void CBreedPlugIn::BuildReportsMenu(IReportsMenuSite& site, bool alsoToolbar) const {
    CMenuModel* menuBar = site.GetMenuBar();
    CMenuModel* reports = menuBar ? FindReportsMenu(*menuBar) : nullptr;
    if (reports && reports->items.size() > 2)
        reports->items.erase(reports->items.begin(), reports->items.end() - 2);
    if (alsoToolbar) site.ResetReportList();
    for (const auto& [id, name] : EnumReports()) {
        if (reports) reports->InsertItem(0, uint32_t(ID_REPORT_BASE + id), name);
        if (alsoToolbar) site.AddReport(name, id);
    }
    if (reports) site.OnMenuChanged();
}
