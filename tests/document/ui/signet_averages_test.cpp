// The Signet Averages dialog's fields: blank is not entered, numbers show with two decimals, and a
// text that is not a number is refused with message 156.
#include <gtest/gtest.h>
#include <wx/textctrl.h>

#include <cmath>

#include "document/ui/signet_averages_dlg.h"
#include "records/signet.h"
#include "support/scripted_host_fixture.h"

namespace {

wxTextCtrl* Edit(wxDialog& dialog, int id) {
    return static_cast<wxTextCtrl*>(dialog.FindWindow(id));
}

TEST(SignetAveragesDialog, ShowsAndTakesOptionalNumbers) {
    CScopedScriptedHost host;
    CSignetAveragesDlg dialog(nullptr);
    EXPECT_TRUE(std::isnan(dialog.m_dblLeanIndex));
    dialog.m_dblAWT = 1.5;
    dialog.m_dblScanWeightEBV = -0.126;
    ASSERT_TRUE(dialog.TransferDataToWindow());
    EXPECT_EQ(Edit(dialog, IDC_SIGNET_AWT)->GetValue(), "1.50");
    EXPECT_EQ(Edit(dialog, IDC_SIGNET_SCAN_WEIGHT)->GetValue(), "-0.13");
    EXPECT_EQ(Edit(dialog, IDC_SIGNET_LEAN_INDEX)->GetValue(), "");

    Edit(dialog, IDC_SIGNET_AWT)->SetValue(" 2.25\t");
    Edit(dialog, IDC_SIGNET_SCAN_WEIGHT)->SetValue(" \t ");
    Edit(dialog, IDC_SIGNET_LITTER)->SetValue("abc");
    EXPECT_FALSE(dialog.TransferDataFromWindow());
    EXPECT_EQ(host.MessageIds(), (std::vector<unsigned>{156}));
    EXPECT_EQ(dialog.m_dblAWT, 2.25);
    EXPECT_TRUE(std::isnan(dialog.m_dblLitterEBV));

    Edit(dialog, IDC_SIGNET_LITTER)->SetValue("0.00");
    EXPECT_TRUE(dialog.TransferDataFromWindow());
    EXPECT_EQ(dialog.m_dblLitterEBV, 0.0);
    EXPECT_TRUE(std::isnan(dialog.m_dblScanWeightEBV));
    EXPECT_TRUE(std::isnan(dialog.m_dblMaternalEBV));
    EXPECT_EQ(host.MessageIds().size(), 1u);
}

TEST(SignetAveragesDialog, TheLinkDoesNothingWithoutAnAddress) {
    CSignetAveragesDlg dialog(nullptr);
    EXPECT_FALSE(dialog.OpenSignetUrl());
}

}  // namespace
