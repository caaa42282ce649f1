// The automation object layer in one include.
#pragma once

#include "platform/automation/cmdtarget.h"
#include "platform/automation/collection.h"
#include "platform/automation/com.h"
#include "platform/automation/dispatch.h"
#include "platform/automation/driver.h"
#include "platform/automation/errors.h"
#include "platform/automation/marshal.h"
#include "platform/automation/variant.h"
