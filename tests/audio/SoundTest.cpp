#include "app/Application.h"
#include "audio/Sound.h"
#include "audio/SoundEffect.h"
#include "platform/system/ScriptedSystemBackend.h"
#include "tests/audio/LoopbackSignal.h"
#include "tests/audio/WavBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

using namespace loopback;

namespace {

std::string SineFile(const char* name, double frequency, double seconds) {
	return wav::WriteFile(name, wav::PcmFile(1, RATE, 16, wav::Sine16(frequency, RATE, Frames(seconds))));
}

DWORD Status(IDirectSoundBuffer8* buffer) {
	DWORD status = 0;
	buffer->GetStatus(&status);
	return status;
}

DWORD Position(IDirectSoundBuffer8* buffer) {
	DWORD play = 0;
	buffer->GetCurrentPosition(&play, nullptr);
	return play;
}

double Decibels(double ratio) { return 20.0 * std::log10(ratio); }

// Right over left: 0 dB is centred, positive leans right.
double BalanceDb(const Stereo& out) { return Decibels(Rms(out.right) / Rms(out.left)); }

// Starts the effect's next voice and renders a stretch of it, past the start.
Stereo PlayAndRender(SoundEffect& effect) {
	effect.Play();
	Render(512);
	return Render(Frames(0.1));
}

// Plays one voice from its start, renders it and stops it again.
Stereo RenderVoice(IDirectSoundBuffer8* voice) {
	voice->SetCurrentPosition(0);
	voice->Play(0, 0, 0);
	Render(512);
	const Stereo out = Render(Frames(0.1));
	voice->Stop();
	return out;
}

// Music whose device a test may make voices on.
class ViewSound : public Sound {
public:
	IDirectSound8* Device() const { return device; }
};

class SoundTest : public LoopbackTest {
protected:
	void SetUp() override {
		LoopbackTest::SetUp();
		SetSystemBackend(&input);
		Application& hub = Application::Get();
		hub.cameraEye = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
		hub.cameraTarget = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
		hub.viewPitch = 0.0f;
		hub.viewYaw = 0.0f;
	}

	void TearDown() override {
		SetSystemBackend(nullptr);
		LoopbackTest::TearDown();
	}

	// Holds key through the given number of title frames.
	void HoldFor(int key, int frames, Sound& sound) {
		input.SetKey(input.Frame(), key, true);
		for (int i = 0; i < frames; ++i) {
			sound.Update();
			input.AdvanceFrame();
		}
		input.SetKey(input.Frame(), key, false);
	}

	double MeasuredFrequency() {
		Render(512);
		return Frequency(Render(Frames(0.2)).left);
	}

	ScriptedSystemBackend input;
};

} // namespace

TEST_F(SoundTest, MusicStartsOnLoadAndKeepsSoundingPastItsLength) {
	Sound music;
	ASSERT_TRUE(music.Load(SineFile("short_music.wav", 440.0, 0.25).c_str()));
	EXPECT_EQ(Status(music.Buffer()), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
	Render(Frames(1.0));
	const Stereo late = Render(Frames(0.1));
	EXPECT_GT(Rms(late), 0.1);
	EXPECT_NEAR(Frequency(late.left), 440.0, 1.0);
	// Unpositioned: the same in both ears.
	EXPECT_NEAR(Rms(late.left), Rms(late.right), 1e-3);
	// The title stops it on the click; the place in the music is kept.
	music.Stop();
	EXPECT_EQ(Status(music.Buffer()), 0u);
	EXPECT_GT(Position(music.Buffer()), 0u);
	EXPECT_LT(Rms(Render(Frames(0.1))), 1e-5);
	music.Release();
}

TEST_F(SoundTest, HoldingHOrJScalesThePitchByOnePercentAFrame) {
	Sound music;
	ASSERT_TRUE(music.Load(SineFile("music_h.wav", 441.0, 1.0).c_str()));
	ASSERT_EQ(music.Frequency(), static_cast<DWORD>(RATE));
	const double before = MeasuredFrequency();
	EXPECT_NEAR(before, 441.0, 1.0);

	HoldFor('H', 10, music);
	DWORD expected = RATE;
	for (int i = 0; i < 10; ++i) {
		expected = static_cast<DWORD>(static_cast<float>(expected) * 1.01f);
	}
	EXPECT_EQ(music.Frequency(), expected);
	const double raised = MeasuredFrequency() / before;
	EXPECT_NEAR(raised, 1.01 * 1.01 * 1.01 * 1.01 * 1.01 * 1.01 * 1.01 * 1.01 * 1.01 * 1.01, 0.003);

	HoldFor('J', 10, music);
	for (int i = 0; i < 10; ++i) {
		expected = static_cast<DWORD>(static_cast<float>(expected) * 0.99f);
	}
	EXPECT_EQ(music.Frequency(), expected);
	EXPECT_NEAR(MeasuredFrequency() / before, static_cast<double>(expected) / RATE, 0.003);
	music.Release();
}

TEST_F(SoundTest, JHeldToTheBottomStillLetsHBringThePitchBack) {
	Sound music;
	ASSERT_TRUE(music.Load(SineFile("music_j.wav", 441.0, 1.0).c_str()));
	HoldFor('J', 700, music);
	EXPECT_EQ(music.Frequency(), DSBFREQUENCY_MIN);
	HoldFor('H', 60, music);
	EXPECT_GT(music.Frequency(), DSBFREQUENCY_MIN + 50);
	DWORD playing = 0;
	music.Buffer()->GetFrequency(&playing);
	EXPECT_EQ(playing, music.Frequency());
	music.Release();
}

TEST_F(SoundTest, FSilencesTheMusicAndGRewindsItEvenWhileStopped) {
	// Half a second at 440 Hz, then half a second at 880 Hz.
	wav::Bytes samples = wav::Sine16(440.0, RATE, Frames(0.5));
	wav::Append(samples, wav::Sine16(880.0, RATE, Frames(0.5)));
	Sound music;
	ASSERT_TRUE(music.Load(wav::WriteFile("two_tone.wav", wav::PcmFile(1, RATE, 16, samples)).c_str()));
	Render(Frames(0.6));
	EXPECT_NEAR(Frequency(Render(Frames(0.1)).left), 880.0, 2.0);

	HoldFor('G', 1, music);
	EXPECT_NEAR(MeasuredFrequency(), 440.0, 1.0);

	Render(Frames(0.2));
	HoldFor('F', 1, music);
	EXPECT_EQ(Status(music.Buffer()), 0u);
	EXPECT_LT(Rms(Render(Frames(0.2))), 1e-5);
	EXPECT_GT(Position(music.Buffer()), 0u);

	HoldFor('G', 1, music);
	EXPECT_EQ(Position(music.Buffer()), 0u);
	EXPECT_LT(Rms(Render(Frames(0.1))), 1e-5);
	// Started again, it plays from the beginning.
	ASSERT_EQ(music.Buffer()->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
	EXPECT_NEAR(Frequency(Render(Frames(0.2)).left), 440.0, 1.0);
	music.Release();
}

TEST_F(SoundTest, ThirtyOneQuickPlaysStartThirtyVoices) {
	SoundEffect effect;
	ASSERT_TRUE(effect.Load(SineFile("blip.wav", 440.0, 0.5).c_str()));
	for (int i = 0; i < SOUND_EFFECT_VOICES; ++i) {
		EXPECT_EQ(Status(effect.Voice(i)), 0u) << i;
	}
	for (int i = 0; i < SOUND_EFFECT_VOICES; ++i) {
		effect.Play();
	}
	Render(Frames(0.1));
	const DWORD voice0Before = Position(effect.Voice(0));
	EXPECT_GT(voice0Before, 0u);
	effect.Play();
	EXPECT_EQ(effect.NextVoice(), 1);
	int playing = 0;
	for (int i = 0; i < SOUND_EFFECT_VOICES; ++i) {
		playing += (Status(effect.Voice(i)) & DSBSTATUS_PLAYING) ? 1 : 0;
		EXPECT_EQ(Status(effect.Voice(i)) & DSBSTATUS_LOOPING, 0u);
	}
	EXPECT_EQ(playing, SOUND_EFFECT_VOICES);
	// The 31st play left voice 0 where it was.
	EXPECT_GE(Position(effect.Voice(0)), voice0Before);

	// Once they have all ended, the next play starts voice 1, from its start.
	Render(Frames(0.6));
	EXPECT_LT(Rms(Render(Frames(0.05))), 1e-5);
	effect.Play();
	EXPECT_EQ(Status(effect.Voice(1)), DSBSTATUS_PLAYING);
	EXPECT_EQ(Status(effect.Voice(0)), 0u);
	EXPECT_GT(Rms(Render(Frames(0.05))), 0.01);
	effect.Release();
}

// Each object hears only the voices of its own device from its listener, so
// the view is heard through a copy of the effect's voice made on the music's
// device; the effect itself keeps listening from the origin.
TEST_F(SoundTest, AVoiceToTheListenersRightIsLouderOnTheRight) {
	ViewSound view;
	ASSERT_TRUE(view.Load(wav::WriteFile("silence.wav", wav::PcmFile(1, RATE, 16, wav::Bytes(4410, 0))).c_str()));
	SoundEffect effect;
	ASSERT_TRUE(effect.Load(SineFile("beep.wav", 440.0, 1.0).c_str()));
	IDirectSoundBuffer* copy = nullptr;
	ASSERT_EQ(view.Device()->DuplicateSoundBuffer(effect.Voice(0), &copy), DS_OK);
	IDirectSoundBuffer8* heard = nullptr;
	ASSERT_EQ(copy->QueryInterface(IID_IDirectSoundBuffer8, reinterpret_cast<void**>(&heard)), DS_OK);
	copy->Release();
	IDirectSound3DBuffer8* placed = nullptr;
	ASSERT_EQ(heard->QueryInterface(IID_IDirectSound3DBuffer8, reinterpret_cast<void**>(&placed)), DS_OK);
	// Where voice 0 stands.
	placed->SetPosition(0.0f, 2.0f, 0.0f, DS3D_IMMEDIATE);

	Application& hub = Application::Get();
	const auto balance = [&](D3DXVECTOR3 eye, float yaw) {
		hub.cameraEye = eye;
		hub.viewYaw = yaw;
		view.Update();
		EXPECT_NEAR(BalanceDb(RenderVoice(effect.Voice(0))), 0.0, 0.1);
		const Stereo out = RenderVoice(heard);
		return Rms(out.right) / Rms(out.left);
	};
	EXPECT_GT(balance(D3DXVECTOR3(-5.0f, 2.0f, 0.0f), 0.0f), 3.0);
	EXPECT_LT(balance(D3DXVECTOR3(5.0f, 2.0f, 0.0f), 0.0f), 1.0 / 3.0);
	// Turned to face +x, the voice at lower z is on the right.
	EXPECT_GT(balance(D3DXVECTOR3(0.0f, 2.0f, 5.0f), 90.0f), 3.0);
	EXPECT_NEAR(hub.cameraTarget.x, 1.0f, 1e-5f);
	EXPECT_NEAR(hub.cameraTarget.z, 0.0f, 1e-5f);
	EXPECT_LT(balance(D3DXVECTOR3(0.0f, 2.0f, 5.0f), -90.0f), 1.0 / 3.0);
	placed->Release();
	heard->Release();
	effect.Release();
	view.Release();
}

TEST_F(SoundTest, MissingOrUnplayableFilesStaySilent) {
	wav::Bytes adpcmFormat = wav::FormatHeader(WAVE_FORMAT_ADPCM, 1, 22050, 4);
	wav::Append(adpcmFormat, wav::Le16(0));
	const std::string adpcm = wav::WriteFile("adpcm.wav", wav::Riff({wav::Chunk("fmt ", adpcmFormat), wav::Chunk("data", wav::Bytes(512, 0x77))}));
	const std::string missing = (wav::ScratchFolder() / "no_such.wav").string();
	for (const std::string& name : {missing, adpcm}) {
		Sound music;
		EXPECT_FALSE(music.Load(name.c_str())) << name;
		EXPECT_EQ(music.Buffer(), nullptr);
		SoundEffect effect;
		EXPECT_FALSE(effect.Load(name.c_str())) << name;
		EXPECT_EQ(effect.Voice(0), nullptr);
		input.SetKey(input.Frame(), 'F', true);
		input.SetKey(input.Frame(), 'G', true);
		input.SetKey(input.Frame(), 'H', true);
		music.Update();
		for (int i = 0; i < 40; ++i) {
			effect.Play();
		}
		music.Stop();
		EXPECT_LT(Rms(Render(Frames(0.1))), 1e-6) << name;
		music.Release();
		music.Release();
		effect.Release();
		effect.Release();
	}
}

TEST_F(SoundTest, WithoutADeviceEverythingStaysSilent) {
	const std::string file = SineFile("nodevice.wav", 440.0, 0.5);
	CloseAudioForTests(false);
	Sound music;
	EXPECT_FALSE(music.Load(file.c_str()));
	SoundEffect effect;
	EXPECT_FALSE(effect.Load(file.c_str()));
	input.SetKey(input.Frame(), 'H', true);
	music.Update();
	effect.Play();
	music.Stop();
	// A device appearing later does not wake them.
	ASSERT_TRUE(OpenLoopbackAudioForTests(RATE));
	music.Update();
	effect.Play();
	EXPECT_LT(Rms(Render(Frames(0.1))), 1e-6);
	music.Release();
	effect.Release();
}

TEST_F(SoundTest, LoadingAgainReplacesTheOldSound) {
	Sound music;
	ASSERT_TRUE(music.Load(SineFile("first.wav", 440.0, 0.5).c_str()));
	Render(512);
	const double single = Rms(Render(Frames(0.1)));
	ASSERT_TRUE(music.Load(SineFile("second.wav", 660.0, 0.5).c_str()));
	Render(512);
	const Stereo out = Render(Frames(0.1));
	EXPECT_NEAR(Frequency(out.left), 660.0, 1.0);
	EXPECT_NEAR(Rms(out), single, 0.01);
	music.Release();
	EXPECT_EQ(music.Buffer(), nullptr);
	EXPECT_LT(Rms(Render(Frames(0.05))), 1e-6);
	music.Release();
	music.Stop();
	music.Update();
}

TEST_F(SoundTest, EveryGameSoundLoadsAndSounds) {
	const auto peak = [](const Stereo& out) {
		float highest = 0.0f;
		for (size_t i = 0; i < out.left.size(); ++i) {
			highest = std::max({highest, std::fabs(out.left[i]), std::fabs(out.right[i])});
		}
		return highest;
	};
	for (const char* name : {"data/Sound/Title/TitleBGM.wav", "data/Sound/Game/Game_BGM.wav"}) {
		Sound music;
		ASSERT_TRUE(music.Load(name)) << name;
		EXPECT_GT(peak(Render(Frames(1.0))), 1e-3f) << name;
		music.Release();
	}
	for (const char* name : {"data/Sound/Title/Start_Button.wav", "data/Sound/Result/Button_01.wav", "data/Sound/Title/raser_test.wav",
			 "data/Sound/Game/Shoot.wav", "data/Sound/Game/Raser_Charge.wav", "data/Sound/Game/Raser_beam.wav",
			 "data/Sound/Game/Booster.wav", "data/Sound/Game/Foot_Sound.wav", "data/Sound/Game/Hit_Wall.wav",
			 "data/Sound/Game/Hit_any.wav", "data/Sound/Game/Small_Bomb.wav", "data/Sound/Game/Big_Bomb.wav",
			 "data/Sound/Game/Plasma_Shoot.wav", "data/Sound/Game/Plasma.wav"}) {
		SoundEffect effect;
		ASSERT_TRUE(effect.Load(name)) << name;
		effect.Play();
		EXPECT_GT(peak(Render(Frames(1.0))), 1e-3f) << name;
		effect.Release();
	}
}

// Every effect's voice 0 stands 2 m above its own listener, which stays at the
// origin: one metre past the minimum distance, at rolloff 0.3.
TEST_F(SoundTest, ALoneEffectSoundsCentredAtItsRolloffLevel) {
	SoundEffect effect;
	ASSERT_TRUE(effect.Load(SineFile("lone.wav", 440.0, 1.0).c_str()));
	const Stereo lone = PlayAndRender(effect);
	effect.Voice(0)->Stop();
	EXPECT_NEAR(BalanceDb(lone), 0.0, 0.1);

	// The same sample in the same direction, at the minimum distance.
	IDirectSound3DBuffer8* near = nullptr;
	ASSERT_EQ(effect.Voice(1)->QueryInterface(IID_IDirectSound3DBuffer8, reinterpret_cast<void**>(&near)), DS_OK);
	near->SetMode(DS3DMODE_HEADRELATIVE, DS3D_IMMEDIATE);
	near->SetPosition(0.0f, 1.0f, 0.0f, DS3D_IMMEDIATE);
	const Stereo reference = PlayAndRender(effect);
	near->Release();
	EXPECT_GT(Rms(reference), 0.05);
	EXPECT_NEAR(Decibels(Rms(lone) / Rms(reference)), Decibels(1.0 / 1.3), 0.1);
	RecordProperty("lone_level_dbfs", std::to_string(Decibels(Rms(lone))));
	RecordProperty("lone_balance_db", std::to_string(BalanceDb(lone)));
	effect.Release();
}

TEST_F(SoundTest, TheTitleListenerDoesNotMoveTheBattlesEffects) {
	const std::string shot = SineFile("shot.wav", 440.0, 1.0);
	SoundEffect lone;
	ASSERT_TRUE(lone.Load(shot.c_str()));
	const Stereo alone = PlayAndRender(lone);
	lone.Release();

	// The title's music leaves its listener at the title camera, turned.
	Application& hub = Application::Get();
	hub.cameraEye = D3DXVECTOR3(-15.0f, 10.0f, 12.0f);
	hub.viewYaw = 90.0f;
	Sound titleMusic;
	ASSERT_TRUE(titleMusic.Load(SineFile("title_bgm.wav", 220.0, 0.5).c_str()));
	titleMusic.Update();
	titleMusic.Stop();
	Render(Frames(0.05));

	SoundEffect battleShot;
	ASSERT_TRUE(battleShot.Load(shot.c_str()));
	const Stereo battle = PlayAndRender(battleShot);
	EXPECT_NEAR(Decibels(Rms(battle) / Rms(alone)), 0.0, 0.5);
	EXPECT_NEAR(BalanceDb(battle), BalanceDb(alone), 0.5);
	RecordProperty("battle_level_db_vs_lone", std::to_string(Decibels(Rms(battle) / Rms(alone))));
	RecordProperty("battle_balance_db", std::to_string(BalanceDb(battle)));
	battleShot.Release();
	titleMusic.Release();
}

TEST_F(SoundTest, ReleasingOneObjectLeavesAnothersListenerAlone) {
	SoundEffect kept;
	ASSERT_TRUE(kept.Load(SineFile("kept.wav", 440.0, 1.0).c_str()));
	const Stereo before = RenderVoice(kept.Voice(0));

	Application::Get().cameraEye = D3DXVECTOR3(30.0f, 0.0f, 0.0f);
	Sound other;
	ASSERT_TRUE(other.Load(SineFile("other.wav", 220.0, 0.5).c_str()));
	other.Stop();
	other.Update();
	other.Release();

	const Stereo after = RenderVoice(kept.Voice(0));
	EXPECT_NEAR(Decibels(Rms(after) / Rms(before)), 0.0, 0.1);
	EXPECT_NEAR(BalanceDb(after), BalanceDb(before), 0.1);
	kept.Release();
}
