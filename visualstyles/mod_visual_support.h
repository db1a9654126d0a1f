// Visual-styles support for other programs: manifests for one program or for every program in a folder
// tree (by default the Program Files folder).
#pragma once
#include "visualstyles/manifest.h"

#include <string>

namespace tsln {

// single: a manifest for the program at `path` (whatever its extension). Otherwise a manifest for every
// program under the folder `path`, or under the Program Files folder when `path` is empty; nothing happens
// when that folder cannot be read. `show` receives each program's path as it is treated.
void AddVisualStyles(bool single, const std::string& path, const ShowPath& show = {});
// The same, deleting manifests.
void RemoveVisualStyles(bool single, const std::string& path, const ShowPath& show = {});

// The Program Files folder of the machine; empty (after a shown report on failure) when it cannot be read.
std::string GetProgFilesDir();

} // namespace tsln
