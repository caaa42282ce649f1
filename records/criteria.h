// A selection of animals: which kind (on the farm at a date, born, sold, purchased or died in a
// year, or all), the date it refers to, and switches for the sexes and age classes. Animals are
// tested against it by CSheep::MatchesCriteria.
#pragma once

#include <cstdint>

#include "platform/object.h"
#include "platform/oledate.h"
#include "platform/text.h"
#include "platform/wintypes.h"

// The kinds of selection (flock lists keep a column layout for each).
enum CriteriaKind : int {
    CRITERIA_ON_FARM = 0,
    CRITERIA_BORN = 1,
    CRITERIA_SOLD = 2,
    CRITERIA_PURCHASED = 3,
    CRITERIA_DIED = 4,
    CRITERIA_ALL = 5,
};

class CCriteria : public CObject {
    DECLARE_DYNCREATE(CCriteria)
public:
    // On the farm now, every sex and age class.
    CCriteria();
    CCriteria(const CCriteria& other) = default;
    CCriteria& operator=(const CCriteria& other) = default;
    ~CCriteria() override;

    // The title of the selection ("All Dedov On Farm As At ..."); empty for a kind outside 0..5.
    WString GetDescription() const;

    // The age-class test of an animal born on dateOfBirth (the third step of the animal's test).
    bool MatchesAge(const COleDateTime& dateOfBirth) const;

    int32_t m_nType = CRITERIA_ON_FARM;
    COleDateTime m_dtDate;
    BOOL m_bRams = TRUE;
    BOOL m_bEwes = TRUE;
    BOOL m_bAdults = TRUE;
    BOOL m_bShearlings = TRUE;
    BOOL m_bLambs = TRUE;
};
