#include "document/reader_options.h"

#include "document/reader_manager.h"
#include "platform/host.h"

namespace {

constexpr unsigned IDS_NO_PORTS = 11;
constexpr unsigned IDS_SELECT_MAKER = 189;
constexpr unsigned IDS_SELECT_MODEL = 190;
constexpr uint32_t kTestMode = 3;

int IndexOf(const std::vector<WString>& list, const WString& text) {
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i] == text) return int(i);
    return -1;
}

uint32_t Field(uint32_t flags, uint32_t mask, uint32_t shift) { return (flags & mask) >> shift; }
uint32_t WithField(uint32_t flags, uint32_t mask, uint32_t shift, uint32_t value) {
    return (flags & ~mask) | ((value << shift) & mask);
}

}  // namespace

CPortSettings CPortSettings::FromDcb(const DCB& dcb) {
    CPortSettings s;
    s.baud = dcb.BaudRate;
    s.dataBits = dcb.ByteSize;
    s.parity = dcb.Parity;
    s.stopBits = dcb.StopBits;
    if ((dcb.flags & DCB_fOutxCtsFlow) ||
        Field(dcb.flags, DCB_fRtsControlMask, DCB_fRtsControlShift) == RTS_CONTROL_HANDSHAKE)
        s.flow = FlowHardware;
    else if (dcb.flags & (DCB_fOutX | DCB_fInX))
        s.flow = FlowXonXoff;
    else
        s.flow = FlowNone;
    return s;
}

void CPortSettings::ApplyTo(DCB& dcb) const {
    dcb.BaudRate = baud;
    dcb.ByteSize = dataBits;
    dcb.Parity = parity;
    dcb.StopBits = stopBits;
    uint32_t flags = dcb.flags;
    if (parity != 0)
        flags |= DCB_fParity;
    else
        flags &= ~DCB_fParity;
    const uint32_t rts = Field(flags, DCB_fRtsControlMask, DCB_fRtsControlShift);
    flags &= ~(DCB_fOutxCtsFlow | DCB_fOutxDsrFlow | DCB_fOutX | DCB_fInX);
    switch (flow) {
        case FlowHardware:
            flags |= DCB_fOutxCtsFlow;
            flags = WithField(flags, DCB_fRtsControlMask, DCB_fRtsControlShift, RTS_CONTROL_HANDSHAKE);
            break;
        case FlowXonXoff:
            flags |= DCB_fOutX | DCB_fInX;
            [[fallthrough]];
        case FlowNone:
            // RTS toggle has no terminal setting: it stays in the record as it was.
            if (rts == RTS_CONTROL_HANDSHAKE)
                flags = WithField(flags, DCB_fRtsControlMask, DCB_fRtsControlShift, RTS_CONTROL_ENABLE);
            break;
    }
    dcb.flags = flags;
}

CEIDReaderOptionsModel::CEIDReaderOptionsModel(CEIDReaderManager& manager)
    : m_manager(manager),
      m_config(manager.GetCommConfig()),
      m_strPort(manager.GetPortName()),
      m_strMaker(manager.GetManufacturer()),
      m_strModel(manager.GetModel()) {}

void CEIDReaderOptionsModel::Init() {
    CCvlWaitCursor wait;
    m_makers = {kSelectMaker};
    for (auto& maker : m_manager.EnumReaderMakers()) m_makers.push_back(maker);
    if (m_strMaker.empty()) {
        m_bModelEnabled = false;
        m_bPortEnabled = false;
        m_nMaker = 0;
    } else {
        m_nMaker = IndexOf(m_makers, m_strMaker);
    }
    if (m_makers.size() == 1) m_bMakerEnabled = false;
    m_models = {kSelectModel};
    if (!m_manager.GetManufacturer().empty()) FillModels(m_manager.GetManufacturer());
    if (m_strModel.empty()) {
        m_bModelEnabled = false;
        m_bPortEnabled = false;
        m_nModel = -1;
    } else {
        m_nModel = IndexOf(m_models, m_strModel);
    }

    m_portFriendly.clear();
    m_portNames.clear();
    const auto ports = m_manager.EnumComPorts();
    if (ports.empty()) {
        CvlMessageBox(IDS_NO_PORTS);
        m_bPortEnabled = false;
    }
    int remembered = -1;
    for (const auto& [name, friendly] : ports) {
        if (name == m_strPort) remembered = int(m_portNames.size());
        m_portFriendly.push_back(friendly);
        m_portNames.push_back(name);
    }
    if (!m_strPort.empty())
        m_nPort = remembered;
    else
        m_bPortEnabled = false;
    UpdateButtons();
}

void CEIDReaderOptionsModel::FillModels(const WString& maker) {
    m_models = m_manager.EnumReaderModels(maker);
    m_nModel = -1;
}

void CEIDReaderOptionsModel::UpdateButtons() {
    const bool port = m_nPort >= 0;
    const bool model = m_nModel >= 0;
    m_bConfigureEnabled = port && model;
    m_bTestEnabled = port && m_nMaker > 0 && model;
}

void CEIDReaderOptionsModel::SelectMaker(int index) {
    if (index < 0 || index >= int(m_makers.size())) return;
    m_nMaker = index;
    m_strMaker = m_makers[size_t(index)];
    if (index == 0) {
        m_nModel = -1;
        m_bModelEnabled = false;
        m_nPort = -1;
        m_strPort.clear();
        m_bPortEnabled = false;
    } else {
        m_bModelEnabled = true;
        FillModels(m_strMaker);
    }
    m_strModel.clear();
    UpdateButtons();
    m_bModified = true;
    m_bVerified = false;
}

void CEIDReaderOptionsModel::SelectModel(int index) {
    if (index >= 0 && index < int(m_models.size())) {
        m_nModel = index;
        m_strModel = m_models[size_t(index)];
        m_bPortEnabled = !m_portNames.empty();
        m_nPort = -1;
    } else {
        m_nModel = -1;
        m_strModel.clear();
        m_bPortEnabled = false;
    }
    UpdateButtons();
    m_bVerified = false;
    m_bModified = true;
}

void CEIDReaderOptionsModel::SelectPort(int index) {
    if (index < 0 || index >= int(m_portNames.size())) return;
    m_nPort = index;
    m_strPort = m_portNames[size_t(index)];
    UpdateButtons();
    m_bModified = true;
    m_bPortChanged = true;
    m_bVerified = false;
}

void CEIDReaderOptionsModel::OnConfigured(bool accepted) {
    if (accepted) m_bModified = true;
    m_bVerified = false;
}

// A stored port, maker or model that is not listed now (unplugged, unregistered) stays the choice
// until another is made, so that applying the page unchanged does not lose it.
WString CEIDReaderOptionsModel::GetPortName() const {
    return m_nPort >= 0 ? m_portNames[size_t(m_nPort)] : m_strPort;
}

WString CEIDReaderOptionsModel::GetMaker() const {
    if (m_nMaker == 0) return {};
    return m_nMaker > 0 ? m_makers[size_t(m_nMaker)] : m_strMaker;
}

WString CEIDReaderOptionsModel::GetModel() const {
    return m_nModel >= 0 ? m_models[size_t(m_nModel)] : m_strModel;
}

bool CEIDReaderOptionsModel::Test() {
    const WString port = GetPortName();
    // A new port starts from its defaults once; settings made with Configure after that stay.
    if (m_bPortChanged && !GetMaker().empty() && !port.empty()) {
        m_manager.ApplyDefaultCommConfig(GetMaker(), GetModel(), port, m_config);
        m_bPortChanged = false;
    }
    m_bVerified = m_manager.TestDevice(GetMaker(), GetModel(), port, m_config, kTestMode);
    return m_bVerified;
}

bool CEIDReaderOptionsModel::Apply() {
    if (!m_bVerified && !Test()) return false;
    m_manager.SaveSettings(GetMaker(), GetModel(), GetPortName(), m_config);
    m_bModified = false;
    return true;
}

unsigned CEIDReaderOptionsModel::CheckLeave() const {
    if (m_nPort < 0) return 0;
    if (m_nMaker <= 0) return IDS_SELECT_MAKER;
    if (m_nModel < 0) return IDS_SELECT_MODEL;
    return 0;
}
