// --mute: the game's sounds play on, and the loopback device renders
// nothing but silence; unmuted, they are heard again. The mute holds for a
// device opened after it.

#include "app/Application.h"
#include "audio/Sound.h"
#include "platform/audio/SoundMute.h"
#include "platform/system/ScriptedSystemBackend.h"
#include "tests/audio/LoopbackSignal.h"
#include "tests/audio/WavBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

using namespace loopback;

namespace {

float Loudest(const Stereo& out) {
	float loudest = 0.0f;
	for (const std::vector<float>* channel : {&out.left, &out.right}) {
		for (float sample : *channel) {
			loudest = std::max(loudest, std::fabs(sample));
		}
	}
	return loudest;
}

class SoundMuteTest : public LoopbackTest {
protected:
	void SetUp() override {
		LoopbackTest::SetUp();
		SetSystemBackend(&input);
	}

	void TearDown() override {
		SetSoundMuted(false);
		SetSystemBackend(nullptr);
		LoopbackTest::TearDown();
	}

	std::string MusicFile() const {
		return wav::WriteFile("mute_music.wav", wav::PcmFile(1, RATE, 16, wav::Sine16(440.0, RATE, Frames(0.5))));
	}

	ScriptedSystemBackend input;
};

TEST_F(SoundMuteTest, MutedMusicRendersSilenceAndIsHeardAgainUnmuted) {
	Sound music;
	ASSERT_TRUE(music.Load(MusicFile().c_str()));
	Render(512);
	ASSERT_GT(Rms(Render(Frames(0.1))), 0.1);

	SetSoundMuted(true);
	EXPECT_TRUE(SoundMuted());
	Render(512);
	EXPECT_EQ(Loudest(Render(Frames(0.2))), 0.0f);

	SetSoundMuted(false);
	Render(512);
	EXPECT_GT(Rms(Render(Frames(0.1))), 0.1);
	music.Release();
}

TEST_F(SoundMuteTest, AMuteSetBeforeTheDeviceOpensHoldsOnIt) {
	SetSoundMuted(true);
	ASSERT_TRUE(OpenLoopbackAudioForTests(RATE));
	Sound music;
	ASSERT_TRUE(music.Load(MusicFile().c_str()));
	Render(512);
	EXPECT_EQ(Loudest(Render(Frames(0.2))), 0.0f);
	music.Release();
}

}  // namespace
