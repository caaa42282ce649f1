// Drawing a pedigree of 8 generations (255 boxes) into a memory DC, against drawing the same boxes,
// lines and texts with plain DC calls from coordinates worked out beforehand. Runs under a display
// (xvfb-run): the drawing needs the toolkit.
#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/init.h>

#include <chrono>
#include <cstdio>
#include <vector>

#include "document/sheep_doc.h"
#include "document/ui/wx_strings.h"
#include "records/sheep.h"
#include "views/pedigree_drawing.h"

namespace {

constexpr int kGenerations = 8;
constexpr int kRounds = 20;
constexpr double kGoal = 3.0;

template <class F>
double Seconds(F&& f) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kRounds; ++i) f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / kRounds;
}

// Animal n's sire is 2n+1 and its dam 2n+2, down to the eighth generation.
void FillFlock(CSheepDoc& doc) {
    const int count = (1 << kGenerations) - 1;
    for (int n = 0; n < count; ++n) {
        auto* sheep = new CSheep(FormatW("T%04d", n).c_str(), n % 2 ? 1 : 2, nullptr);
        sheep->SetName(FormatW("Name of animal %d", n));
        if (2 * n + 2 < count) {
            sheep->SetSire(FormatW("T%04d", 2 * n + 1));
            sheep->SetDam(FormatW("T%04d", 2 * n + 2));
        }
        doc.AddSheep(sheep, false);
    }
}

void Grow(CAntecedantTree& tree, CAntecedantNode* node, const CSheepDoc& doc, const CTextMeasure& measure) {
    tree.SetSelected(node);
    if (!tree.CanAddParent(true)) return;
    tree.AddParent(true, doc, measure, nullptr);
    tree.SetSelected(node);
    tree.AddParent(false, doc, measure, nullptr);
    Grow(tree, node->m_pSire.get(), doc, measure);
    Grow(tree, node->m_pDam.get(), doc, measure);
}

struct PlainBox {
    wxRect upper, lower;
    wxPoint line1, line2;
    wxString text1, text2;
    wxColour colour;
};

}  // namespace

int main(int argc, char** argv) {
    wxApp::SetInstance(new wxApp);
    if (!wxEntryStart(argc, argv)) {
        std::printf("no display: run under xvfb-run\n");
        return 1;
    }
    {
        CSheepDoc doc;
        FillFlock(doc);
        const wxFont font(wxFontInfo(12).Family(wxFONTFAMILY_ROMAN).FaceName("Times New Roman"));
        wxBitmap measureBitmap(1, 1);
        wxMemoryDC measureDC(measureBitmap);
        measureDC.SetFont(font);
        const CTextMeasure measure = [&](const WString& text) {
            const wxSize size = measureDC.GetTextExtent(ToWx(text));
            return CBoxSize{size.x * 100 / 96, size.y * 100 / 96};
        };
        CAntecedantTree tree;
        tree.SetRoot(doc.FindSheep(u"T0000"), measure);
        Grow(tree, tree.GetRoot(), doc, measure);
        tree.SetSelected(nullptr);
        const CBoxRect bounds = tree.Normalize();
        CPedigreeMapping mapping;
        const wxPoint extent = mapping.ToDevice(bounds.right + 10, bounds.bottom - 20);
        wxBitmap bitmap(extent.x, extent.y, 24);
        wxMemoryDC dc(bitmap);
        int boxes = 0;
        tree.GetRoot()->ForEach([&](CAntecedantNode&) { ++boxes; });

        // The same primitives, with every coordinate worked out beforehand.
        std::vector<PlainBox> plain;
        std::vector<std::pair<wxPoint, wxPoint>> lines;
        tree.GetRoot()->ForEach([&](CAntecedantNode& node) {
            const CBoxRect& r = node.m_rect;
            const int middle = (r.top + r.bottom) / 2, centre = (r.left + r.right) / 2;
            plain.push_back({wxRect(mapping.ToDevice(r.left, r.top), mapping.ToDevice(r.right, middle)),
                             wxRect(mapping.ToDevice(r.left, middle), mapping.ToDevice(r.right, r.bottom)),
                             mapping.ToDevice(r.left + 1, r.top - 1),
                             mapping.ToDevice(r.left + 1, middle - 1), ToWx(node.GetLine1()),
                             ToWx(node.GetLine2()), node.m_animal->GetSex() == 1 ? *wxRED : *wxBLUE});
            for (const auto* parent : {node.m_pSire.get(), node.m_pDam.get()}) {
                if (!parent) continue;
                const int junction = (r.top + parent->m_rect.bottom) / 2;
                const int parentCentre = (parent->m_rect.left + parent->m_rect.right) / 2;
                lines.push_back({mapping.ToDevice(centre, r.top), mapping.ToDevice(centre, junction)});
                lines.push_back(
                    {mapping.ToDevice(centre, junction), mapping.ToDevice(parentCentre, junction)});
                lines.push_back({mapping.ToDevice(parentCentre, junction),
                                 mapping.ToDevice(parentCentre, parent->m_rect.bottom)});
            }
        });

        const double view = Seconds([&] {
            dc.SetBackground(*wxWHITE_BRUSH);
            dc.Clear();
            DrawPedigree(dc, tree, mapping, font, false);
        });
        const double base = Seconds([&] {
            dc.SetBackground(*wxWHITE_BRUSH);
            dc.Clear();
            dc.SetFont(font);
            dc.SetPen(*wxBLACK_PEN);
            dc.SetBrush(*wxTRANSPARENT_BRUSH);
            for (const PlainBox& box : plain) {
                dc.SetTextForeground(box.colour);
                dc.DrawText(box.text1, box.line1);
                dc.DrawText(box.text2, box.line2);
                dc.DrawRectangle(box.upper);
                dc.DrawRectangle(box.lower);
            }
            for (const auto& [from, to] : lines) dc.DrawLine(from, to);
        });
        const double ratio = view / base;
        std::printf(
            "pedigree of %d generations (%d boxes, %dx%d px): view %.5f s  plain %.5f s  ratio %.2f  "
            "(goal %.1f: %s)\n",
            kGenerations, boxes, extent.x, extent.y, view, base, ratio, kGoal,
            ratio <= kGoal ? "met" : "missed");
        dc.SelectObject(wxNullBitmap);
    }
    wxEntryCleanup();
    return 0;
}
