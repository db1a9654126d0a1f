// Core reaching up to the agent: refused.
#include "core/window.h"
#include "rotation/frm_logo.h"
