// The agent including what is below it: fine.
#include "core/window.h"
#include "rotation/timers/xtimer.h"
#include "movie/player_contract.h"
