// Where the game takes its files from: beside itself in a build, from
// share/vortane/ after an install, and names still matched without case.

#include "platform/system/DataPath.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

class DataRootTest : public ::testing::Test {
protected:
	void SetUp() override {
		savedRoot = DataRoot();
		char pattern[] = "/tmp/vortane-dataroot-XXXXXX";
		ASSERT_NE(mkdtemp(pattern), nullptr);
		prefix = pattern;
		fs::create_directories(prefix / "bin");
	}

	void TearDown() override {
		SetDataRoot(savedRoot);
		fs::remove_all(prefix);
	}

	std::string Bin() const { return (prefix / "bin").string() + "/"; }
	std::string Installed() const { return (prefix / "share" / "vortane").string() + "/"; }

	static void WriteFile(const fs::path& path, const char* text) {
		fs::create_directories(path.parent_path());
		std::ofstream(path) << text;
	}

	std::string savedRoot;
	fs::path prefix;
};

TEST_F(DataRootTest, ABuildReadsBesideTheExecutableEvenWithAnInstallBesideIt) {
	WriteFile(prefix / "share" / "vortane" / "data" / "map" / "Map_01.route", "installed");
	WriteFile(prefix / "bin" / "data" / "map" / "Map_01.route", "built");
	EXPECT_EQ(FindDataRoot(Bin()), Bin());

	fs::remove_all(prefix / "bin" / "data");
	WriteFile(prefix / "bin" / "SHADER" / "Blur.fx", "built");
	EXPECT_EQ(FindDataRoot(Bin()), Bin()) << "a shader folder in any case marks a build";
}

TEST_F(DataRootTest, AnInstalledGameReadsShareVortaneWithNamesInAnyCase) {
	WriteFile(prefix / "share" / "vortane" / "data" / "map" / "Map_01.route", "installed");
	WriteFile(prefix / "share" / "vortane" / "Shader" / "Modelsahder.fx", "technique");
	const std::string root = FindDataRoot(Bin());
	ASSERT_EQ(root, Installed());

	SetDataRoot(root);
	std::vector<uint8_t> bytes;
	std::string why;
	ASSERT_TRUE(ReadDataFile("DATA\\Map\\map_01.ROUTE", bytes, MAX_DATA_FILE_BYTES, why)) << why;
	EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "installed");
	EXPECT_EQ(ResolveDataPath("Shader/ModelSahder.fx"), Installed() + "Shader/Modelsahder.fx");
}

TEST_F(DataRootTest, WithNeitherLayoutTheExecutableFolderStaysTheRootAndReadsFailWithAReason) {
	EXPECT_EQ(FindDataRoot(Bin()), Bin());
	// A stray share/ without the game's folder is not an install.
	fs::create_directories(prefix / "share" / "games");
	EXPECT_EQ(FindDataRoot(Bin()), Bin());

	SetDataRoot(FindDataRoot(Bin()));
	std::vector<uint8_t> bytes;
	std::string why;
	EXPECT_FALSE(ReadDataFile("data/map/Map_01.route", bytes, MAX_DATA_FILE_BYTES, why));
	EXPECT_NE(why.find("Map_01.route"), std::string::npos) << why;
}

}  // namespace
