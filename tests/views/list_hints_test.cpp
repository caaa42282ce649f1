#include <gtest/gtest.h>

#include <string>

#include "views/base_list_view.h"

namespace {

// Records which of the list's operations a hint calls, in order.
class CHintSpyView : public CBaseListView {
public:
    std::string calls;
    void OnColumnsChanged(CObject*) override { calls += "columns "; }
    void OnRecordChanged(CObject*) override { calls += "record "; }
    void FillList() override { calls += "fill "; }
    void RecreateFonts() override { calls += "fonts "; }
    void OnAddressesReloaded() override { calls += "addresses "; }
};

}  // namespace

TEST(ListHints, EachHintBitCallsItsOperationInOrder) {
    const struct {
        uint32_t hint;
        const char* calls;
    } cases[] = {
        {HINT_REFRESH_ALL, ""},
        {HINT_SHEEP_SET, "fill "},
        {HINT_COLUMNS, "columns "},
        {HINT_SHEEP, "record "},
        {HINT_SHEEP_SET | HINT_COLUMNS | HINT_SHEEP, "columns record fill "},
        {HINT_FONTS, "fonts "},
        {HINT_FONTS | HINT_SHEEP_SET, "fill fonts "},
        {HINT_ADDRESS_RELOADED, "addresses "},
        {HINT_ADDRESS, ""},
        {HINT_CURRENT, ""},
    };
    for (const auto& c : cases) {
        CHintSpyView view;
        view.OnUpdate(static_cast<CDocView*>(nullptr), c.hint, nullptr);
        EXPECT_EQ(view.calls, c.calls) << "hint " << c.hint;
    }
}
