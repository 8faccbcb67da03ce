// vortane-run as a subprocess: the real main loop, device and title scene,
// headless, checked through its JSON report, its log and its pictures.

#include "platform/image/Image.h"
#include "platform/system/DataPath.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

struct Outcome {
	int exitCode = -1;
	std::string output;  // stdout and stderr together
};

class RunnerTest : public ::testing::Test {
protected:
	void SetUp() override {
		char pattern[] = "/tmp/vortane-runner-XXXXXX";
		ASSERT_NE(mkdtemp(pattern), nullptr);
		folder = pattern;
	}
	void TearDown() override { fs::remove_all(folder); }

	Outcome RunRunner(const std::string& arguments) {
		const std::string command =
			"SDL_VIDEODRIVER=offscreen '" + DataRoot() + "vortane-run' " + arguments + " 2>&1";
		Outcome outcome;
		FILE* pipe = popen(command.c_str(), "r");
		if (pipe == nullptr) {
			return outcome;
		}
		char buffer[4096];
		for (size_t read; (read = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0;) {
			outcome.output.append(buffer, read);
		}
		const int status = pclose(pipe);
		outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
		return outcome;
	}

	std::string WriteInput(const std::string& text) {
		const std::string path = (folder / "input.txt").string();
		std::ofstream(path) << text;
		return path;
	}

	fs::path folder;
};

TEST_F(RunnerTest, FiveFramesWithAShotOfTheLastAndAJsonReport) {
	const std::string shot = (folder / "t.png").string();
	const Outcome outcome = RunRunner("--frames 5 --shot 4:" + shot + " --json --seed 7");
	ASSERT_EQ(outcome.exitCode, 0) << outcome.output;
	EXPECT_NE(outcome.output.find("{\"frames\":5,\"scene\":1,\"battleFailed\":false,\"timing\":{\"update\":{\"median\":"),
	          std::string::npos)
		<< outcome.output;
	EXPECT_NE(outcome.output.find("\"draw\":{\"median\":"), std::string::npos);
	EXPECT_NE(outcome.output.find("\"frame\":{\"median\":"), std::string::npos);
	// The full-screen question was asked and, with no answer queued, declined.
	EXPECT_NE(outcome.output.find("フルスクリーンにしますか？ -> no"), std::string::npos) << outcome.output;

	std::ifstream file(shot, std::ios::binary);
	ASSERT_TRUE(file.good()) << "no picture at " << shot;
	const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
	Image image;
	std::string why;
	ASSERT_TRUE(ReadPngImage(bytes.data(), bytes.size(), image, why)) << why;
	EXPECT_EQ(image.width, 1280u);
	EXPECT_EQ(image.height, 720u);
	ASSERT_EQ(image.format, PixelFormat::BGRA8);
	// The title picture, centred on opaque black.
	const std::vector<uint8_t>& pixels = image.Surface(0, 0).bytes;
	ASSERT_EQ(pixels.size(), 1280u * 720u * 4u);
	const auto lit = [&pixels](size_t x, size_t y) {
		const uint8_t* p = &pixels[(y * 1280u + x) * 4u];
		return (p[0] | p[1] | p[2]) != 0;
	};
	EXPECT_TRUE(lit(640, 360));
	EXPECT_TRUE(lit(300, 600));
	EXPECT_FALSE(lit(1160, 360));
	EXPECT_FALSE(lit(640, 700));
	size_t translucent = 0;
	for (size_t i = 3; i < pixels.size(); i += 4) {
		translucent += pixels[i] != 255 ? 1 : 0;
	}
	EXPECT_EQ(translucent, 0u);
}

TEST_F(RunnerTest, AnswersGoInOrderFromTheFullScreenQuestionOn) {
	const std::string input = WriteInput(
		"# decline full screen, close at frame 2, decline, close at 4, confirm\n"
		"answer no\n"
		"2 close\n"
		"answer no\n"
		"4 close\n"
		"answer yes\n");
	const Outcome outcome = RunRunner("--frames 50 --input " + input + " --json");
	ASSERT_EQ(outcome.exitCode, 0) << outcome.output;
	// The quit ends the run after frames 0 to 3; no scene is left.
	EXPECT_NE(outcome.output.find("{\"frames\":4,\"scene\":0,"), std::string::npos) << outcome.output;
	EXPECT_NE(outcome.output.find("frame 2: box \"確認\": 終了しますか？ -> no"), std::string::npos) << outcome.output;
	EXPECT_NE(outcome.output.find("frame 4: box \"確認\": 終了しますか？ -> yes"), std::string::npos);
}

TEST_F(RunnerTest, EscapeOnTheTitleQuitsWithYes) {
	const std::string input = WriteInput("0 down ESCAPE\nanswer no\nanswer yes\n");
	const Outcome outcome = RunRunner("--frames 50 --input " + input + " --json");
	ASSERT_EQ(outcome.exitCode, 0) << outcome.output;
	EXPECT_NE(outcome.output.find("{\"frames\":0,\"scene\":0,"), std::string::npos) << outcome.output;
}

TEST_F(RunnerTest, BadInputAndBadArgumentsStopBeforeTheGameStarts) {
	const std::string input = WriteInput("0 down W\n1 down SPACE\n");
	Outcome outcome = RunRunner("--frames 5 --input " + input);
	EXPECT_EQ(outcome.exitCode, 2);
	EXPECT_NE(outcome.output.find("line 2:"), std::string::npos) << outcome.output;

	outcome = RunRunner("--frames 5 --input " + (folder / "missing.txt").string());
	EXPECT_EQ(outcome.exitCode, 2);

	outcome = RunRunner("--frames five");
	EXPECT_EQ(outcome.exitCode, 2);
	EXPECT_NE(outcome.output.find("usage:"), std::string::npos);
}

}  // namespace
