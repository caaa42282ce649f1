#include "views/record_breeding_pages.h"
#include "views/record_page.h"
#include "views/record_pages.h"
#include "views/record_picture_page.h"

CSheepViewPage* CreateRecordPage(RecordPageId id, wxWindow* sheet, CSheepView* view) {
    switch (id) {
        case PAGE_GENERAL:
            return new CSheepViewGeneralTab(sheet, view);
        case PAGE_SIGNET:
            return new CSheepViewSignetTab(sheet, view);
        case PAGE_GENETICS:
            return new CSheepViewGeneticsTab(sheet, view);
        case PAGE_HISTORY:
            return new CSheepViewEventTab(sheet, view);
        case PAGE_LAMBING:
            return new CSheepViewLambingTab(sheet, view);
        case PAGE_TUPPING:
            return new CSheepViewTuppingTab(sheet, view);
        case PAGE_PICTURE:
            return new CSheepViewImageTab(sheet, view);
        default:
            // Picture and charts pages come with their own work.
            return nullptr;
    }
}
