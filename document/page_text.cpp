#include "document/page_text.h"

#include "platform/oledate.h"

WString ExpandPageCodes(WStringView part, const CPageTextContext& context) {
    WString out;
    for (size_t i = 0; i < part.size(); ++i) {
        if (part[i] != u'&') {
            out += part[i];
            continue;
        }
        if (++i >= part.size()) break;
        switch (part[i]) {
            case u'&':
                out += u'&';
                break;
            case u'D':
                out += context.date.empty() ? COleDateTime::GetCurrentTime().Format("%x") : context.date;
                break;
            case u'F':
                out += context.path;
                break;
            case u'K':
                out += context.address.substr(0, context.address.find(u'\r'));
                break;
            case u'N':
                out += IntToW(context.pages);
                break;
            case u'O': {
                const size_t lf = context.address.find(u'\n');
                out += lf == WString::npos ? context.address : context.address.substr(0, lf ? lf - 1 : 0);
                break;
            }
            case u'P':
                out += IntToW(context.page);
                break;
            case u'T':
                out += context.title;
                break;
            default:
                break;
        }
    }
    return out;
}
