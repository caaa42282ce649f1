#include "document/antecedants.h"

#include <gtest/gtest.h>

#include "document/page_text.h"
#include "document/sheep_doc.h"
#include "records/sheep.h"
#include "support/scripted_host_fixture.h"

namespace {

// Every character 10 units wide, every line 20 high: a box is 10 x the longer line + 1 wide, 42 high.
CBoxSize Measure(const WString& text) {
    return {int(text.size()) * 10, 20};
}

class AntecedantsTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Root R; its sire S and dam D; S's sire SS. D names a dam the flock lacks.
        Add(u"R", u"S", u"D");
        Add(u"S", u"SS", u"");
        Add(u"D", u"", u"GONE");
        Add(u"SS", u"", u"");
    }
    CSheep* Add(const char16_t* tattoo, const char16_t* sire, const char16_t* dam) {
        auto* sheep = new CSheep(tattoo, 0, &doc);
        sheep->SetSire(sire);
        sheep->SetDam(dam);
        EXPECT_GE(doc.AddSheep(sheep, false), 0);
        return sheep;
    }
    static int Centre(const CAntecedantNode* node) { return (node->m_rect.left + node->m_rect.right) / 2; }

    CScopedScriptedHost host;
    CSheepDoc doc;
    CAntecedantTree tree;
};

}  // namespace

TEST_F(AntecedantsTest, ParentsSpreadWithTheDepthOfTheTree) {
    tree.SetRoot(doc.FindSheep(u"R"), Measure);
    CAntecedantNode* root = tree.GetRoot();
    const CBoxSize box = root->MeasureBox(Measure, false);
    EXPECT_EQ(box, (CBoxSize{int(root->GetLine1().size()) * 10 + 1, 42}));
    EXPECT_EQ(root->m_rect, (CBoxRect{(500 - box.cx) / 2, -250, (500 + box.cx) / 2, -250 - box.cy}));
    const int centre = Centre(root);

    tree.SetSelected(root);
    ASSERT_TRUE(tree.AddParent(true, doc, Measure, nullptr));
    ASSERT_TRUE(tree.AddParent(false, doc, Measure, nullptr));
    EXPECT_EQ(root->GetDepth(), 1);
    const int width = root->MeasureBox(Measure, true).cx;  // the widest box of the tree
    // Depth 1: span 2 x width, so the parents' centres lie width/2 either side, 10 above the root.
    EXPECT_EQ(Centre(root), centre);
    EXPECT_EQ(Centre(root->m_pSire.get()), centre - width / 2);
    EXPECT_EQ(Centre(root->m_pDam.get()), centre + width / 2);
    EXPECT_EQ(root->m_pSire->m_rect.bottom, root->m_rect.top + 10);

    // A grandparent doubles the span: the parents move apart.
    tree.SetSelected(root->m_pSire.get());
    ASSERT_TRUE(tree.AddParent(true, doc, Measure, nullptr));
    EXPECT_EQ(root->GetDepth(), 2);
    const int wider = root->MeasureBox(Measure, true).cx;  // "SS (0)" is wider than the others
    EXPECT_GT(wider, width);
    EXPECT_EQ(Centre(root->m_pSire.get()), centre - wider);
    EXPECT_EQ(Centre(root->m_pDam.get()), centre + wider);
    EXPECT_EQ(Centre(root->m_pSire->m_pSire.get()), centre - wider - wider / 2);
    EXPECT_EQ(root->m_pSire->m_pSire->m_rect.bottom, root->m_pSire->m_rect.top + 10);

    const CBoxRect bounds = tree.Normalize();
    EXPECT_EQ(bounds.left, 10);
    EXPECT_EQ(bounds.top, -10);
    EXPECT_EQ(tree.GetRoot()->HitTest(Centre(root), root->m_rect.bottom + 1), root);
    EXPECT_EQ(tree.GetRoot()->HitTest(Centre(root), root->m_rect.bottom - 5), nullptr);
}

TEST_F(AntecedantsTest, CommandsFollowWhatTheAnimalNames) {
    tree.SetRoot(doc.FindSheep(u"R"), Measure);
    CAntecedantNode* root = tree.GetRoot();
    EXPECT_FALSE(tree.CanAddParent(true));  // nothing selected
    tree.SetSelected(root);
    EXPECT_FALSE(tree.CanHide());  // never the root
    ASSERT_TRUE(tree.AddParent(false, doc, Measure, nullptr));
    EXPECT_FALSE(tree.CanAddParent(false));  // already shown
    tree.SetSelected(root->m_pDam.get());
    EXPECT_FALSE(tree.CanAddParent(true));  // no sire named
    ASSERT_TRUE(tree.CanAddParent(false));
    WString missing;
    EXPECT_FALSE(tree.AddParent(false, doc, Measure, &missing));
    EXPECT_EQ(missing, u"GONE");
    EXPECT_EQ(root->m_pDam->m_pDam, nullptr);
    ASSERT_TRUE(tree.CanHide());
    EXPECT_TRUE(tree.Hide(Measure));
    EXPECT_EQ(root->m_pDam, nullptr);
    EXPECT_EQ(tree.GetSelected(), nullptr);

    CAntecedantTree empty;
    empty.SetRoot(nullptr, Measure);
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_FALSE(empty.CanAddParent(true));
    EXPECT_FALSE(empty.CanHide());
}

TEST_F(AntecedantsTest, BoxesNeverKeepAnimalsTheFlockLetGo) {
    tree.SetRoot(doc.FindSheep(u"R"), Measure);
    tree.SetSelected(tree.GetRoot());
    tree.AddParent(true, doc, Measure, nullptr);
    tree.SetSelected(tree.GetRoot()->m_pSire.get());
    tree.AddParent(true, doc, Measure, nullptr);
    EXPECT_FALSE(tree.Prune(doc));

    // The sire replaced by another animal of the same tattoo: its box (and its sire's) go.
    int index = -1;
    ASSERT_TRUE(doc.FindSheepIndex(u"S", &index));
    doc.DeleteSheep(index);
    Add(u"S", u"SS", u"");
    EXPECT_TRUE(tree.Prune(doc));
    EXPECT_EQ(tree.GetRoot()->m_pSire, nullptr);
    EXPECT_EQ(tree.GetSelected(), nullptr);
    // The root deleted: an empty tree.
    ASSERT_TRUE(doc.FindSheepIndex(u"R", &index));
    doc.DeleteSheep(index);
    EXPECT_TRUE(tree.Prune(doc));
    EXPECT_TRUE(tree.IsEmpty());
}

TEST(PageText, CodesOfHeadersAndFooters) {
    CPageTextContext context;
    context.title = u"Antecedants of A1";
    context.path = u"/farm/flock.cvl";
    context.page = 3;
    context.pages = 7;
    context.date = u"11/12/2026";
    const struct {
        const char16_t* address;
        const char16_t* part;
        const char16_t* text;
    } cases[] = {
        {u"", u"Page &P of &N", u"Page 3 of 7"},
        {u"", u"&&P &T", u"&P Antecedants of A1"},
        {u"", u"a&Xb&", u"ab"},
        {u"", u"&F on &D", u"/farm/flock.cvl on 11/12/2026"},
        {u"Home Farm\r\nHill Road", u"&K|&O", u"Home Farm|Home Farm"},
        {u"Home Farm", u"&K|&O", u"Home Farm|Home Farm"},
    };
    for (const auto& c : cases) {
        context.address = c.address;
        EXPECT_EQ(ExpandPageCodes(c.part, context), c.text) << WToUtf8(c.part);
    }
}
