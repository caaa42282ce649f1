#include "views/record_breeding_pages.h"
#include "views/record_chart_page.h"
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
        case PAGE_CHARTS:
            return new CSheepViewChartTab(sheet, view);
        case PAGE_PICTURE:
            return new CSheepViewImageTab(sheet, view);
        default:
            return nullptr;
    }
}
