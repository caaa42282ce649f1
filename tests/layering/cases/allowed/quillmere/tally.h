#include "abi/reader_abi.h"
#include "document/sheep_doc.h"
