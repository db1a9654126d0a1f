// The player component's names, the part of its contract that needs no Windows headers: the player
// registers itself under them, the main window hosts the control by them, and the entry point hands the
// class id to the start-up check (core cannot include this header). The interfaces: player_interface.h.
#pragma once

#define TSLN_PLAYER_CLSID_TEXT "{3F8A6C21-5D4E-4B7A-9C1F-2E6D8B0A7C54}"
#define TSLN_PLAYER_PROGID "Tessaline.MoviePlayer"
