// What the toolbar Customize dialog and the show-me pointer decide, without their windows: the
// Standard bar's buttons as the user rearranges them, the pointer's path to a target, the menu path
// of a command and the view a show-me request must switch to first.
#pragma once

#include <cstddef>
#include <vector>

// The Standard bar's positions (commands, -1 a separator) while the user customises it.
class CToolbarLayout {
public:
    static constexpr int kSeparator = -1;

    explicit CToolbarLayout(std::vector<int> current);

    const std::vector<int>& GetCurrent() const { return m_current; }
    // A separator, then the catalogue's buttons that are not on the bar, in catalogue order.
    std::vector<int> GetAvailable() const;
    // Puts an available button (or a separator) before position (the end with the bar's size).
    bool Add(int command, size_t position);
    // Takes the button at position off the bar; it is available again.
    bool Remove(size_t position);
    bool MoveUp(size_t position);
    bool MoveDown(size_t position);
    // Back to the buttons the layout was made with.
    void Reset() { m_current = m_original; }
    bool IsChanged() const { return m_current != m_original; }

private:
    bool IsAvailable(int command) const;

    std::vector<int> m_current;
    std::vector<int> m_original;
};

// ---- the show-me pointer ------------------------------------------------------------------------

struct CPointerPoint {
    int x, y;
    bool operator==(const CPointerPoint&) const = default;
};

// The pointer's stops from start towards the centre of the rectangle (right and bottom outside), five
// pixels apart, ending at the first stop inside it; empty when start is already inside.
std::vector<CPointerPoint> SmoothPointerPath(CPointerPoint start, int left, int top, int right, int bottom);

// A menu as show-me walks it: each item's command (0 for a sub-menu) and sub-menu items.
struct CMenuNode {
    int command = 0;
    std::vector<CMenuNode> items;
};
// The positions from the top down to the item of the command, depth first; empty when absent.
std::vector<int> FindMenuPath(const std::vector<CMenuNode>& top, int command);

// Kinds of the active view as show-me masks name them.
constexpr int SHOWME_RECORD_VIEW = 1;
constexpr int SHOWME_FLOCK_LIST = 2;
constexpr int SHOWME_REPORT_VIEW = 4;
constexpr int SHOWME_PEDIGREE = 8;
// The command whose menu path is played first to bring up a view of the mask (0 when the active
// kind is already in it): Individual Records, else Multiple Records, else Antecedants, else the
// command itself.
int ShowMeSwitchCommand(int activeKind, int mask, int command);
