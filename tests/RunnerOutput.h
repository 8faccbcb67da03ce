#pragma once
// Reading what vortane-run printed, for the tests that run it.

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

// The runner's "frame N scene S" lines (--trace-scenes), one scene a frame,
// checked to come in order from frame 0.
inline std::vector<int> TracedScenes(const std::string& text) {
	std::vector<int> scenes;
	std::istringstream lines(text);
	for (std::string line; std::getline(lines, line);) {
		unsigned frame = 0;
		int scene = 0;
		if (std::sscanf(line.c_str(), "frame %u scene %d", &frame, &scene) == 2) {
			EXPECT_EQ(frame, scenes.size()) << line;
			scenes.push_back(scene);
		}
	}
	return scenes;
}
