#include "document/ui/sheet.h"
