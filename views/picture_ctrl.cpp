#include "views/picture_ctrl.h"

#include <wx/dcclient.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/mstream.h>
#include <wx/settings.h>
#include <wx/wfstream.h>

#include <map>
#include <vector>

#include "document/ui/wx_strings.h"

namespace {

std::map<int, std::vector<uint8_t>>& Resources() {
    static std::map<int, std::vector<uint8_t>> resources;
    return resources;
}

}  // namespace

void CvlEnsureImageHandlers() {
    if (!wxImage::FindHandler(wxBITMAP_TYPE_JPEG)) wxInitAllImageHandlers();
}

CPictureCtrl::CPictureCtrl(wxWindow* parent, int id, bool loadResourceById)
    : wxWindow(parent, id, wxDefaultPosition, wxDefaultSize, wxFULL_REPAINT_ON_RESIZE) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    CvlEnsureImageHandlers();
    Bind(wxEVT_PAINT, &CPictureCtrl::OnPaint, this);
    if (loadResourceById && id >= 1 && !HasPicture()) {
        Refresh();
        LoadFromResource(id);
    }
}

void CPictureCtrl::RegisterResource(int id, const uint8_t* data, size_t size) {
    Resources()[id].assign(data, data + size);
}

bool CPictureCtrl::LoadFromFile(const WString& path) {
    wxLogNull quiet;
    wxFFileInputStream in(ToWx(path));
    if (!in.IsOk()) return false;
    m_picture = wxBitmap();
    wxImage image;
    if (image.LoadFile(in, wxBITMAP_TYPE_ANY) && image.IsOk()) m_picture = wxBitmap(image);
    Refresh();
    return true;
}

bool CPictureCtrl::LoadFromResource(int id) {
    const auto found = Resources().find(id);
    if (found == Resources().end()) return false;
    LoadFromBytes(found->second.data(), found->second.size());
    return true;
}

void CPictureCtrl::LoadFromBytes(const void* data, size_t size) {
    wxLogNull quiet;
    m_picture = wxBitmap();
    wxMemoryInputStream in(data, size);
    wxImage image;
    if (image.LoadFile(in, wxBITMAP_TYPE_ANY) && image.IsOk()) m_picture = wxBitmap(image);
    Refresh();
}

void CPictureCtrl::Clear() {
    m_picture = wxBitmap();
    Refresh();
}

wxSize CPictureCtrl::GetPictureSize() const {
    return m_picture.IsOk() ? m_picture.GetSize() : wxSize(0, 0);
}

void CPictureCtrl::Render(wxDC& dc, wxRect rect) const {
    if (!m_picture.IsOk()) return;
    if (rect.IsEmpty() && rect.GetPosition() == wxPoint(0, 0)) rect = wxRect(GetPictureSize());
    if (rect.GetSize() == GetPictureSize()) {
        dc.DrawBitmap(m_picture, rect.GetPosition());
    } else if (rect.width > 0 && rect.height > 0) {
        dc.DrawBitmap(wxBitmap(m_picture.ConvertToImage().Scale(rect.width, rect.height)), rect.GetPosition());
    }
}

void CPictureCtrl::OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    const wxRect client(GetClientSize());
    const wxRect picture = wxRect(GetPictureSize()).Intersect(client);
    // Only the area outside the picture gets the background, so the picture never flickers.
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE)));
    if (picture.IsEmpty()) {
        dc.DrawRectangle(client);
        return;
    }
    dc.DrawRectangle(picture.GetRight() + 1, 0, client.width - picture.width, client.height);
    dc.DrawRectangle(0, picture.GetBottom() + 1, picture.width, client.height - picture.height);
    // At its natural size: what does not fit is clipped by the control.
    dc.SetClippingRegion(picture);
    dc.DrawBitmap(m_picture, 0, 0);
    dc.DestroyClippingRegion();
}
