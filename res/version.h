// The program's version, as its texts and its version resource show it.
#pragma once
#define TSLN_VERSION_MAJOR 1
#define TSLN_VERSION_MINOR 8
#define TSLN_VERSION_BUILD 0
#define TSLN_VERSION_REVISION 8
#define TSLN_VERSION_TEXT "1.8.0.8"
