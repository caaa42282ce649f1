// Entering events by hand without a window: the breed plug-in's list of events as the data-entry
// dialogs see it, and the New Event dialog's decisions (which rows, units and Browse it shows, the
// weight conversions, what OK accepts and the event it gives).
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "platform/object.h"
#include "platform/oledate.h"
#include "platform/text.h"

class CBreedPlugIn;
class CEvent;
class CSheepDoc;

// The weighing: its parameter 1 is a weight.
constexpr uint32_t EVENT_CODE_WEIGHED = 4;
// A parameter count that stands for a list of any length.
constexpr uint32_t PARAMETERS_VARIABLE = 0xFFFFFFFF;
// The event type bit that gives every animal of a multiple entry its own values.
constexpr uint32_t EVENT_TYPE_PER_ANIMAL = 0x10;

// Templates and controls shared by the New Event dialog and the multiple-event wizard.
constexpr unsigned IDD_NEW_EVENT = 128;
constexpr int IDC_EVENT_COMBO = 1055;
constexpr int IDC_EVENT_TEXT = 1056;
constexpr int IDC_EVENT_DATE = 1057;
constexpr int IDC_PARAMETER_LABEL1 = 1058;  // to 1060
constexpr int IDC_PARAMETER_EDIT1 = 1061;   // to 1063
constexpr int IDC_EVENT_BROWSE = 1184;
constexpr int IDC_UNITS_GROUP = 1026;
constexpr int IDC_UNIT_LB = 1027;
constexpr int IDC_UNIT_KG = 1028;

constexpr unsigned IDS_WEIGHT_NOT_CONVERTED = 146;

// The data-entry pages show at most this many parameters.
constexpr int kShownParameters = 3;
// The rows a page shows for a parameter count (a list of any length shows all three).
int ShownParameterRows(uint32_t parameterCount);

// The weight conversion factor of the data-entry pages (not the exact pound).
constexpr double kPoundsFactor = 2.12;
// Whether the user's Unit setting is pounds ("lb", any case; the default).
bool IsUnitPounds();

// The event names, codes and parameter labels of the document's breed plug-in, fetched at each call.
class CEventCatalogue {
public:
    explicit CEventCatalogue(const CBreedPlugIn& plugIn) : m_plugIn(plugIn) {}

    // The plug-in's events in enumeration order with their codes. With a filter other than -1 only
    // those with at least one parameter whose first parameter has that type.
    std::vector<std::pair<WString, uint32_t>> EnumEvents(int32_t filter) const;
    uint32_t GetCode(const WString& name) const;
    uint32_t GetParameterCount(uint32_t code) const;
    int32_t GetParameterType(uint32_t code, int index) const;
    uint32_t GetType(uint32_t code) const;
    WString GetParameterTag(uint32_t code, int index) const;

private:
    const CBreedPlugIn& m_plugIn;
};

// The New Event dialog: a new event for an animal (isNew), or the parameters of an existing one.
class CNewEventModel {
public:
    CNewEventModel(CSheepDoc* doc, bool isNew, const CEvent* event);

    // Fills the model as the dialog's first display does (the Unit setting, the event list or the
    // event shown).
    void Init();
    // Presets of the document's add-event operation: each text that is not null, and the event of
    // that code when it is not -1.
    void Preset(const char16_t* p1, const char16_t* p2, const char16_t* p3, int code);

    bool IsNew() const { return m_bNew; }
    const std::vector<std::pair<WString, uint32_t>>& GetEvents() const { return m_events; }
    // The event chosen from the list (its index there), or -1.
    int GetChosenIndex() const { return m_nChosen; }
    // A choice in the event list; false for an index the list does not have.
    bool ChooseEvent(int index);
    bool IsOkEnabled() const { return !m_bNew || m_nChosen >= 0; }
    uint32_t GetCode() const { return m_nCode; }
    bool HasCode() const { return !m_bNew || m_nChosen >= 0; }

    int GetShownRows() const;
    const WString& GetLabel(int row) const { return m_labels[size_t(row)]; }
    bool IsUnitsShown() const { return HasCode() && m_nCode == EVENT_CODE_WEIGHED; }
    bool IsBrowseShown() const;

    // A unit button: the weight in parameter 1 converted to the other unit ("%4.2f"); an empty or
    // unreadable weight stays as it is. Nothing happens when the unit does not change.
    void SetWeightInPounds(bool pounds);
    bool IsWeightInPounds() const { return m_bWeightInPounds; }

    // The tool tip of parameter 1: the display name of its address for the address codes.
    WString GetAddressTip() const;

    // OK: a weight that does not read as a number or a date that does not exist is refused with a
    // message naming the field (false: the dialog stays open). Otherwise parameter 1 of a weighing
    // becomes the stored figure.
    bool OnOK();
    // A new event from the dialog's date, code and three texts (an empty text is an empty parameter).
    CRefPtr<CEvent> BuildEvent() const;

    COleDateTime m_dtEvent;
    WString m_strEventText;
    WString m_strParameter[kShownParameters];

private:
    void Relabel();

    CSheepDoc* m_pDoc;
    bool m_bNew;
    const CEvent* m_pEvent;
    uint32_t m_nCode = 0;
    int m_nChosen = -1;
    bool m_bWeightInPounds = true;
    std::vector<std::pair<WString, uint32_t>> m_events;
    WString m_labels[kShownParameters];
};

// Reads a weight the way the data-entry pages check it: the whole text one number.
bool ReadWeight(const WString& text, double& value);
