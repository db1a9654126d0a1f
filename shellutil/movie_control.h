// The contract of the movie control that shows a skin's movie: the names under which the player
// component registers. The player registers itself under them, the main window hosts the control by
// them, and the entry point hands the class id to the start-up check (core cannot include this header).
#pragma once

#define TSLN_PLAYER_CLSID_TEXT "{3F8A6C21-5D4E-4B7A-9C1F-2E6D8B0A7C54}"
#define TSLN_PLAYER_PROGID "Tessaline.MoviePlayer"
