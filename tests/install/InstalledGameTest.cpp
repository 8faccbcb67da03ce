// The build installed into a fresh prefix, as a package or `cmake --install`
// lays it out: the game alone in bin/, its files under share/vortane/, and
// what a desktop lists it by. The installed game then runs headless from
// another folder and must read its files from the prefix.

#include "tests/ChildProcess.h"

#include <gtest/gtest.h>
#include <stb_image.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr const char* APP_ID = "io.github.vortane.vortane";
// The installed game never quits by itself from the title: it is killed
// once it has traced this many frames, or after the limit however slow the
// renderer (the sanitizers make it many times slower).
constexpr int FRAMES_WANTED = 5;
constexpr int LIMIT_SECONDS = 120;

std::string Quoted(const fs::path& path) {
	std::string quoted(1, '\'');
	quoted.append(path.string()).push_back('\'');
	return quoted;
}

std::string ReadText(const fs::path& path) {
	std::ifstream file(path, std::ios::binary);
	std::ostringstream text;
	text << file.rdbuf();
	return text.str();
}

class InstalledGameTest : public ::testing::Test {
protected:
	static void SetUpTestSuite() {
		char pattern[] = "/tmp/vortane-install-XXXXXX";
		ASSERT_NE(mkdtemp(pattern), nullptr);
		prefix = new fs::path(pattern);
		installed = RunShellCommand(std::string("'") + VORTANE_CMAKE + "' --install '" + VORTANE_BUILD_DIR +
		                            "' --prefix " + Quoted(*prefix) + " 2>&1");
	}

	static void TearDownTestSuite() {
		std::error_code ignored;
		fs::remove_all(*prefix, ignored);
		delete prefix;
		prefix = nullptr;
	}

	void SetUp() override { ASSERT_EQ(installed.exitCode, 0) << installed.output; }

	static fs::path* prefix;
	static ChildOutcome installed;
};

fs::path* InstalledGameTest::prefix = nullptr;
ChildOutcome InstalledGameTest::installed;

TEST_F(InstalledGameTest, OnlyTheGameGoesToBinAndItsFilesToShareVortane) {
	EXPECT_TRUE(fs::is_regular_file(*prefix / "bin" / "vortane"));
	std::error_code error;
	for (const fs::directory_entry& entry : fs::directory_iterator(*prefix / "bin", error)) {
		EXPECT_EQ(entry.path().filename(), "vortane") << "installed beside the game: " << entry.path();
	}
	const fs::path share = *prefix / "share" / "vortane";
	EXPECT_TRUE(fs::is_regular_file(share / "Shader" / "Modelsahder.fx"));
	EXPECT_TRUE(fs::is_regular_file(share / "data" / "map" / "Map_01.route"));
	EXPECT_TRUE(fs::is_regular_file(share / "data" / "Texture" / "Title" / "Title.png"));
	EXPECT_FALSE(fs::exists(share / "data" / ".generated"));
	EXPECT_FALSE(fs::exists(share / "data" / "icons")) << "the icons belong to the icon theme only";
}

TEST_F(InstalledGameTest, DesktopEntryAndMetainfoValidate) {
	const fs::path desktop = *prefix / "share" / "applications" / (std::string(APP_ID) + ".desktop");
	const fs::path metainfo = *prefix / "share" / "metainfo" / (std::string(APP_ID) + ".metainfo.xml");
	const ChildOutcome entry = RunShellCommand("desktop-file-validate " + Quoted(desktop) + " 2>&1");
	EXPECT_EQ(entry.exitCode, 0) << entry.output;
	EXPECT_EQ(entry.output, "") << "warnings or hints";
	const ChildOutcome appstream = RunShellCommand("appstreamcli validate --no-net " + Quoted(metainfo) + " 2>&1");
	EXPECT_EQ(appstream.exitCode, 0) << appstream.output;
	EXPECT_NE(appstream.output.find("Validation was successful"), std::string::npos) << appstream.output;
	EXPECT_EQ(appstream.output.find(": "), std::string::npos) << "a warning, an info or a hint: " << appstream.output;

	const std::string text = ReadText(desktop);
	EXPECT_NE(text.find("\nExec=vortane\n"), std::string::npos) << text;
	EXPECT_NE(text.find("\nIcon=vortane\n"), std::string::npos) << text;
	EXPECT_NE(text.find("\nCategories=Game;ActionGame;\n"), std::string::npos) << text;
}

// Each size is drawn for itself: a badge whose corners are see-through, an
// opaque middle, and the visor's cyan glow across the head.
TEST_F(InstalledGameTest, IconThemeHoldsTheBadgeAtEverySize) {
	for (const int size : {256, 128, 64, 48, 32, 16}) {
		const std::string folder = std::to_string(size) + "x" + std::to_string(size);
		const fs::path path = *prefix / "share" / "icons" / "hicolor" / folder / "apps" / "vortane.png";
		int width = 0;
		int height = 0;
		int channels = 0;
		stbi_uc* pixels = stbi_load(path.c_str(), &width, &height, &channels, 4);
		ASSERT_NE(pixels, nullptr) << path;
		const auto at = [&](float u, float v) {
			const int x = static_cast<int>(u * width);
			const int y = static_cast<int>(v * height);
			return pixels + (static_cast<size_t>(y) * width + x) * 4;
		};
		EXPECT_EQ(width, size) << path;
		EXPECT_EQ(height, size) << path;
		EXPECT_EQ(at(0.0f, 0.0f)[3], 0) << folder;
		EXPECT_EQ(at(0.99f, 0.99f)[3], 0) << folder;
		EXPECT_EQ(at(0.5f, 0.6f)[3], 255) << folder;
		const stbi_uc* visor = at(0.45f, 0.44f);
		EXPECT_GT(visor[2], 180) << folder << ": the visor is not lit";
		EXPECT_GT(visor[2], visor[0] + 40) << folder << ": the visor is not cyan";
		stbi_image_free(pixels);
	}
}

TEST_F(InstalledGameTest, TheInstalledGameRunsFromAnotherFolderOnItsInstalledFiles) {
	const fs::path work = *prefix / "elsewhere";
	fs::create_directories(work);
	// strace records which files the game opened, the trace that it ran.
	// The game writes its own process id (sh execs it), so that it, not
	// strace, is killed once the frames are in; the time limit covers a game
	// that never gets there.
	const std::string wanted = std::to_string(FRAMES_WANTED);
	const std::string command =
		"cd " + Quoted(work) + " || exit 1; export SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null; "
		"strace -f -qq -e trace=openat -o opened.log timeout -s KILL " + std::to_string(LIMIT_SECONDS) +
		" sh -c 'echo $$ > game.pid; exec \"$0\" --trace trace.jsonl' " + Quoted(*prefix / "bin" / "vortane") +
		" 2>&1 & "
		"for poll in $(seq " + std::to_string(LIMIT_SECONDS * 10) + "); do "
		"[ -s game.pid ] && [ \"$(cat trace.jsonl 2>/dev/null | wc -l)\" -ge " + wanted + " ] && break; "
		"sleep 0.1; done; "
		"kill -KILL \"$(cat game.pid)\"; wait";
	const ChildOutcome run = RunShellCommand(command);
	EXPECT_EQ(run.output.find("ERROR"), std::string::npos) << run.output;

	// Whole lines only: the kill may cut the last one.
	const std::string traced = ReadText(work / "trace.jsonl");
	int frames = 0;
	for (size_t start = 0, end; (end = traced.find('\n', start)) != std::string::npos; start = end + 1) {
		const std::string line = traced.substr(start, end - start);
		const std::string expected = "{\"frame\":" + std::to_string(frames) + ",\"scene\":1,";
		ASSERT_EQ(line.rfind(expected, 0), 0u) << "line " << frames << ": " << line;
		++frames;
	}
	EXPECT_GE(frames, FRAMES_WANTED) << "within " << LIMIT_SECONDS << " s: " << run.output;

	const fs::path opened = work / "opened.log";
	const std::string files = ReadText(opened);
	const std::string share = (*prefix / "share" / "vortane").string();
	for (const std::string name : {"/Shader/Modelsahder.fx\", O_RDONLY) = ", "/data/Texture/Title/Title.png\", O_RDONLY) = "}) {
		EXPECT_NE(files.find(share + name), std::string::npos) << "not opened from the prefix: " << name;
	}
	EXPECT_EQ(files.find(share + "/data/Texture/Title/Title.png\", O_RDONLY) = -1"), std::string::npos);
}

}  // namespace
