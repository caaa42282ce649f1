// The pedigree view: the current animal as a box at the bottom, its ancestry grown upwards one parent
// at a time, zoomed, scrolled, printed on one page, previewed and copied as a picture.
#pragma once

#include <wx/docmdi.h>
#include <wx/font.h>
#include <wx/print.h>
#include <wx/scrolwin.h>

#include "document/antecedants.h"
#include "document/doc_views.h"
#include "document/page_setup.h"
#include "views/bar_messages.h"
#include "views/pedigree_drawing.h"

class CSheepDocument;
class wxMenu;

class CAntecedantsChildWnd : public wxDocMDIChildFrame {
public:
    CAntecedantsChildWnd(wxDocument* doc, wxView* view, wxMDIParentFrame* parent);
    // "<document> : Antecedants View".
    static wxString MakeCaption(wxDocument* doc);
};

class CAntecedantsView : public wxView, public CDocView, public IZoomView {
    wxDECLARE_DYNAMIC_CLASS(CAntecedantsView);

public:
    CAntecedantsView();
    ~CAntecedantsView() override;

    int GetViewKind() const override { return VIEW_KIND_ANTECEDANTS; }
    using wxView::OnUpdate;
    void OnUpdate(CDocView* sender, uint32_t hint, CObject* hintObject) override;
    void OnDraw(wxDC*) override {}

    CSheepDoc* GetCore() const;
    CAntecedantTree& GetTree() { return m_tree; }
    wxScrolledWindow* GetCanvas() const { return m_pCanvas; }
    int GetZoom() const { return m_nZoom; }
    // Sets the zoom, recomputes the scroll sizes and repaints.
    void SetZoom(int percent) override;
    // The scroll sizes in device units (the tree's size at the zoom).
    wxSize GetScrollSizes() const { return m_scrollSizes; }
    bool IsPreviewing() const { return m_bPreviewing; }
    void SetPreviewing(bool previewing) { m_bPreviewing = previewing; }

    // The text size in logical units, as the layout measures it.
    CBoxSize MeasureText(const WString& text) const;
    CTextMeasure GetMeasure() const;
    CPedigreeMapping GetMapping(bool forScreen = true) const;
    const wxFont& GetTreeFont() const { return m_font; }

    // ---- commands -------------------------------------------------------------------------------
    // Adds the selected box's sire's (or dam's) box; 168 when the flock has no such animal.
    void OnViewParent(bool sire);
    void OnHide();
    void OnDetails();
    void OnCopy();
    void OnPrint();
    void OnPrintPreview();
    // The page setup sheet for this view's printouts; an open preview reopens with what it sets.
    void OnPageSetup();
    wxFrame* GetPreviewFrame() const { return m_pPreviewFrame; }
    bool CanAddParent(bool sire) const { return m_tree.CanAddParent(sire); }
    bool CanHide() const { return m_tree.CanHide(); }
    // The pedigree popup for the box under a point of the canvas (false: no box, no menu).
    bool BuildContextMenu(const wxPoint& canvasPoint, wxMenu& menu);
    // The tree drawn at 100 % on white, whatever the zoom.
    wxBitmap RenderPicture() const;
    // "Antecedants of <tattoo>", and for a ram " <name>".
    WString GetPrintTitle() const;

    // ---- the mouse, in canvas coordinates ------------------------------------------------------
    void MouseDown(const wxPoint& point, bool extend);
    void MouseMove(const wxPoint& point);
    void MouseUp(const wxPoint& point);
    void DoubleClick(const wxPoint& point);
    bool IsRubberBandActive() const { return m_bRubberBand; }
    void DrawRubberBand(wxDC& dc) const;

protected:
    bool OnCreate(wxDocument* doc, long flags) override;
    bool OnClose(bool deleteWindow) override;
    void OnChangeFilename() override;
    void OnActivateView(bool activate, wxView* activeView, wxView* deactiveView) override;

private:
    class CCanvas;
    void BindCommands();
    void UpdateScrollSizes();
    // Print data from the print setup kept beside this view's page setup.
    wxPrintDialogData MakePrintDialogData() const;
    wxRect DeviceRect(const CBoxRect& rect) const;
    wxPoint Logical(const wxPoint& canvasPoint) const;

    CAntecedantTree m_tree;
    wxFont m_font;
    int m_nZoom = 100;
    wxSize m_scrollSizes;
    bool m_bRubberBand = false;
    wxPoint m_rubberStart, m_rubberEnd;  // canvas coordinates
    int m_nTrackHit = TRACK_NONE;        // the tracker part being dragged
    wxPoint m_trackStart;
    CBoxRect m_trackRect;
    bool m_bPreviewing = false;
    wxFrame* m_pPreviewFrame = nullptr;
    wxScrolledWindow* m_pCanvas = nullptr;
};

// The pedigree on one page: the page setup's margins, header and footer, the tree below the header.
class CAntecedantsPrintout : public wxPrintout {
public:
    CAntecedantsPrintout(CAntecedantsView* view, const CPageSetup& setup, bool preview);
    bool HasPage(int page) override { return page == 1; }
    void GetPageInfo(int* minPage, int* maxPage, int* pageFrom, int* pageTo) override;
    bool OnPrintPage(int page) override;
    void OnEndPrinting() override;

private:
    CAntecedantsView* m_view;
    CRefPtr<CPageSetup> m_setup;
    bool m_bPreview;
};
