// Portable paths name every file of the engine with "/" as separator. This is the one place that
// maps them to Linux paths:
// - trailing "/" and spaces are dropped; "." components after the first are skipped;
// - a relative path stays relative to the current directory;
// - in an absolute path, a first component that is an existing top-level directory is kept; a
//   drive ("C:") maps to the directory in the environment variable VARNEX_DRIVE_C (any letter),
//   else the path is invalid; any other first component is looked up as a volume label among the
//   mounted volumes (/media/<user>/<label>, /run/media/<user>/<label>, /mnt/<label>, ignoring
//   ASCII case) and replaced by its mount point when found;
// - an empty component or one longer than 127 bytes makes the path invalid (-13).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/VBase.h"

constexpr VResult kVInvalidPath = -13;

VResult VPlatformPath(std::string_view portable, std::string* platform);
// Linux paths already use "/"; an empty path is the root "/".
std::string VPortablePath(std::string_view platform);
// Splits at the last "/" (double-byte characters stepped over whole): the part before it ("/"
// when the only separator is the first byte, "" when there is none) and the name after it.
void VSplitPath(std::string_view path, std::string* directory, std::string* name);
// Joins a directory and a name with one "/".
std::string VJoinPath(std::string_view directory, std::string_view name);

// The folders searched for volume labels: each holds labels directly ("/mnt") or per user
// ("/media", "/run/media"). Setting them (tests do) forgets the labels collected so far.
struct VVolumeRoot {
  std::string folder;
  bool perUser;
};
void VSetVolumeRoots(std::vector<VVolumeRoot> roots);

// The platform's temporary directory: $TMPDIR, else /tmp.
std::string VTempDirectoryPath();
