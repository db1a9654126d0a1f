// The class id under which the movie player registers; the start-up check tests for it.
#pragma once

#define TSLN_PLAYER_CLSID_TEXT "{3F8A6C21-5D4E-4B7A-9C1F-2E6D8B0A7C54}"
#define TSLN_PLAYER_PROGID "Tessaline.MoviePlayer"
