#include "views/flock_view.h"
