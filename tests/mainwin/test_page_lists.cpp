// The lists page of the main window.
#include "tests/mainwin/mainwin_fixture.h"

#include <doctest.h>

using namespace mainwin_test;
