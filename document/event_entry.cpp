#include "document/event_entry.h"

#include <algorithm>

#include "abi/breed_abi.h"
#include "document/breed_plugin.h"
#include "document/sheep_doc.h"
#include "platform/host.h"
#include "platform/settings.h"
#include "records/app_services.h"
#include "records/event.h"
#include "records/event_codes.h"
#include "records/sheep.h"

int ShownParameterRows(uint32_t parameterCount) {
    return parameterCount == PARAMETERS_VARIABLE ? kShownParameters
                                                 : int(std::min<uint32_t>(parameterCount, kShownParameters));
}

bool IsUnitPounds() {
    const WString unit = CRegistrySettings::GetString(HKEY_CURRENT_USER, u"Settings", u"Unit", u"lb");
    return EqualsNoCase(unit, u"lb");
}

bool ReadWeight(const WString& text, double& value) {
    return ParseDouble(text, value);
}

// ---- the plug-in's events ----------------------------------------------------------------------

std::vector<std::pair<WString, uint32_t>> CEventCatalogue::EnumEvents(int32_t filter) const {
    std::vector<std::pair<WString, uint32_t>> events =
        EnumBreedEvents([this](const char* name) { return m_plugIn.GetProc(name); });
    if (filter != -1)
        std::erase_if(events, [&](const auto& e) {
            return GetParameterCount(e.second) == 0 || GetParameterType(e.second, 0) != filter;
        });
    return events;
}

uint32_t CEventCatalogue::GetCode(const WString& name) const {
    auto fn = m_plugIn.Get<PFN_CVLGetIDsFromNames>("CVLGetIDsFromNames");
    return fn ? uint32_t(fn(name.c_str())) : 0;
}

uint32_t CEventCatalogue::GetParameterCount(uint32_t code) const {
    auto fn = m_plugIn.Get<PFN_CVLGetParameterCount>("CVLGetParameterCount");
    return fn ? fn(int32_t(code)) : 0;
}

int32_t CEventCatalogue::GetParameterType(uint32_t code, int index) const {
    auto fn = m_plugIn.Get<PFN_CVLGetParameterType>("CVLGetParameterType");
    return fn ? fn(int32_t(code), index) : 0;
}

uint32_t CEventCatalogue::GetType(uint32_t code) const {
    auto fn = m_plugIn.Get<PFN_CVLGetType>("CVLGetType");
    return fn ? fn(int32_t(code)) : 0;
}

WString CEventCatalogue::GetParameterTag(uint32_t code, int index) const {
    auto fn = m_plugIn.Get<PFN_CVLGetParameterTag>("CVLGetParameterTag");
    if (!fn) return {};
    return FetchPlugInText(
        [&](char16_t* buffer, int32_t capacity) { return fn(int32_t(code), index, buffer, capacity); });
}

// ---- the New Event dialog ----------------------------------------------------------------------

CNewEventModel::CNewEventModel(CSheepDoc* doc, bool isNew, const CEvent* event)
    : m_pDoc(doc), m_bNew(isNew), m_pEvent(event) {}

void CNewEventModel::Init() {
    m_bWeightInPounds = IsUnitPounds();
    CEventCatalogue catalogue(m_pDoc->GetBreedPlugIn());
    if (m_bNew || !m_pEvent) {
        m_bNew = true;
        m_dtEvent = COleDateTime::GetCurrentTime();
        m_events = catalogue.EnumEvents(-1);
        m_nChosen = -1;
        return;
    }
    m_dtEvent = m_pEvent->GetDate();
    m_nCode = m_pEvent->GetCode();
    m_strEventText = m_pEvent->FormatText(false);
    for (int i = 0; i < kShownParameters; ++i) m_strParameter[i] = m_pEvent->GetParameter(size_t(i));
    Relabel();
    if (m_nCode == EVENT_CODE_WEIGHED) {
        const int32_t pounds = m_bWeightInPounds ? 1 : 0;
        m_strParameter[0] = CSheepAppServices::Get().FormatMeasurement(&pounds, m_strParameter[0]);
    }
}

void CNewEventModel::Preset(const char16_t* p1, const char16_t* p2, const char16_t* p3, int code) {
    const char16_t* presets[kShownParameters] = {p1, p2, p3};
    for (int i = 0; i < kShownParameters; ++i)
        if (presets[i]) m_strParameter[i] = presets[i];
    if (code == -1 || !m_bNew) return;
    const auto it = std::find_if(m_events.begin(), m_events.end(),
                                 [code](const auto& e) { return e.second == uint32_t(code); });
    if (it != m_events.end()) ChooseEvent(int(it - m_events.begin()));
}

bool CNewEventModel::ChooseEvent(int index) {
    if (index < 0 || size_t(index) >= m_events.size()) return false;
    m_nChosen = index;
    m_nCode = CEventCatalogue(m_pDoc->GetBreedPlugIn()).GetCode(m_events[size_t(index)].first);
    Relabel();
    return true;
}

void CNewEventModel::Relabel() {
    CEventCatalogue catalogue(m_pDoc->GetBreedPlugIn());
    const int rows = ShownParameterRows(catalogue.GetParameterCount(m_nCode));
    for (int i = 0; i < kShownParameters; ++i)
        m_labels[i] = i < rows ? catalogue.GetParameterTag(m_nCode, i) : WString();
}

int CNewEventModel::GetShownRows() const {
    if (!HasCode()) return 0;
    return ShownParameterRows(CEventCatalogue(m_pDoc->GetBreedPlugIn()).GetParameterCount(m_nCode));
}

bool CNewEventModel::IsBrowseShown() const {
    return HasCode() && CEvent::IsAddressCode(m_nCode);
}

void CNewEventModel::SetWeightInPounds(bool pounds) {
    if (pounds == m_bWeightInPounds) return;
    m_bWeightInPounds = pounds;
    double value = 0;
    if (m_strParameter[0].empty() || !ReadWeight(m_strParameter[0], value)) return;
    const float weight = float(value);
    const float converted = pounds ? weight * float(1 / kPoundsFactor) : weight * float(kPoundsFactor);
    m_strParameter[0] = DoubleToW(double(converted), "%4.2f");
}

WString CNewEventModel::GetAddressTip() const {
    if (!HasCode() || !CEvent::IsAddressCode(m_nCode)) return {};
    WString display;
    if (!m_pDoc->LookupAddress(m_strParameter[0], &display)) return {};
    return display.substr(0, 79);
}

bool CNewEventModel::OnOK() {
    if (m_dtEvent.GetStatus() != COleDateTime::valid) {
        CvlMessageBoxText(u"The Date is not a date that exists. Please enter a valid date.",
                          MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (!HasCode()) return false;
    if (m_nCode == EVENT_CODE_WEIGHED && !m_strParameter[0].empty()) {
        double value = 0;
        if (!ReadWeight(m_strParameter[0], value)) {
            WString field = m_labels[0].empty() ? WString(u"weight") : m_labels[0];
            CvlMessageBoxText(u"The " + field + u" \"" + m_strParameter[0] +
                                  u"\" is not a number. Please enter the weight as a number.",
                              MB_OK | MB_ICONEXCLAMATION);
            return false;
        }
        const int32_t pounds = m_bWeightInPounds ? 1 : 0;
        m_strParameter[0] = FormatMeasurementShort(&pounds, m_strParameter[0]);
    }
    return true;
}

CRefPtr<CEvent> CNewEventModel::BuildEvent() const {
    auto event = CRefPtr<CEvent>::Adopt(new CEvent(m_dtEvent, m_nCode, m_strParameter[0].c_str(),
                                                   m_strParameter[1].c_str(), m_strParameter[2].c_str()));
    // The dialog shows three parameters; an event with a longer list keeps the rest.
    if (!m_bNew && m_pEvent && m_pEvent->GetParameterTexts().size() > size_t(kShownParameters)) {
        std::vector<WString> parameters = event->GetParameters();
        const std::vector<WString> old = m_pEvent->GetParameters();
        parameters.insert(parameters.end(), old.begin() + kShownParameters, old.end());
        event->SetParameters(parameters);
    }
    return event;
}

// ---- the document's add-event operation --------------------------------------------------------

CRefPtr<CEvent> CSheepDoc::AddEventWithDialog(CSheep* sheep, const char16_t* p1, const char16_t* p2,
                                              const char16_t* p3, int code) {
    IDocumentShell* shell = m_file.m_pShell;
    if (!sheep || !shell) return nullptr;
    CNewEventModel model(this, true, nullptr);
    model.Init();
    model.Preset(p1, p2, p3, code);
    if (!shell->RunNewEventDialog(model)) return nullptr;
    CRefPtr<CEvent> event = model.BuildEvent();
    event->SetOwner(sheep);
    sheep->SetEditedNow();
    SetModifiedFlag();
    return event;
}
