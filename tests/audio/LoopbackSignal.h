#pragma once
// Rendering the loopback device and measuring what came out.

#include "platform/audio/LoopbackAudio.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace loopback {

constexpr int RATE = 44100;

struct Stereo {
	std::vector<float> left;
	std::vector<float> right;
};

inline Stereo Render(int frames) {
	std::vector<float> mixed(static_cast<size_t>(frames) * 2);
	RenderLoopbackSamples(mixed.data(), frames);
	Stereo out;
	out.left.reserve(frames);
	out.right.reserve(frames);
	for (int i = 0; i < frames; ++i) {
		out.left.push_back(mixed[2 * i]);
		out.right.push_back(mixed[2 * i + 1]);
	}
	return out;
}

inline int Frames(double seconds) { return static_cast<int>(seconds * RATE); }

inline double Rms(const std::vector<float>& samples) {
	double sum = 0.0;
	for (float s : samples) {
		sum += static_cast<double>(s) * s;
	}
	return samples.empty() ? 0.0 : std::sqrt(sum / samples.size());
}

inline double Rms(const Stereo& stereo) { return std::sqrt((Rms(stereo.left) * Rms(stereo.left) + Rms(stereo.right) * Rms(stereo.right)) / 2.0); }

// From the rising zero crossings, placed between samples by interpolation;
// 0 without two of them.
inline double Frequency(const std::vector<float>& samples) {
	double first = -1.0;
	double last = -1.0;
	int crossings = 0;
	for (size_t i = 1; i < samples.size(); ++i) {
		if (samples[i - 1] < 0.0f && samples[i] >= 0.0f) {
			const double at = (i - 1) + samples[i - 1] / (samples[i - 1] - samples[i]);
			if (first < 0.0) {
				first = at;
			}
			last = at;
			++crossings;
		}
	}
	if (crossings < 2) {
		return 0.0;
	}
	return (crossings - 1) * static_cast<double>(RATE) / (last - first);
}

// Each test mixes on a fresh loopback device; afterwards the default device
// may open again.
class LoopbackTest : public ::testing::Test {
protected:
	void SetUp() override { ASSERT_TRUE(OpenLoopbackAudioForTests(RATE)); }
	void TearDown() override { CloseAudioForTests(true); }
};

} // namespace loopback
