#include "abi/breed_abi.h"
#include "views/flock_view.h"
