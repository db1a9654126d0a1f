// The agent including what is below it: fine.
#include "core/window.h"
#include "rotation/timers/xtimer.h"
#include "shellutil/movie_control.h"
