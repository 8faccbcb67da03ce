// The asset generator gives the same bytes on every run: two fresh runs
// into empty folders write the same files as each other and as the build.
#include "tests/assets/MeshTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::map<std::string, std::string> ReadTree(const fs::path& root) {
	std::map<std::string, std::string> files;
	for (const auto& entry : fs::recursive_directory_iterator(root)) {
		const std::string name = entry.path().filename().string();
		if (entry.is_regular_file() && name[0] != '.') {
			files[fs::relative(entry.path(), root).generic_string()] = ReadTextFile(entry.path().string());
		}
	}
	return files;
}

TEST(AssetGenerator, TwoRunsWriteIdenticalBytes) {
	const fs::path scratch = fs::temp_directory_path() / ("vortane-assetgen-" + std::to_string(::getpid()));
	fs::remove_all(scratch);
	for (const char* run : {"first", "second"}) {
		const std::string command = "./assetgen " + (scratch / run).string() + " > /dev/null";
		ASSERT_EQ(std::system(command.c_str()), 0) << command;
	}
	const auto first = ReadTree(scratch / "first");
	const auto second = ReadTree(scratch / "second");
	fs::remove_all(scratch);
	ASSERT_GT(first.size(), 30u);
	ASSERT_EQ(first.size(), second.size());
	for (const auto& [name, bytes] : first) {
		const auto other = second.find(name);
		ASSERT_NE(other, second.end()) << name;
		EXPECT_TRUE(bytes == other->second) << name << " differs between runs";
	}
	// The build's own copy came from the same sources.
	const auto built = ReadTree("data");
	for (const auto& [name, bytes] : first) {
		const auto copy = built.find(name);
		if (copy != built.end()) {
			EXPECT_TRUE(bytes == copy->second) << name << " differs from the build's data";
		}
	}
}

}  // namespace
