#include "views/pedigree_drawing.h"

#include <algorithm>
#include <cmath>

#include "document/ui/wx_strings.h"
#include "records/sheep.h"

namespace {
constexpr int kHandle = 6;  // device pixels
constexpr int kBorder = 4;
}  // namespace

// ---- mapping -----------------------------------------------------------------------------------------

wxPoint CPedigreeMapping::ToDevice(int x, int y) const {
    const double scale = zoom / 100.0;
    return wxPoint(origin.x + int(std::lround(x * unitX * scale)),
                   origin.y + int(std::lround(-y * unitY * scale)));
}

int CPedigreeMapping::ToLogicalX(int deviceX) const {
    return int(std::lround((deviceX - origin.x) / (unitX * zoom / 100.0)));
}

int CPedigreeMapping::ToLogicalY(int deviceY) const {
    return int(std::lround(-(deviceY - origin.y) / (unitY * zoom / 100.0)));
}

// ---- the tracker -------------------------------------------------------------------------------------

wxRect TrackerRect(const wxRect& box) {
    return box.Inflate(kBorder, kBorder);
}

int HitTestTracker(const wxRect& box, const wxPoint& point) {
    const wxRect outer = TrackerRect(box);
    const int xs[3] = {outer.GetLeft(), outer.GetLeft() + outer.width / 2, outer.GetRight()};
    const int ys[3] = {outer.GetTop(), outer.GetTop() + outer.height / 2, outer.GetBottom()};
    // Clockwise from the top-left corner.
    const std::pair<int, int> handles[8] = {{0, 0}, {1, 0}, {2, 0}, {2, 1}, {2, 2}, {1, 2}, {0, 2}, {0, 1}};
    for (int i = 0; i < 8; ++i) {
        const wxRect handle(xs[handles[i].first] - kHandle / 2, ys[handles[i].second] - kHandle / 2,
                            kHandle + 1, kHandle + 1);
        if (handle.Contains(point)) return i;
    }
    return outer.Contains(point) ? TRACK_INSIDE : TRACK_NONE;
}

namespace {
void DrawHatchedBorder(wxDC& dc, const wxRect& box) {
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(*wxBLACK, wxBRUSHSTYLE_BDIAGONAL_HATCH));
    const wxRect outer = TrackerRect(box);
    dc.DrawRectangle(outer.x, outer.y, outer.width, kBorder);
    dc.DrawRectangle(outer.x, outer.GetBottom() - kBorder + 1, outer.width, kBorder);
    dc.DrawRectangle(outer.x, outer.y, kBorder, outer.height);
    dc.DrawRectangle(outer.GetRight() - kBorder + 1, outer.y, kBorder, outer.height);
}

void DrawTracker(wxDC& dc, const wxRect& box) {
    DrawHatchedBorder(dc, box);
    dc.SetBrush(*wxBLACK_BRUSH);
    const wxRect outer = TrackerRect(box);
    for (int x : {outer.GetLeft(), outer.GetLeft() + outer.width / 2, outer.GetRight()})
        for (int y : {outer.GetTop(), outer.GetTop() + outer.height / 2, outer.GetBottom()})
            if (x != outer.GetLeft() + outer.width / 2 || y != outer.GetTop() + outer.height / 2)
                dc.DrawRectangle(x - kHandle / 2, y - kHandle / 2, kHandle, kHandle);
}

}  // namespace

wxRect ToDeviceRect(const CPedigreeMapping& mapping, const CBoxRect& rect) {
    return wxRect(mapping.ToDevice(rect.left, rect.top), mapping.ToDevice(rect.right, rect.bottom));
}

// ---- drawing -----------------------------------------------------------------------------------------

void DrawPedigree(wxDC& dc, CAntecedantTree& tree, const CPedigreeMapping& mapping, const wxFont& font,
                  bool printing, const wxRect* deviceClip) {
    CAntecedantNode* root = tree.GetRoot();
    if (!root) return;
    dc.SetFont(font.Scaled(float(mapping.zoom / 100.0)));
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    const wxColour previousText = dc.GetTextForeground();
    const wxPen linePen(*wxBLACK, 1);
    auto line = [&](int x1, int y1, int x2, int y2) {
        dc.DrawLine(mapping.ToDevice(x1, y1), mapping.ToDevice(x2, y2));
    };

    root->ForEach([&](CAntecedantNode& node) {
        const CBoxRect& r = node.m_rect;
        const int middle = (r.top + r.bottom) / 2;
        const int centre = (r.left + r.right) / 2;
        const wxRect box = ToDeviceRect(mapping, r);
        if (!deviceClip || deviceClip->Intersects(TrackerRect(box))) {
            dc.SetTextForeground(node.m_animal->GetSex() == SEX_RAM ? wxColour(255, 0, 0)
                                                                    : wxColour(0, 0, 255));
            const wxRect upper(mapping.ToDevice(r.left, r.top), mapping.ToDevice(r.right, middle));
            const wxRect lower(mapping.ToDevice(r.left, middle), mapping.ToDevice(r.right, r.bottom));
            {
                wxDCClipper clip(dc, upper);
                dc.DrawText(ToWx(node.GetLine1()), mapping.ToDevice(r.left + 1, r.top - 1));
            }
            {
                wxDCClipper clip(dc, lower);
                dc.DrawText(ToWx(node.GetLine2()), mapping.ToDevice(r.left + 1, middle - 1));
            }
            dc.SetPen(linePen);
            dc.SetBrush(*wxTRANSPARENT_BRUSH);
            dc.DrawRectangle(upper);
            dc.DrawRectangle(lower);
            if ((node.m_nFlags & NODE_SELECTED) && !(node.m_nFlags & NODE_TRACKED) && !printing)
                DrawHatchedBorder(dc, box);
        }
        dc.SetPen(linePen);
        if (&node == root) line(centre, r.bottom, centre, r.bottom - 10);
        if (node.m_pSire || node.m_pDam) {
            int lowest = r.top;
            bool first = true;
            for (const auto* parent : {node.m_pSire.get(), node.m_pDam.get()}) {
                if (!parent) continue;
                lowest = first ? parent->m_rect.bottom : std::min(lowest, parent->m_rect.bottom);
                first = false;
            }
            const int junction = (r.top + lowest) / 2;
            line(centre, r.top, centre, junction);
            for (const auto* parent : {node.m_pSire.get(), node.m_pDam.get()}) {
                if (!parent) continue;
                const int parentCentre = (parent->m_rect.left + parent->m_rect.right) / 2;
                line(centre, junction, parentCentre, junction);
                line(parentCentre, junction, parentCentre, parent->m_rect.bottom);
            }
        }
    });
    dc.SetTextForeground(previousText);
    if (!printing && tree.GetSelected()) DrawTracker(dc, ToDeviceRect(mapping, tree.GetSelected()->m_rect));
}
