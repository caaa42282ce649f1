#include "document/antecedants.h"

#include <algorithm>

#include "document/sheep_doc.h"
#include "records/sheep.h"

namespace {
constexpr unsigned FIELD_ONE_OF = 9;
constexpr int kGap = 10;
}  // namespace

CAntecedantNode::CAntecedantNode(CSheep* animal, CAntecedantNode* child)
    : m_animal(animal), m_pChild(child) {}

CAntecedantNode::~CAntecedantNode() = default;

WString CAntecedantNode::GetLine1() const {
    return m_animal->GetTattoo() + u" (" + m_animal->GetFieldText(FIELD_ONE_OF) + u")";
}

WString CAntecedantNode::GetLine2() const {
    return m_animal->GetName();
}

CBoxSize CAntecedantNode::MeasureBox(const CTextMeasure& measure, bool subtree) const {
    const CBoxSize one = measure(GetLine1()), two = measure(GetLine2());
    CBoxSize size{std::max(one.cx, two.cx) + 1, 2 * std::max(one.cy, two.cy) + 2};
    if (!subtree) return size;
    for (const auto* parent : {m_pSire.get(), m_pDam.get()}) {
        if (!parent) continue;
        const CBoxSize above = parent->MeasureBox(measure, true);
        size.cx = std::max(size.cx, above.cx);
        size.cy = std::max(size.cy, above.cy);
    }
    return size;
}

int CAntecedantNode::GetDepth() const {
    if (!m_pSire && !m_pDam) return 0;
    return 1 + std::max(m_pSire ? m_pSire->GetDepth() : 0, m_pDam ? m_pDam->GetDepth() : 0);
}

void CAntecedantNode::Layout(int x, int y, int span, const CTextMeasure& measure) {
    const CBoxSize size = MeasureBox(measure, true);
    m_rect = {x - size.cx / 2, y + size.cy, x + size.cx / 2, y};
    if (m_pSire) m_pSire->Layout(x - span / 4, y + size.cy + kGap, span / 2, measure);
    if (m_pDam) m_pDam->Layout(x + span / 4, y + size.cy + kGap, span / 2, measure);
}

CAntecedantNode* CAntecedantNode::HitTest(int x, int y) {
    if (m_rect.Contains(x, y)) return this;
    if (m_pSire)
        if (CAntecedantNode* hit = m_pSire->HitTest(x, y)) return hit;
    if (m_pDam)
        if (CAntecedantNode* hit = m_pDam->HitTest(x, y)) return hit;
    return nullptr;
}

void CAntecedantNode::ForEach(const std::function<void(CAntecedantNode&)>& fn) {
    fn(*this);
    if (m_pSire) m_pSire->ForEach(fn);
    if (m_pDam) m_pDam->ForEach(fn);
}

void CAntecedantNode::Offset(int dx, int dy) {
    ForEach([dx, dy](CAntecedantNode& node) {
        node.m_rect.left += dx;
        node.m_rect.right += dx;
        node.m_rect.top += dy;
        node.m_rect.bottom += dy;
    });
}

// ---- the tree ------------------------------------------------------------------------------------

void CAntecedantTree::SetRoot(CSheep* animal, const CTextMeasure& measure) {
    m_pSelected = nullptr;
    m_pRoot.reset();
    if (!animal) return;
    m_pRoot = std::make_unique<CAntecedantNode>(animal, nullptr);
    const CBoxSize size = m_pRoot->MeasureBox(measure, false);
    m_pRoot->m_rect = {(500 - size.cx) / 2, -250, (500 + size.cx) / 2, -250 - size.cy};
}

bool CAntecedantTree::CanAddParent(bool sire) const {
    if (!m_pSelected) return false;
    const auto& box = sire ? m_pSelected->m_pSire : m_pSelected->m_pDam;
    const WString& id = sire ? m_pSelected->m_animal->GetSire() : m_pSelected->m_animal->GetDam();
    return !box && !id.empty();
}

bool CAntecedantTree::AddParent(bool sire, const CSheepDoc& doc, const CTextMeasure& measure,
                                WString* missing) {
    if (!m_pSelected) return false;
    const WString id = sire ? m_pSelected->m_animal->GetSire() : m_pSelected->m_animal->GetDam();
    CSheep* parent = doc.FindSheep(id);
    if (!parent) {
        if (missing) *missing = id;
        return false;
    }
    auto& box = sire ? m_pSelected->m_pSire : m_pSelected->m_pDam;
    box = std::make_unique<CAntecedantNode>(parent, m_pSelected);
    Relayout(measure);
    return true;
}

bool CAntecedantTree::Hide(const CTextMeasure& measure) {
    if (!CanHide()) return false;
    CAntecedantNode* child = m_pSelected->m_pChild;
    auto& link = child->m_pSire.get() == m_pSelected ? child->m_pSire : child->m_pDam;
    m_pSelected = nullptr;
    link.reset();
    Relayout(measure);
    return true;
}

void CAntecedantTree::Relayout(const CTextMeasure& measure) {
    if (!m_pRoot) return;
    const int depth = m_pRoot->GetDepth();
    const CBoxSize size = m_pRoot->MeasureBox(measure, true);
    const CBoxRect& rect = m_pRoot->m_rect;
    m_pRoot->Layout((rect.left + rect.right) / 2, rect.bottom, (1 << std::min(depth, 24)) * size.cx, measure);
}

CBoxRect CAntecedantTree::GetBounds() const {
    if (!m_pRoot) return {};
    CBoxRect bounds = m_pRoot->m_rect;
    m_pRoot->ForEach([&](CAntecedantNode& node) {
        bounds.left = std::min(bounds.left, node.m_rect.left);
        bounds.right = std::max(bounds.right, node.m_rect.right);
        bounds.top = std::max(bounds.top, node.m_rect.top);
        bounds.bottom = std::min(bounds.bottom, node.m_rect.bottom);
    });
    return bounds;
}

CBoxRect CAntecedantTree::Normalize() {
    if (!m_pRoot) return {};
    const CBoxRect bounds = GetBounds();
    m_pRoot->Offset(10 - bounds.left, -10 - bounds.top);
    return GetBounds();
}

bool CAntecedantTree::Prune(const CSheepDoc& doc) {
    if (!m_pRoot) return false;
    auto gone = [&doc](const CAntecedantNode& node) {
        return doc.FindSheep(node.m_animal->GetTattoo()) != node.m_animal.Get();
    };
    if (gone(*m_pRoot)) {
        m_pRoot.reset();
        m_pSelected = nullptr;
        return true;
    }
    bool pruned = false;
    std::function<void(CAntecedantNode&)> walk = [&](CAntecedantNode& node) {
        for (auto* link : {&node.m_pSire, &node.m_pDam}) {
            if (!*link) continue;
            if (gone(**link)) {
                (*link)->ForEach([this](CAntecedantNode& lost) {
                    if (&lost == m_pSelected) m_pSelected = nullptr;
                });
                link->reset();
                pruned = true;
            } else {
                walk(**link);
            }
        }
    };
    walk(*m_pRoot);
    return pruned;
}

void CAntecedantTree::ClearFlags(int mask) {
    if (m_pRoot) m_pRoot->ForEach([mask](CAntecedantNode& node) { node.m_nFlags &= ~mask; });
}
