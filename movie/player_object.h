// The movie player object of tslnplay.dll: the movie, its playhead, its buttons and its window.
#pragma once
#include <windows.h>

namespace tsln::player {

// A new player, as IClassFactory::CreateInstance hands it out.
HRESULT CreatePlayer(REFIID riid, void** object);

} // namespace tsln::player
