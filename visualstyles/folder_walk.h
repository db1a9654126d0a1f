// The walk over a folder tree that treats every program in it.
#pragma once
#include <functional>
#include <string>

namespace tsln {

// Receives each program the walk finds, with whether its manifest file (its name and ".manifest", any
// letter case, any attributes, a folder too) is in its folder: the answer a file test would give.
using TreatProgram = std::function<void(const std::string& path, bool hasManifest)>;

// Calls `treat` with the full path of every file whose name ends in ".exe" (any letter case) in `folder`
// (which ends in a backslash) and in all its sub-folders, hidden ones included; entries with the system
// attribute are left out. Each folder is listed once: its programs come first, in listing order, then its
// sub-folders, in listing order. Lets pending window messages run after every entry. Folders that are
// reparse points (junctions, mounted volumes, links) are not entered, so every tree ends; memory grows
// with the depth and the widest single folder only. A failure on one entry skips that entry.
void WalkPrograms(const std::string& folder, const TreatProgram& treat);
// The same for a caller that needs only the paths.
void WalkPrograms(const std::string& folder, const std::function<void(const std::string& path)>& treat);

// True when `name` ends in ".exe", whatever the letter case.
bool IsProgramName(const std::string& name);

} // namespace tsln
