// File|Properties: the "Document Properties" sheet with the General, Summary and Statistics pages.
#pragma once

#include <string>

#include "document/ui/sheet.h"

class CSheepDoc;
class wxTextCtrl;

class CGeneralPage : public CCvlPropertyPage {
public:
    explicit CGeneralPage(const std::string& path);

protected:
    void OnCreateControls(wxPanel* panel) override;
    const CvlHelpPair* GetHelpTable() const override;

private:
    std::string m_path;
};

class CSummPage : public CCvlPropertyPage {
public:
    explicit CSummPage(CSheepDoc& doc);
    bool OnApply() override;
    // Title, Subject, Author, Keywords, Comments, Template (0..5).
    wxTextCtrl* GetEdit(int index) const { return m_pEdits[index]; }

protected:
    void OnCreateControls(wxPanel* panel) override;
    const CvlHelpPair* GetHelpTable() const override;

private:
    CSheepDoc& m_doc;
    wxTextCtrl* m_pEdits[6] = {};
};

class CStatPage : public CCvlPropertyPage {
public:
    explicit CStatPage(CSheepDoc& doc);

protected:
    void OnCreateControls(wxPanel* panel) override;
    const CvlHelpPair* GetHelpTable() const override;

private:
    CSheepDoc& m_doc;
};

// Runs the sheet; OK stores the Summary page's texts and marks the document modified.
int CvlRunDocumentProperties(wxWindow* parent, CSheepDoc& doc);
