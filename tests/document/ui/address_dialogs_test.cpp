#include "document/ui/address_dialogs.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/frame.h>
#include <wx/listctrl.h>
#include <wx/textctrl.h>

#include "document/sheep_doc.h"
#include "document/ui/window_handles.h"
#include "document/ui/wx_strings.h"
#include "support/fake_address_dialogs.h"
#include "support/scripted_host_fixture.h"

namespace {

class AddressDialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char16_t* name : {u"market", u"Market", u"Vet"}) {
            auto address = MakeRef<CLocalAddress>(name);
            address->SetAddress(WString(name) + u" Road\r\nTown");
            doc.GetStores().SetAddressAt(name, address);
        }
    }
    void TearDown() override { CvlSetModalDriver({}); }

    CScopedScriptedHost host;
    CSheepDoc doc;
};

WString Cell(wxListCtrl* list, long row, int column) {
    return FromWx(list->GetItemText(row, column));
}

}  // namespace

TEST_F(AddressDialogsTest, DetailsPageRefusesInOrderWithTheFocusOnTheEdit) {
    struct Case {
        const char* name;
        const char16_t* display;
        const char16_t* postal;
        bool isNew;
        unsigned message;  // 0: accepted
        int focus;
    } cases[] = {
        {"no name, no address", u"", u"", false, 53, IDC_ADDRESS_DISPLAY_AS},
        {"new, name taken, no address", u"Vet", u"", true, 54, IDC_ADDRESS_DISPLAY_AS},
        {"edit keeps its own name", u"Vet", u"", false, 192, IDC_ADDRESS_POSTAL},
        {"new name, no address", u"Abattoir", u"", true, 192, IDC_ADDRESS_POSTAL},
        {"complete", u"Abattoir", u"1 Lane\nTown", true, 0, 0},
    };
    wxFrame top(nullptr, wxID_ANY, "top");
    top.Show();
    for (const Case& c : cases) {
        host.Clear();
        int focused = -1;
        CvlSetModalDriver([&](wxDialog& dialog) {
            auto& sheet = dynamic_cast<CCvlPropertySheet&>(dialog);
            EXPECT_EQ(FromWx(sheet.GetTitle()), u"Address Details");
            dynamic_cast<wxTextCtrl*>(sheet.FindWindow(IDC_ADDRESS_DISPLAY_AS))->ChangeValue(ToWx(c.display));
            dynamic_cast<wxTextCtrl*>(sheet.FindWindow(IDC_ADDRESS_POSTAL))->ChangeValue(ToWx(c.postal));
            sheet.PressOk();
            wxTheApp->Yield(true);
            if (wxWindow* focus = wxWindow::FindFocus()) focused = focus->GetId();
            if (!sheet.GetFlow().IsEnded()) sheet.PressCancel();
            return sheet.GetFlow().GetResult();
        });
        IAddressDialogs::CDetails details{u"", u"", u"", u"", u"", u"Old"};
        const int result = CvlRunAddressDetails(&top, &doc, details, c.isNew);
        if (c.message) {
            EXPECT_EQ(result, IDCANCEL) << c.name;
            EXPECT_EQ(host.MessageIds(), std::vector<unsigned>{c.message}) << c.name;
            if (focused != -1) {
                EXPECT_EQ(focused, c.focus) << c.name;
            }
            EXPECT_EQ(details.displayName, u"Old") << c.name;
        } else {
            EXPECT_EQ(result, IDOK) << c.name;
            EXPECT_TRUE(host.MessageIds().empty()) << c.name;
            EXPECT_EQ(details.displayName, u"Abattoir");
            EXPECT_EQ(details.postal, u"1 Lane\r\nTown");  // stored with CR LF
        }
    }
}

TEST_F(AddressDialogsTest, PickerPreselectsByKeyAndGivesTheRealKey) {
    struct Case {
        const char16_t* preset;
        const char16_t* selected;  // key of the preselected row; empty: none
    } cases[] = {
        {u"Market", u"Market"},                    // the exact key wins over a case-insensitive one
        {u"market", u"market"}, {u"VET", u"Vet"},  // without regard to case when no key is exact
        {u"Abattoir", u""},     {u"", u""},
    };
    for (const Case& c : cases) {
        WString selected = u"?";
        bool okEnabled = true;
        CvlSetModalDriver([&](wxDialog& dialog) {
            auto& picker = dynamic_cast<CAddressBrowserDlg&>(dialog);
            const std::vector<long> rows = CvlSelectedRows(picker.GetList());
            selected.clear();
            if (rows.size() == 1) doc.FindAddressKey(CvlAddressAt(picker.GetList(), rows[0]), &selected);
            okEnabled = picker.FindWindow(wxID_OK)->IsEnabled();
            return int(wxID_CANCEL);
        });
        CAddressBrowserDlg picker(&doc, nullptr);
        picker.m_strName = c.preset;
        EXPECT_EQ(picker.DoModal(), IDCANCEL);
        EXPECT_EQ(picker.m_strName, c.preset);  // cancelled: the caller's name stays
        EXPECT_EQ(selected, c.selected) << WToUtf8(c.preset);
        EXPECT_EQ(okEnabled, !WString(c.selected).empty()) << WToUtf8(c.preset);
    }

    // Its display name renamed without moving it: OK still gives the key it is filed under.
    doc.LookupAddress(u"Vet")->SetID(u"Vet Surgery");
    CvlSetModalDriver([&](wxDialog& dialog) {
        auto& picker = dynamic_cast<CAddressBrowserDlg&>(dialog);
        wxListCtrl* list = picker.GetList();
        EXPECT_EQ(list->GetItemCount(), 3);
        // In the map's order: "Market", "Vet", "market".
        EXPECT_EQ(Cell(list, 1, 0), u"Vet Surgery");
        EXPECT_EQ(Cell(list, 1, 1), u"Vet Road, Town");
        picker.PressOk();
        return picker.GetReturnCode();
    });
    CAddressBrowserDlg picker(&doc, nullptr);
    picker.m_strName = u"Vet";
    EXPECT_EQ(picker.DoModal(), IDOK);
    EXPECT_EQ(picker.m_strName, u"Vet");
}

TEST_F(AddressDialogsTest, PickerEditsAndAddsThroughTheDocument) {
    CFakeAddressDialogs dialogs;
    dialogs.edit = [](IAddressDialogs::CDetails& d) {
        d.telephone = u"555";
        return true;
    };
    CvlSetModalDriver([&](wxDialog& dialog) {
        auto& picker = dynamic_cast<CAddressBrowserDlg&>(dialog);
        wxListCtrl* list = picker.GetList();
        picker.PressProperties();
        EXPECT_EQ(Cell(list, 1, 4), u"555");
        EXPECT_FALSE(dialogs.calls.back().isNew);
        EXPECT_EQ(dialogs.calls.back().parent, CvlWindowHandle(&picker));
        dialogs.edit = [](IAddressDialogs::CDetails& d) {
            d.displayName = u"Abattoir";
            d.postal = u"Yard";
            return true;
        };
        picker.PressNew();
        EXPECT_EQ(list->GetItemCount(), 4);
        EXPECT_EQ(Cell(list, 0, 0), u"Abattoir");
        return int(wxID_CANCEL);
    });
    CAddressBrowserDlg picker(&doc, nullptr);
    picker.m_strName = u"Vet";
    picker.DoModal();
    EXPECT_EQ(doc.LookupAddress(u"Vet")->GetTelephone(), u"555");
    ASSERT_NE(doc.LookupAddress(u"Abattoir"), nullptr);
    EXPECT_TRUE(host.MessageIds().empty());  // the picker never asks to carry a rename over
}

TEST(WindowHandles, NumberALiveWindowElseTheActiveTopLevelWindow) {
    auto* top = new wxFrame(nullptr, wxID_ANY, "top");
    wxTheApp->SetTopWindow(top);
    auto* child = new wxFrame(top, wxID_ANY, "child");
    const long handle = CvlWindowHandle(child);
    EXPECT_NE(handle, 0);
    EXPECT_EQ(CvlWindowHandle(child), handle);
    EXPECT_EQ(CvlWindowFromHandle(handle), child);
    EXPECT_EQ(CvlWindowHandle(nullptr), 0);
    for (long foreign : {0L, 42L, -1L}) EXPECT_EQ(CvlWindowFromHandle(foreign), top) << foreign;
    delete child;
    EXPECT_EQ(CvlWindowFromHandle(handle), top);
    wxTheApp->SetTopWindow(nullptr);
    delete top;
}
