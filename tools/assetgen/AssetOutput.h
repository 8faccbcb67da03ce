#pragma once
// Where the generator writes: a root folder (the game's data/) and a record
// of every file written, so a run can report what it made.

#include <cstdint>
#include <string>
#include <vector>

class AssetOutput {
public:
	explicit AssetOutput(std::string root);

	// Writes bytes to root/relativePath, creating folders; false on I/O failure.
	bool WriteFile(const std::string& relativePath, const std::vector<uint8_t>& bytes);
	bool WriteText(const std::string& relativePath, const std::string& text);

	const std::string& Root() const { return root; }
	const std::vector<std::string>& Written() const { return written; }
	bool Failed() const { return failed; }

private:
	std::string root;
	std::vector<std::string> written;
	bool failed = false;
};

// Each generator family adds its files; all return false on failure.
bool GenerateMeshes(AssetOutput& output);
bool GenerateTextures(AssetOutput& output);
bool GenerateSounds(AssetOutput& output);
bool GenerateEffects(AssetOutput& output);
// The desktop icon at every size the install puts in the icon theme.
bool GenerateIcons(AssetOutput& output);
