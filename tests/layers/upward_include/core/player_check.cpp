// Core reaching into a component: refused. Resources are fine.
#include "res/version.h"
#include "movie/player_clsid.h"
