#pragma once
// Data files are named as on a case-insensitive platform ("Shader/ModelSahder.fx"
// and "Shader/Modelsahder.fx" are one file) and live beside the executable,
// whatever the working directory, or in share/vortane/ of the prefix the
// game was installed into.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Folder the game's files are taken from, with a trailing '/': found by
// FindDataRoot for the running executable. Tests may override it with
// SetDataRoot.
const std::string& DataRoot();
void SetDataRoot(const std::string& folder);

// The executable's folder (given with a trailing '/') when it holds data/
// or Shader/ in any case, as in a build; otherwise <folder>/../share/vortane/
// when that exists, as after an install; otherwise the executable's folder.
std::string FindDataRoot(const std::string& executableFolder);

// Absolute names pass through. A relative name is taken from DataRoot(): the
// exact spelling when it exists, otherwise each component matched without
// regard to case. When nothing matches, the exact spelling is returned so the
// caller's open fails normally.
std::string ResolveDataPath(const std::string& name);

// Reads a whole file (resolved as above) of at most maxBytes; false with a
// reason when it is missing, unreadable or too large.
bool ReadDataFile(const std::string& name, std::vector<uint8_t>& bytes, size_t maxBytes, std::string& why);

constexpr size_t MAX_DATA_FILE_BYTES = 256u * 1024u * 1024u;
