#include "document/sheep_doc.h"
