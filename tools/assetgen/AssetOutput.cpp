#include "tools/assetgen/AssetOutput.h"

#include <filesystem>
#include <fstream>

AssetOutput::AssetOutput(std::string root_) : root(std::move(root_)) {}

bool AssetOutput::WriteFile(const std::string& relativePath, const std::vector<uint8_t>& bytes) {
	const std::filesystem::path path = std::filesystem::path(root) / relativePath;
	std::error_code error;
	std::filesystem::create_directories(path.parent_path(), error);
	std::ofstream file(path, std::ios::binary | std::ios::trunc);
	if (file) {
		file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
	}
	if (!file) {
		failed = true;
		return false;
	}
	written.push_back(relativePath);
	return true;
}

bool AssetOutput::WriteText(const std::string& relativePath, const std::string& text) {
	return WriteFile(relativePath, std::vector<uint8_t>(text.begin(), text.end()));
}
