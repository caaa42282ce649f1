// The pedigree's tree of boxes without windows: one box per animal, its sire's and dam's boxes above
// it, their sizes from the texts they show, their places, and what the user does to the tree.
// Coordinates are logical units of 0.01 inch with y growing upwards (a box's top is above its bottom).
#pragma once

#include <functional>
#include <memory>

#include "platform/object.h"
#include "platform/text.h"

class CSheep;
class CSheepDoc;

struct CBoxRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return top - bottom; }
    bool Contains(int x, int y) const { return x >= left && x <= right && y <= top && y >= bottom; }
    bool operator==(const CBoxRect&) const = default;
};

struct CBoxSize {
    int cx = 0, cy = 0;
    bool operator==(const CBoxSize&) const = default;
};

// The size of a text in the drawing's font, logical units.
using CTextMeasure = std::function<CBoxSize(const WString& text)>;

constexpr int NODE_SELECTED = 1;
constexpr int NODE_TRACKED = 2;  // selected and drawn by the view's tracker

class CAntecedantNode {
public:
    CAntecedantNode(CSheep* animal, CAntecedantNode* child);
    ~CAntecedantNode();  // the sire's and dam's boxes go too
    CAntecedantNode(const CAntecedantNode&) = delete;
    CAntecedantNode& operator=(const CAntecedantNode&) = delete;

    // Line 1: tattoo, " (", the "one of" field, ")"; line 2: the name.
    WString GetLine1() const;
    WString GetLine2() const;
    // Width: the wider line + 1; height: 2 x the taller line + 2. With subtree: the largest width and
    // height over this box and all its ancestors.
    CBoxSize MeasureBox(const CTextMeasure& measure, bool subtree) const;
    // 0 without parents, else 1 + the larger depth of the parents.
    int GetDepth() const;
    // Places the box centred on x with its bottom at y, sized by the subtree, and its parents above
    // it: the sire at x - span/4, the dam at x + span/4, each with span/2, 10 units above the box.
    void Layout(int x, int y, int span, const CTextMeasure& measure);
    // The box under a point: this one, else the sire's subtree, else the dam's.
    CAntecedantNode* HitTest(int x, int y);
    // Every box from this one upwards, depth first (sire before dam).
    void ForEach(const std::function<void(CAntecedantNode&)>& fn);
    void Offset(int dx, int dy);

    CBoxRect m_rect;
    CRefPtr<CSheep> m_animal;  // held, so that a box never shows a freed animal
    std::unique_ptr<CAntecedantNode> m_pSire;
    std::unique_ptr<CAntecedantNode> m_pDam;
    CAntecedantNode* m_pChild;
    int m_nFlags = 0;
};

class CAntecedantTree {
public:
    // The root box for the animal (none: an empty tree), measured and placed with left (500 - w)/2,
    // right (500 + w)/2, top -250 and bottom -250 - h.
    void SetRoot(CSheep* animal, const CTextMeasure& measure);
    CAntecedantNode* GetRoot() const { return m_pRoot.get(); }
    CAntecedantNode* GetSelected() const { return m_pSelected; }
    void SetSelected(CAntecedantNode* node) { m_pSelected = node; }
    bool IsEmpty() const { return !m_pRoot; }

    // Whether the selected box can show its sire's (or dam's) box: it has none yet and the animal
    // names one.
    bool CanAddParent(bool sire) const;
    // Adds the box of the animal that the selected box's sire (or dam) identifier names, then
    // re-places the tree. False, with the identifier, when the flock has no such animal.
    bool AddParent(bool sire, const CSheepDoc& doc, const CTextMeasure& measure, WString* missing);
    // Removes the selected box with its ancestors (never the root) and re-places the tree.
    bool CanHide() const { return m_pSelected && m_pSelected != m_pRoot.get(); }
    bool Hide(const CTextMeasure& measure);
    // Places the whole tree from the root: span 2^depth x the subtree width.
    void Relayout(const CTextMeasure& measure);
    // The rectangle about every box.
    CBoxRect GetBounds() const;
    // Moves the tree so that its left edge is at 10 and its upper edge at -10; gives its bounds.
    CBoxRect Normalize();
    // Drops every box whose animal is no longer the one the flock files under its tattoo (deleted or
    // replaced); the root's going empties the tree. True when anything went.
    bool Prune(const CSheepDoc& doc);
    // Clears every box's flags; with keepSelection the selection bit stays.
    void ClearFlags(int mask);

private:
    std::unique_ptr<CAntecedantNode> m_pRoot;
    CAntecedantNode* m_pSelected = nullptr;
};
