#include "platform/system/DataPath.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

std::string ExecutableFolder() {
	std::error_code error;
	const fs::path executable = fs::read_symlink("/proc/self/exe", error);
	if (error) {
		return "./";
	}
	return executable.parent_path().string() + "/";
}

std::string& DataRootStorage() {
	static std::string root = FindDataRoot(ExecutableFolder());
	return root;
}

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
	return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
		return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
	});
}

// Finds the entry of folder whose name equals component ignoring case;
// an exact match wins so that differently-cased twins stay reachable.
bool FindEntryIgnoringCase(const fs::path& folder, const std::string& component, fs::path& found) {
	std::error_code error;
	if (fs::exists(folder / component, error)) {
		found = folder / component;
		return true;
	}
	for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
		if (EqualIgnoringCase(it->path().filename().string(), component)) {
			found = it->path();
			return true;
		}
	}
	return false;
}

}  // namespace

std::string FindDataRoot(const std::string& executableFolder) {
	fs::path found;
	const bool built = FindEntryIgnoringCase(executableFolder, "data", found) ||
	                   FindEntryIgnoringCase(executableFolder, "Shader", found);
	if (built) {
		return executableFolder;
	}
	// An installed game: bin/vortane beside share/vortane/.
	const fs::path installed = (fs::path(executableFolder) / ".." / "share" / "vortane").lexically_normal();
	std::error_code error;
	if (fs::is_directory(installed, error)) {
		return installed.string() + "/";
	}
	return executableFolder;
}

const std::string& DataRoot() { return DataRootStorage(); }

void SetDataRoot(const std::string& folder) {
	std::string root = folder;
	if (root.empty() || root.back() != '/') {
		root += '/';
	}
	DataRootStorage() = root;
}

std::string ResolveDataPath(const std::string& name) {
	std::string normalised = name;
	std::replace(normalised.begin(), normalised.end(), '\\', '/');
	if (!normalised.empty() && normalised.front() == '/') {
		return normalised;
	}
	const fs::path exact = fs::path(DataRoot()) / normalised;
	std::error_code error;
	if (fs::exists(exact, error)) {
		return exact.string();
	}
	fs::path current = DataRoot();
	for (const fs::path& component : fs::path(normalised)) {
		const std::string part = component.string();
		if (part.empty() || part == ".") {
			continue;
		}
		if (part == "..") {
			current = current.parent_path();
			continue;
		}
		fs::path next;
		if (!FindEntryIgnoringCase(current, part, next)) {
			return exact.string();
		}
		current = next;
	}
	return current.string();
}

bool ReadDataFile(const std::string& name, std::vector<uint8_t>& bytes, size_t maxBytes, std::string& why) {
	bytes.clear();
	const std::string path = ResolveDataPath(name);
	std::error_code error;
	if (!fs::is_regular_file(path, error)) {
		why = "file not found: " + name;
		return false;
	}
	const uintmax_t size = fs::file_size(path, error);
	if (error) {
		why = "cannot read the size of " + name;
		return false;
	}
	if (size > maxBytes) {
		why = "file too large: " + name;
		return false;
	}
	std::ifstream file(path, std::ios::binary);
	bytes.resize(static_cast<size_t>(size));
	if (!file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size))) {
		bytes.clear();
		why = "read failed: " + name;
		return false;
	}
	return true;
}
