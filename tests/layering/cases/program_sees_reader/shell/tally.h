#include "wyndrace/reader.h"
