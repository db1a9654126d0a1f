// The manifest file that makes another program ask for the version 6 common controls, and the path
// helpers it is named with.
#pragma once
#include "visualstyles/program_architecture.h"

#include <functional>
#include <string>

namespace tsln {

// Receives the path of each program as it is treated, for the page that shows the work in progress.
// It may let window messages run.
using ShowPath = std::function<void(const std::string& path)>;

// The text after the last backslash of `path`; the whole of `path` when it has none.
std::string StripPath(const std::string& path);
// `text` up to its first NUL character; the whole text when there is none.
std::string CutAtNull(const std::string& text);

// The manifest beside the program at `programPath`: its folder with a backslash, its name, ".manifest".
std::string ManifestPath(const std::string& programPath);
// The ten CR LF ended lines of the manifest for a program file named `fileName` (no folder) built for
// `architecture`: a manifest naming another architecture than its program's stops that program starting.
std::string ManifestText(const std::string& fileName, ProgramArchitecture architecture);

// True when the program at `path` has a manifest file, whatever its attributes; false on any failure.
bool HasManifest(const std::string& path);

// Shows `path`, then writes its manifest (hidden, naming the architecture in the program's header) and a line
// in "programs.log" of the application folder, unless a manifest already exists. Failures are logged without
// a message box.
void CreateManifest(const std::string& path, const ShowPath& show = {});
// Shows `path`, then deletes its manifest whatever made it and whatever its attributes. Failures are
// logged without a message box.
void DeleteManifest(const std::string& path, const ShowPath& show = {});
// The same for a program whose manifest was looked for already (a folder walk reads it from the folder's
// listing): `hasManifest` stands for the file test.
void DeleteManifest(const std::string& path, bool hasManifest, const ShowPath& show = {});

} // namespace tsln
