// The generated sounds: well-formed 16-bit PCM at 44.1 kHz, mono where the
// game positions them, the music looping without a seam, and levels that
// leave room for the overlaps the game actually makes.

#include "audio/WaveFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct Wave {
	bool wellFormed = false;
	std::string problem;
	uint16_t formatTag = 0;
	uint16_t channels = 0;
	uint32_t sampleRate = 0;
	uint32_t byteRate = 0;
	uint16_t blockAlign = 0;
	uint16_t bitsPerSample = 0;
	std::vector<int16_t> samples;  // interleaved

	double Seconds() const { return channels ? samples.size() / static_cast<double>(channels) / sampleRate : 0.0; }
	double Peak() const {
		int peak = 0;
		for (int16_t s : samples) {
			peak = std::max(peak, std::abs(static_cast<int>(s)));
		}
		return peak / 32768.0;
	}
};

uint32_t U32(const std::vector<uint8_t>& b, size_t o) {
	return b[o] | b[o + 1] << 8 | b[o + 2] << 16 | static_cast<uint32_t>(b[o + 3]) << 24;
}

uint16_t U16(const std::vector<uint8_t>& b, size_t o) {
	return static_cast<uint16_t>(b[o] | b[o + 1] << 8);
}

// Walks the RIFF chunks on its own, independent of the game's reader.
Wave ReadWave(const std::string& path) {
	Wave wave;
	std::ifstream file(path, std::ios::binary);
	const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
	if (bytes.size() < 12 || std::string(bytes.begin(), bytes.begin() + 4) != "RIFF" ||
		std::string(bytes.begin() + 8, bytes.begin() + 12) != "WAVE") {
		wave.problem = "not RIFF/WAVE";
		return wave;
	}
	if (U32(bytes, 4) != bytes.size() - 8) {
		wave.problem = "RIFF size does not match the file";
		return wave;
	}
	bool haveFormat = false;
	bool haveData = false;
	size_t offset = 12;
	while (offset + 8 <= bytes.size()) {
		const std::string id(bytes.begin() + offset, bytes.begin() + offset + 4);
		const uint32_t size = U32(bytes, offset + 4);
		const size_t body = offset + 8;
		if (body + size > bytes.size()) {
			wave.problem = "chunk " + id + " runs past the end";
			return wave;
		}
		if (id == "fmt " && size >= 16) {
			wave.formatTag = U16(bytes, body);
			wave.channels = U16(bytes, body + 2);
			wave.sampleRate = U32(bytes, body + 4);
			wave.byteRate = U32(bytes, body + 8);
			wave.blockAlign = U16(bytes, body + 12);
			wave.bitsPerSample = U16(bytes, body + 14);
			haveFormat = true;
		} else if (id == "data") {
			if (!haveFormat) {
				wave.problem = "data before fmt";
				return wave;
			}
			for (size_t i = 0; i + 1 < size; i += 2) {
				wave.samples.push_back(static_cast<int16_t>(U16(bytes, body + i)));
			}
			haveData = true;
		}
		offset = body + size + (size & 1);
	}
	wave.wellFormed = haveFormat && haveData;
	if (!wave.wellFormed) {
		wave.problem = "missing fmt or data chunk";
	}
	return wave;
}

double Decibels(double level) {
	return 20.0 * std::log10(std::max(level, 1e-9));
}

struct SoundUse {
	const char* path;
	bool music;
};

const SoundUse SOUNDS[] = {
	{ "data/Sound/Title/TitleBGM.wav", true },
	{ "data/Sound/Game/Game_BGM.wav", true },
	{ "data/Sound/Title/Start_Button.wav", false },
	{ "data/Sound/Result/Button_01.wav", false },
	{ "data/Sound/Title/raser_test.wav", false },
	{ "data/Sound/Game/Shoot.wav", false },
	{ "data/Sound/Game/Raser_Charge.wav", false },
	{ "data/Sound/Game/Raser_beam.wav", false },
	{ "data/Sound/Game/Booster.wav", false },
	{ "data/Sound/Game/Foot_Sound.wav", false },
	{ "data/Sound/Game/Hit_Wall.wav", false },
	{ "data/Sound/Game/Hit_any.wav", false },
	{ "data/Sound/Game/Small_Bomb.wav", false },
	{ "data/Sound/Game/Big_Bomb.wav", false },
	{ "data/Sound/Game/Plasma_Shoot.wav", false },
	{ "data/Sound/Game/Plasma.wav", false },
};

TEST(SoundAssets, EverySoundIsSixteenBitPcmAt44100) {
	for (const SoundUse& sound : SOUNDS) {
		const Wave wave = ReadWave(sound.path);
		ASSERT_TRUE(wave.wellFormed) << sound.path << ": " << wave.problem;
		EXPECT_EQ(wave.formatTag, 1) << sound.path;
		EXPECT_EQ(wave.sampleRate, 44100u) << sound.path;
		EXPECT_EQ(wave.bitsPerSample, 16) << sound.path;
		EXPECT_EQ(wave.blockAlign, wave.channels * 2) << sound.path;
		EXPECT_EQ(wave.byteRate, wave.sampleRate * wave.blockAlign) << sound.path;
		EXPECT_GT(wave.samples.size(), 0u) << sound.path;
		// Every one-shot is played as a positioned voice, which only works in mono.
		if (!sound.music) {
			EXPECT_EQ(wave.channels, 1) << sound.path;
		} else {
			EXPECT_GE(wave.channels, 1) << sound.path;
			EXPECT_LE(wave.channels, 2) << sound.path;
		}
	}
}

TEST(SoundAssets, TheGamesOwnReaderLoadsEverySound) {
	for (const SoundUse& sound : SOUNDS) {
		const Wave expected = ReadWave(sound.path);
		ASSERT_TRUE(expected.wellFormed) << sound.path;
		WaveFile reader;
		ASSERT_EQ(reader.Open(sound.path), S_OK) << sound.path;
		ASSERT_NE(reader.format, nullptr) << sound.path;
		EXPECT_EQ(reader.format->wFormatTag, 1) << sound.path;
		EXPECT_EQ(reader.format->nChannels, expected.channels) << sound.path;
		EXPECT_EQ(reader.format->nSamplesPerSec, 44100u) << sound.path;
		const DWORD size = reader.dataChunk.cksize;
		EXPECT_EQ(size, expected.samples.size() * 2) << sound.path;
		std::vector<BYTE> data(size);
		DWORD read = 0;
		EXPECT_EQ(reader.Read(size, data.data(), &read), S_OK) << sound.path;
		EXPECT_EQ(read, size) << sound.path;
		reader.Close();
	}
}

TEST(SoundAssets, PeaksLeaveHeadroomForOverlaps) {
	for (const SoundUse& sound : SOUNDS) {
		const Wave wave = ReadWave(sound.path);
		ASSERT_TRUE(wave.wellFormed) << sound.path;
		const double peak = Decibels(wave.Peak());
		EXPECT_LE(peak, sound.music ? -6.0 : -12.0) << sound.path;
		EXPECT_GT(peak, -40.0) << sound.path << " is close to silent";
	}
}

TEST(SoundAssets, OneShotsStartAndStopAtRestWithoutOffset) {
	for (const SoundUse& sound : SOUNDS) {
		if (sound.music) {
			continue;
		}
		const Wave wave = ReadWave(sound.path);
		ASSERT_TRUE(wave.wellFormed) << sound.path;
		ASSERT_GT(wave.samples.size(), 2u) << sound.path;
		// A sound cut off mid-swing clicks as it starts or stops.
		EXPECT_LT(std::abs(wave.samples.front()), 328) << sound.path << " starts with a click";
		EXPECT_LT(std::abs(wave.samples.back()), 328) << sound.path << " stops with a click";
		double sum = 0.0;
		for (int16_t s : wave.samples) {
			sum += s;
		}
		EXPECT_LT(std::fabs(sum / wave.samples.size()), 0.01 * wave.Peak() * 32768.0 + 1.0)
			<< sound.path << " carries a DC offset";
	}
}

// The largest sample of the given copies of a mono sound mixed together,
// each starting `spacing` samples after the last.
double OverlapPeak(const Wave& wave, int copies, int spacing) {
	std::vector<int> mix(wave.samples.size() + static_cast<size_t>(copies) * spacing, 0);
	for (int copy = 0; copy < copies; ++copy) {
		for (size_t i = 0; i < wave.samples.size(); ++i) {
			mix[copy * static_cast<size_t>(spacing) + i] += wave.samples[i];
		}
	}
	int peak = 0;
	for (int value : mix) {
		peak = std::max(peak, std::abs(value));
	}
	return peak / 32768.0;
}

TEST(SoundAssets, SoundsRestartedEveryFrameDoNotClipAcrossThirtyVoices) {
	// The booster plays on every frame of movement, the damage hit on every
	// frame the beam touches, the buttons on every frame they are held; each
	// uses up to thirty voices in turn, a frame (about 16 ms) apart.
	const int frame = 44100 * 16 / 1000;
	for (const char* path : { "data/Sound/Game/Booster.wav", "data/Sound/Game/Hit_any.wav",
			 "data/Sound/Title/Start_Button.wav", "data/Sound/Result/Button_01.wav" }) {
		const Wave wave = ReadWave(path);
		ASSERT_TRUE(wave.wellFormed) << path;
		ASSERT_EQ(wave.channels, 1) << path;
		EXPECT_LT(Decibels(OverlapPeak(wave, 30, frame)), -1.0) << path;
	}
}

TEST(SoundAssets, ExplosionsFiredFiveAtOnceDoNotClip) {
	// A destroyed enemy starts its death explosion on five voices in the same
	// frame, so the copies add up in phase.
	const Wave wave = ReadWave("data/Sound/Game/Small_Bomb.wav");
	ASSERT_TRUE(wave.wellFormed);
	EXPECT_LT(Decibels(OverlapPeak(wave, 5, 0)), -3.0);
}

TEST(SoundAssets, BoosterEndsBeforeItsVoiceComesRoundAgain) {
	// Restarted every frame on thirty voices in turn, a voice is asked to play
	// again thirty frames later; if it were still sounding the restart would
	// be lost and the thrust would stutter.
	const Wave wave = ReadWave("data/Sound/Game/Booster.wav");
	ASSERT_TRUE(wave.wellFormed);
	EXPECT_LE(wave.Seconds(), 30 * 0.016);
}

TEST(SoundAssets, LaserChargeAndBeamFillTheirPhases) {
	// The charge lasts 140 frames before the beam starts; the beam then
	// fires for 360 frames.
	const Wave charge = ReadWave("data/Sound/Game/Raser_Charge.wav");
	const Wave beam = ReadWave("data/Sound/Game/Raser_beam.wav");
	ASSERT_TRUE(charge.wellFormed && beam.wellFormed);
	EXPECT_LE(charge.Seconds(), 140 / 60.0 + 0.01) << "charge would run into the beam";
	EXPECT_GE(charge.Seconds(), 140 * 0.016 * 0.75);
	EXPECT_GE(beam.Seconds(), 360 * 0.016 * 0.9);
	EXPECT_LE(beam.Seconds(), 360 / 60.0 + 0.5);
}

TEST(SoundAssets, MusicLoopsForHalfAMinuteWithoutASeam) {
	for (const char* path : { "data/Sound/Title/TitleBGM.wav", "data/Sound/Game/Game_BGM.wav" }) {
		const Wave wave = ReadWave(path);
		ASSERT_TRUE(wave.wellFormed) << path;
		EXPECT_GE(wave.Seconds(), 30.0) << path;
		const size_t channels = wave.channels;
		const size_t frames = wave.samples.size() / channels;
		ASSERT_GT(frames, 44100u) << path;
		for (size_t channel = 0; channel < channels; ++channel) {
			auto at = [&](size_t i) { return static_cast<int>(wave.samples[i * channels + channel]); };
			// The step from the last sample to the first must be one the music
			// makes anyway: no larger than 99 % of its own sample-to-sample steps.
			std::vector<int> steps;
			steps.reserve(frames);
			for (size_t i = 1; i < frames; ++i) {
				steps.push_back(std::abs(at(i) - at(i - 1)));
			}
			std::nth_element(steps.begin(), steps.begin() + steps.size() * 99 / 100, steps.end());
			const int ordinary = steps[steps.size() * 99 / 100];
			EXPECT_LE(std::abs(at(0) - at(frames - 1)), ordinary) << path << " clicks at the loop point";
			// Nor may the loop fall silent just before it starts again.
			double energy = 0.0;
			const size_t tail = 44100 / 10;
			for (size_t i = frames - tail; i < frames; ++i) {
				energy += static_cast<double>(at(i)) * at(i);
			}
			EXPECT_GT(Decibels(std::sqrt(energy / tail) / 32768.0), -45.0) << path << " goes quiet at the end";
		}
	}
}

// Level in dBFS of the signal after a one-pole low- or high-pass at the
// given corner frequency.
double BandLevel(const Wave& wave, double corner, bool highPass) {
	const double coefficient = 1.0 - std::exp(-2.0 * 3.14159265358979 * corner / wave.sampleRate);
	double low = 0.0;
	double energy = 0.0;
	for (size_t i = 0; i < wave.samples.size(); i += wave.channels) {
		const double x = wave.samples[i] / 32768.0;
		low += (x - low) * coefficient;
		const double y = highPass ? x - low : low;
		energy += y * y;
	}
	return Decibels(std::sqrt(energy / (wave.samples.size() / wave.channels)));
}

TEST(SoundAssets, MusicSpansBassToTreble) {
	for (const char* path : { "data/Sound/Title/TitleBGM.wav", "data/Sound/Game/Game_BGM.wav" }) {
		const Wave wave = ReadWave(path);
		ASSERT_TRUE(wave.wellFormed) << path;
		EXPECT_GT(BandLevel(wave, 150.0, false), -40.0) << path << " lacks a low end";
		EXPECT_GT(BandLevel(wave, 6000.0, true), -55.0) << path << " has no treble";
		EXPECT_LT(BandLevel(wave, 6000.0, true), BandLevel(wave, 150.0, false)) << path << " is all hiss";
	}
}

}  // namespace
