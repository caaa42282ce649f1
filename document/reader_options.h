// The EID reader options page without its window: the three lists, which controls are enabled, the
// verified choice and what Test and Apply do. The wx page shows what this decides.
#pragma once

#include <cstdint>
#include <vector>

#include "abi/reader_abi.h"
#include "platform/text.h"

class CEIDReaderManager;

// What the port settings dialog offers, read from and written into the DCB. Fields of the DCB that
// have no terminal setting (RTS toggle, the special characters) stay as they were.
struct CPortSettings {
    enum Flow { FlowNone, FlowXonXoff, FlowHardware };
    uint32_t baud = 9600;
    uint8_t dataBits = 8;
    uint8_t parity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
    uint8_t stopBits = 0;  // 0 one, 1 one and a half, 2 two
    Flow flow = FlowNone;

    static CPortSettings FromDcb(const DCB& dcb);
    void ApplyTo(DCB& dcb) const;
};

class CEIDReaderOptionsModel {
public:
    // The lists' first entries, from the page's template.
    static constexpr const char16_t* kSelectMaker = u"(Please select manufacturer)";
    static constexpr const char16_t* kSelectModel = u"(Please select model)";

    explicit CEIDReaderOptionsModel(CEIDReaderManager& manager);

    // Fills the lists from the manager (the page's first showing).
    void Init();

    void SelectMaker(int index);
    void SelectModel(int index);
    void SelectPort(int index);
    // The port settings dialog was accepted (true) or closed.
    void OnConfigured(bool accepted);
    // The reader test; its verdict.
    bool Test();
    // Stores the verified choice; false when it is not verified even after a test.
    bool Apply();
    // 0 when the page may be left, else the string of its complaint (189 or 190).
    unsigned CheckLeave() const;

    const std::vector<WString>& GetMakers() const { return m_makers; }
    const std::vector<WString>& GetModels() const { return m_models; }
    // Friendly names, and the port name of each.
    const std::vector<WString>& GetPorts() const { return m_portFriendly; }
    const std::vector<WString>& GetPortNames() const { return m_portNames; }
    int GetMakerSelection() const { return m_nMaker; }
    int GetModelSelection() const { return m_nModel; }
    int GetPortSelection() const { return m_nPort; }
    bool IsMakerEnabled() const { return m_bMakerEnabled; }
    bool IsModelEnabled() const { return m_bModelEnabled; }
    bool IsPortEnabled() const { return m_bPortEnabled; }
    bool IsTestEnabled() const { return m_bTestEnabled; }
    bool IsConfigureEnabled() const { return m_bConfigureEnabled; }
    bool IsVerified() const { return m_bVerified; }
    bool IsPortChanged() const { return m_bPortChanged; }
    bool IsModified() const { return m_bModified; }
    // The selected port's name (empty for none) and the maker as stored (empty for the first entry).
    WString GetPortName() const;
    WString GetMaker() const;
    WString GetModel() const;
    COMMCONFIG& GetCommConfig() { return m_config; }

private:
    void FillModels(const WString& maker);
    void UpdateButtons();

    CEIDReaderManager& m_manager;
    COMMCONFIG m_config;
    bool m_bPortChanged = false;
    bool m_bVerified = true;
    bool m_bModified = false;
    WString m_strPort;  // the manager's port until a port is chosen
    WString m_strMaker;
    WString m_strModel;
    std::vector<WString> m_makers;
    std::vector<WString> m_models;
    std::vector<WString> m_portFriendly;
    std::vector<WString> m_portNames;
    int m_nMaker = -1;
    int m_nModel = -1;
    int m_nPort = -1;
    bool m_bMakerEnabled = true;
    bool m_bModelEnabled = true;
    bool m_bPortEnabled = true;
    bool m_bTestEnabled = false;
    bool m_bConfigureEnabled = false;
};
