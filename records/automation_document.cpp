#include "records/automation_document.h"

#include <algorithm>

void COwnerLinks::Remove(CAutoDependent* dependent) {
    m_dependents.erase(std::remove(m_dependents.begin(), m_dependents.end(), dependent), m_dependents.end());
}

void COwnerLinks::DetachAll() {
    // A dependent told of the end may let go of itself; it is off the list by then.
    std::vector<CAutoDependent*> dependents;
    dependents.swap(m_dependents);
    for (CAutoDependent* d : dependents) d->OnOwnerGone(this);
}
