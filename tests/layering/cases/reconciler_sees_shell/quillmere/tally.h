#include "shell/main_frame.h"
