// The "EID Reader" options page and the port settings dialog behind its Configure button.
#pragma once

#include <wx/dialog.h>

#include "document/reader_options.h"
#include "document/ui/sheet.h"

class wxButton;
class wxChoice;
class wxComboBox;

class CEIDReaderOptions : public CCvlPropertyPage {
public:
    explicit CEIDReaderOptions(CEIDReaderManager& manager);
    CEIDReaderOptionsModel& GetModel() { return m_model; }

    bool OnApply() override;
    bool OnKillActive() override;

    wxChoice* GetMakerList() const { return m_pMaker; }
    wxChoice* GetModelList() const { return m_pModel; }
    wxChoice* GetPortList() const { return m_pPort; }
    wxButton* GetTestButton() const { return m_pTest; }
    wxButton* GetConfigureButton() const { return m_pConfigure; }

    // The Configure and Test buttons, as a click on them does.
    void OnConfigure();
    void OnTest();

protected:
    void OnCreateControls(wxPanel* panel) override;
    const CvlHelpPair* GetHelpTable() const override;

private:
    void Show();

    CEIDReaderOptionsModel m_model;
    wxChoice* m_pMaker = nullptr;
    wxChoice* m_pModel = nullptr;
    wxChoice* m_pPort = nullptr;
    wxButton* m_pTest = nullptr;
    wxButton* m_pConfigure = nullptr;
};

// Baud rate, data bits, parity, stop bits and flow control of a port.
class CPortSettingsDlg : public wxDialog {
public:
    CPortSettingsDlg(wxWindow* parent, const WString& port, const DCB& dcb);
    // The settings chosen, written over the record's DCB (other fields as they were).
    void ApplyTo(DCB& dcb) const;

    wxComboBox* GetBaudBox() const { return m_pBaud; }
    wxChoice* GetDataBitsBox() const { return m_pDataBits; }
    wxChoice* GetParityBox() const { return m_pParity; }
    wxChoice* GetStopBitsBox() const { return m_pStopBits; }
    wxChoice* GetFlowBox() const { return m_pFlow; }
    bool TransferDataFromWindow() override;

private:
    wxComboBox* m_pBaud = nullptr;
    wxChoice* m_pDataBits = nullptr;
    wxChoice* m_pParity = nullptr;
    wxChoice* m_pStopBits = nullptr;
    wxChoice* m_pFlow = nullptr;
};

// The sheet "View Options" with the reader page alone, run modally.
void RunReaderOptionsSheet(wxWindow* parent, CEIDReaderManager& manager);
