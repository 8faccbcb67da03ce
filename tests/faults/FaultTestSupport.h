#pragma once
// What a player's machine can do to the game: a copy of the game in a
// folder of its own, with its data missing, cut short or overwritten, and
// the game run there as a child process whose exit, signals and log the
// tests read back.

#include "platform/system/DataPath.h"
#include "tests/ChildProcess.h"
#include "tests/RunnerOutput.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace faults {

namespace fs = std::filesystem;

enum class DataFault { Missing, Halved, RandomBytes };

inline const char* DataFaultName(DataFault fault) {
	switch (fault) {
	case DataFault::Missing: return "Missing";
	case DataFault::Halved: return "Halved";
	case DataFault::RandomBytes: return "RandomBytes";
	}
	return "?";
}

// Every regular file under folder, in name order, so that a seeded damage
// falls on the same bytes on every machine.
inline std::vector<fs::path> FilesUnder(const fs::path& folder) {
	std::vector<fs::path> files;
	for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
		if (entry.is_regular_file()) {
			files.push_back(entry.path());
		}
	}
	std::sort(files.begin(), files.end());
	return files;
}

inline void CutToHalf(const fs::path& file) { fs::resize_file(file, fs::file_size(file) / 2); }

inline void FillWithNoise(const fs::path& file, std::mt19937& generator) {
	std::string bytes(fs::file_size(file), '\0');
	for (char& byte : bytes) {
		byte = static_cast<char>(generator() & 0xFF);
	}
	std::ofstream(file, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The executables and the shaders beside them, copied (a link would lead
// the game back to the build's own data), and data/ as the fault leaves it.
class GameCopy {
public:
	static constexpr unsigned NOISE_SEED = 20240611;

	bool Make(DataFault fault) {
		char pattern[] = "/tmp/vortane-faults-XXXXXX";
		if (mkdtemp(pattern) == nullptr) {
			return false;
		}
		folder = pattern;
		const fs::path build = DataRoot();
		for (const char* program : {"vortane", "vortane-run"}) {
			fs::copy_file(build / program, folder / program);
		}
		fs::copy(build / "Shader", folder / "Shader", fs::copy_options::recursive);
		if (fault == DataFault::Missing) {
			return true;
		}
		fs::copy(build / "data", folder / "data", fs::copy_options::recursive);
		std::mt19937 generator(NOISE_SEED);
		for (const fs::path& file : FilesUnder(folder / "data")) {
			if (fault == DataFault::Halved) {
				CutToHalf(file);
			} else {
				FillWithNoise(file, generator);
			}
		}
		return true;
	}

	~GameCopy() {
		if (!folder.empty()) {
			std::error_code ignored;
			fs::remove_all(folder, ignored);
		}
	}

	fs::path folder;
};

using Outcome = ChildOutcome;

// A command run through the shell with extra variables. A child that hangs
// is killed after limitSeconds and reads as exit code 124 (137 if it would
// not stop); one killed by a signal reads as 128 + the signal.
inline Outcome RunChild(const std::string& environment, const std::string& program, const std::string& arguments,
                        int limitSeconds = 120) {
	const std::string command = "exec env " + environment + " timeout -k 5 " + std::to_string(limitSeconds) + " '" +
	                            program + "' " + arguments + " 2>&1";
	return RunShellCommand(command);
}

inline std::string Quoted(const fs::path& path) {
	std::string quoted(1, '\'');
	quoted.append(path.string()).push_back('\'');
	return quoted;
}

inline std::string WriteText(const fs::path& path, const std::string& text) {
	std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
	return path.string();
}

// Neither sanitizer spoke and nothing died by a signal.
inline void ExpectNoCrashReport(const Outcome& outcome) {
	EXPECT_EQ(outcome.output.find("AddressSanitizer"), std::string::npos) << outcome.output;
	EXPECT_EQ(outcome.output.find("LeakSanitizer"), std::string::npos) << outcome.output;
	EXPECT_EQ(outcome.output.find("runtime error"), std::string::npos) << outcome.output;
	EXPECT_LT(outcome.exitCode, 124) << outcome.output;
}


// Each scene in the order it became current, with the frame it did so.
inline std::vector<std::pair<int, int>> SceneChanges(const std::vector<int>& scenes) {
	std::vector<std::pair<int, int>> changes;
	for (size_t frame = 0; frame < scenes.size(); ++frame) {
		if (changes.empty() || changes.back().second != scenes[frame]) {
			changes.emplace_back(static_cast<int>(frame), scenes[frame]);
		}
	}
	return changes;
}

inline std::vector<std::string> Lines(const std::string& text) {
	std::vector<std::string> lines;
	std::istringstream stream(text);
	for (std::string line; std::getline(stream, line);) {
		lines.push_back(line);
	}
	return lines;
}

inline std::string ReadText(const fs::path& path) {
	std::ifstream file(path, std::ios::binary);
	return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Where the runner says the game could not start for want of a device,
// the machine, not the game, is at fault.
inline bool NoDeviceHere(const Outcome& outcome) {
	return outcome.exitCode == 1 && outcome.output.find("could not be created") != std::string::npos;
}

}  // namespace faults
