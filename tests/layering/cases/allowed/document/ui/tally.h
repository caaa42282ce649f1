#include "document/sheep_doc.h"
#include <wx/string.h>
#include "sheet.h"
