#include "../records/sheep.h"
