// The record view's Picture page: the animal's pictures, one at a time, with Previous and Next.
#pragma once

#include "views/record_page.h"

class CHoverBitmapButton;
class CPictureCtrl;

constexpr int IDC_PICTURE = 1344;
constexpr int IDC_PICTURE_PREVIOUS = 1346;
constexpr int IDC_PICTURE_NEXT = 1347;

class CSheepViewImageTab : public CSheepViewPage {
public:
    CSheepViewImageTab(wxWindow* sheet, CSheepView* view);
    void ShowSheep(CSheep* sheep) override;

    void OnPrevious();
    void OnNext();

    CPictureCtrl* GetPicture() const { return m_pPicture; }
    CHoverBitmapButton* GetPreviousButton() const { return m_pPrevious; }
    CHoverBitmapButton* GetNextButton() const { return m_pNext; }
    int GetIndex() const { return m_nIndex; }

private:
    void ShowPicture(int index);
    void HideAll();

    CHoverBitmapButton* m_pPrevious;
    CHoverBitmapButton* m_pNext;
    CPictureCtrl* m_pPicture;
    int m_nIndex = 0;
};
