// Data files named as on a platform that ignores case.

#include "platform/system/DataPath.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

class DataPathTest : public ::testing::Test {
protected:
	void SetUp() override {
		savedRoot = DataRoot();
		char pattern[] = "/tmp/vortane-datapath-XXXXXX";
		ASSERT_NE(mkdtemp(pattern), nullptr);
		root = pattern;
		fs::create_directories(root / "Shader");
		std::ofstream(root / "Shader" / "Modelsahder.fx") << "technique";
		SetDataRoot(root.string());
	}

	void TearDown() override {
		SetDataRoot(savedRoot);
		fs::remove_all(root);
	}

	std::string savedRoot;
	fs::path root;
};

TEST_F(DataPathTest, BothSpellingsOfTheModelShaderNameOneFile) {
	const std::string expected = (root / "Shader" / "Modelsahder.fx").string();
	EXPECT_EQ(ResolveDataPath("Shader/ModelSahder.fx"), expected);
	EXPECT_EQ(ResolveDataPath("shader/MODELSAHDER.FX"), expected);
	EXPECT_EQ(ResolveDataPath("Shader\\Modelsahder.fx"), expected);

	std::vector<uint8_t> bytes;
	std::string why;
	ASSERT_TRUE(ReadDataFile("Shader/ModelSahder.fx", bytes, MAX_DATA_FILE_BYTES, why)) << why;
	EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "technique");
}

TEST_F(DataPathTest, MissingAndOversizedFilesFailWithAReason) {
	std::vector<uint8_t> bytes;
	std::string why;
	EXPECT_FALSE(ReadDataFile("Shader/Blur.fx", bytes, MAX_DATA_FILE_BYTES, why));
	EXPECT_NE(why.find("Blur.fx"), std::string::npos);
	EXPECT_FALSE(ReadDataFile("Shader/Modelsahder.fx", bytes, 3, why));
	EXPECT_TRUE(bytes.empty());
}

}  // namespace
