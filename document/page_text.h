// The codes of a page setup's header and footer templates, expanded for one printed page.
#pragma once

#include "platform/text.h"

struct CPageTextContext {
    WString title;    // &T
    WString path;     // &F: the active document's full path
    WString address;  // &K and &O: the flock's address (lines separated by CR LF)
    int page = 1;     // &P
    int pages = 1;    // &N
    WString date;     // &D; empty: today's date in the locale's form
};

// "&&" gives "&"; D, F, K (the address up to its first CR), N, O (up to its first LF, the character
// before it excluded), P and T give their texts; any other letter, and a last lone "&", nothing.
WString ExpandPageCodes(WStringView part, const CPageTextContext& context);
