#include "document/toolbar_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "document/bar_rules.h"
#include "document/command_ids.h"

CToolbarLayout::CToolbarLayout(std::vector<int> current)
    : m_current(std::move(current)), m_original(m_current) {}

std::vector<int> CToolbarLayout::GetAvailable() const {
    std::vector<int> available{kSeparator};
    for (const CBarButton& button : kStandardCatalogue)
        if (std::find(m_current.begin(), m_current.end(), button.command) == m_current.end())
            available.push_back(button.command);
    return available;
}

bool CToolbarLayout::IsAvailable(int command) const {
    const std::vector<int> available = GetAvailable();
    return std::find(available.begin(), available.end(), command) != available.end();
}

bool CToolbarLayout::Add(int command, size_t position) {
    if (position > m_current.size() || !IsAvailable(command)) return false;
    m_current.insert(m_current.begin() + std::ptrdiff_t(position), command);
    return true;
}

bool CToolbarLayout::Remove(size_t position) {
    if (position >= m_current.size()) return false;
    m_current.erase(m_current.begin() + std::ptrdiff_t(position));
    return true;
}

bool CToolbarLayout::MoveUp(size_t position) {
    if (position == 0 || position >= m_current.size()) return false;
    std::swap(m_current[position - 1], m_current[position]);
    return true;
}

bool CToolbarLayout::MoveDown(size_t position) {
    if (position + 1 >= m_current.size()) return false;
    std::swap(m_current[position], m_current[position + 1]);
    return true;
}

// ---- the show-me pointer ------------------------------------------------------------------------

std::vector<CPointerPoint> SmoothPointerPath(CPointerPoint start, int left, int top, int right, int bottom) {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    const auto inside = [&](int x, int y) { return x >= left && x < right && y >= top && y < bottom; };
    std::vector<CPointerPoint> path;
    if (inside(start.x, start.y)) return path;
    const int cx = (left + right) / 2, cy = (top + bottom) / 2;
    const double dx = std::abs(cx - start.x), dy = std::abs(cy - start.y);
    // Five pixels along the line to the centre; a level line has no slope to divide by.
    double stepY = dy == 0 ? 0.0 : 5.0 / std::sqrt(dx * dx / (dy * dy) + 1);
    double stepX = std::sqrt(25.0 - stepY * stepY);
    if (start.x > cx) stepX = -stepX;
    if (start.y > cy) stepY = -stepY;
    double x = start.x, y = start.y;
    // The centre is inside, so the walk ends within the distance to it.
    const size_t limit = size_t(std::hypot(dx, dy) / 5.0) + 2;
    while (path.size() < limit) {
        x += stepX;
        y += stepY;
        path.push_back({int(x), int(y)});
        if (inside(int(x), int(y))) return path;
    }
    // A target narrower than a step is passed over: the pointer ends on its centre.
    path.push_back({cx, cy});
    return path;
}

namespace {

bool FindPath(const std::vector<CMenuNode>& items, int command, std::vector<int>& path) {
    for (size_t i = 0; i < items.size(); ++i) {
        path.push_back(int(i));
        if (items[i].items.empty() ? items[i].command == command : FindPath(items[i].items, command, path))
            return true;
        path.pop_back();
    }
    return false;
}

}  // namespace

std::vector<int> FindMenuPath(const std::vector<CMenuNode>& top, int command) {
    std::vector<int> path;
    if (!FindPath(top, command, path)) path.clear();
    return path;
}

int ShowMeSwitchCommand(int activeKind, int mask, int command) {
    if (activeKind & mask) return 0;
    if (mask & SHOWME_RECORD_VIEW) return ID_VIEW_SHEEP;
    if (mask & SHOWME_FLOCK_LIST) return ID_VIEW_FLOCK;
    if (mask & SHOWME_PEDIGREE) return ID_VIEW_ANTECEDANTS;
    return command;
}
