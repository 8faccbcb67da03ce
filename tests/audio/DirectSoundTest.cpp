#include "platform/audio/DSound.h"
#include "tests/audio/LoopbackSignal.h"
#include "tests/audio/WavBuilder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

using namespace loopback;

namespace {

// Outside the loopback tests, sound goes to OpenAL's null output unless the
// caller chose otherwise; set before the first OpenAL call of the process.
const bool nullOutputChosen = setenv("ALSOFT_DRIVERS", "null", 0) == 0;

constexpr DWORD SAMPLE_FLAGS = DSBCAPS_CTRL3D | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLVOLUME | DSBCAPS_GETCURRENTPOSITION2;

WAVEFORMATEX Pcm(WORD channels, WORD bits = 16, DWORD rate = RATE) {
	const WORD blockAlign = static_cast<WORD>(channels * bits / 8);
	return {WAVE_FORMAT_PCM, channels, rate, rate * blockAlign, blockAlign, bits, 0};
}

// Left-only stereo from a mono sine.
wav::Bytes LeftOnly(const wav::Bytes& mono) {
	wav::Bytes out;
	for (size_t i = 0; i + 1 < mono.size(); i += 2) {
		out.insert(out.end(), {mono[i], mono[i + 1], 0, 0});
	}
	return out;
}

class DirectSoundTest : public LoopbackTest {
protected:
	void SetUp() override {
		LoopbackTest::SetUp();
		ASSERT_EQ(DirectSoundCreate8(nullptr, &device, nullptr), DS_OK);
		DSBUFFERDESC primaryDescription{sizeof(DSBUFFERDESC), DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D, 0, 0, nullptr, DS3DALG_DEFAULT};
		ASSERT_EQ(device->CreateSoundBuffer(&primaryDescription, &primary, nullptr), DS_OK);
		ASSERT_EQ(primary->QueryInterface(IID_IDirectSound3DListener, reinterpret_cast<void**>(&listener)), DS_OK);
	}

	void TearDown() override {
		for (IUnknown* object : owned) {
			object->Release();
		}
		CloseSecondDevice();
		SafeRelease(listener);
		SafeRelease(primary);
		SafeRelease(device);
		LoopbackTest::TearDown();
	}

	IDirectSoundBuffer8* MakeBuffer(const wav::Bytes& samples, WAVEFORMATEX format, DWORD flags = SAMPLE_FLAGS, IDirectSound8* on = nullptr) {
		DSBUFFERDESC description{sizeof(DSBUFFERDESC), flags, static_cast<DWORD>(samples.size()), 0, &format, DS3DALG_NO_VIRTUALIZATION};
		IDirectSoundBuffer* created = nullptr;
		EXPECT_EQ((on != nullptr ? on : device)->CreateSoundBuffer(&description, &created, nullptr), DS_OK);
		if (created == nullptr) {
			return nullptr;
		}
		IDirectSoundBuffer8* buffer = nullptr;
		EXPECT_EQ(created->QueryInterface(IID_IDirectSoundBuffer8, reinterpret_cast<void**>(&buffer)), DS_OK);
		created->Release();
		void* part1 = nullptr;
		DWORD bytes1 = 0;
		EXPECT_EQ(buffer->Lock(0, description.dwBufferBytes, &part1, &bytes1, nullptr, nullptr, 0), DS_OK);
		std::memcpy(part1, samples.data(), bytes1);
		EXPECT_EQ(buffer->Unlock(part1, bytes1, nullptr, 0), DS_OK);
		owned.push_back(buffer);
		return buffer;
	}

	IDirectSound3DBuffer8* Face3D(IDirectSoundBuffer8* buffer) {
		IDirectSound3DBuffer8* face = nullptr;
		EXPECT_EQ(buffer->QueryInterface(IID_IDirectSound3DBuffer8, reinterpret_cast<void**>(&face)), DS_OK);
		if (face != nullptr) {
			owned.push_back(face);
		}
		return face;
	}

	IDirectSoundBuffer8* Sine(double frequency, double seconds, IDirectSound8* on = nullptr) {
		return MakeBuffer(wav::Sine16(frequency, RATE, Frames(seconds)), Pcm(1), SAMPLE_FLAGS, on);
	}

	// Another device with its own primary buffer and listener, as every
	// sound object of the game has.
	void OpenSecondDevice() {
		ASSERT_EQ(DirectSoundCreate8(nullptr, &device2, nullptr), DS_OK);
		DSBUFFERDESC primaryDescription{sizeof(DSBUFFERDESC), DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D, 0, 0, nullptr, DS3DALG_DEFAULT};
		ASSERT_EQ(device2->CreateSoundBuffer(&primaryDescription, &primary2, nullptr), DS_OK);
		ASSERT_EQ(primary2->QueryInterface(IID_IDirectSound3DListener, reinterpret_cast<void**>(&listener2)), DS_OK);
	}

	void CloseSecondDevice() {
		SafeRelease(listener2);
		SafeRelease(primary2);
		SafeRelease(device2);
	}

	// Plays a looping buffer at a place and renders it, past the start.
	Stereo Hear(IDirectSoundBuffer8* buffer, float x, float y, float z) {
		Face3D(buffer)->SetPosition(x, y, z, DS3D_IMMEDIATE);
		buffer->Play(0, 0, DSBPLAY_LOOPING);
		Render(512);
		return Render(Frames(0.05));
	}

	DWORD Position(IDirectSoundBuffer8* buffer) {
		DWORD play = 0;
		buffer->GetCurrentPosition(&play, nullptr);
		return play;
	}

	DWORD Status(IDirectSoundBuffer8* buffer) {
		DWORD status = 0xFFFF;
		buffer->GetStatus(&status);
		return status;
	}

	IDirectSound8* device = nullptr;
	IDirectSoundBuffer* primary = nullptr;
	IDirectSound3DListener8* listener = nullptr;
	IDirectSound8* device2 = nullptr;
	IDirectSoundBuffer* primary2 = nullptr;
	IDirectSound3DListener8* listener2 = nullptr;
	std::vector<IUnknown*> owned;
};

} // namespace

TEST_F(DirectSoundTest, StopPausesAndPlayGoesOnFromThere) {
	IDirectSoundBuffer8* buffer = Sine(440.0, 1.0);
	Face3D(buffer)->SetMode(DS3DMODE_DISABLE, DS3D_IMMEDIATE);
	ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
	EXPECT_EQ(Status(buffer), DSBSTATUS_PLAYING);
	Render(Frames(0.25));
	ASSERT_EQ(buffer->Stop(), DS_OK);
	const DWORD paused = Position(buffer);
	EXPECT_NEAR(paused, Frames(0.25) * 2.0, 4096.0);
	EXPECT_EQ(Status(buffer), 0u);
	EXPECT_LT(Rms(Render(Frames(0.1))), 1e-4);
	EXPECT_EQ(Position(buffer), paused);

	ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
	EXPECT_GT(Rms(Render(Frames(0.1))), 0.05);
	EXPECT_NEAR(Position(buffer), paused + Frames(0.1) * 2.0, 4096.0);
}

TEST_F(DirectSoundTest, OneShotEndsAndStartsOverOnTheNextPlay) {
	IDirectSoundBuffer8* buffer = Sine(440.0, 0.1);
	ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
	const Stereo out = Render(Frames(0.3));
	EXPECT_LT(Rms(std::vector<float>(out.left.end() - Frames(0.1), out.left.end())), 1e-4);
	EXPECT_EQ(Status(buffer), 0u);
	EXPECT_EQ(Position(buffer), 0u);
	ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
	EXPECT_EQ(Status(buffer), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
	Render(Frames(0.35));
	EXPECT_EQ(Status(buffer), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
	EXPECT_GT(Rms(Render(Frames(0.05))), 0.05);
}

TEST_F(DirectSoundTest, FrequencySetsThePitchAgainstTheSampleRate) {
	IDirectSoundBuffer8* buffer = Sine(441.0, 1.0);
	Face3D(buffer)->SetMode(DS3DMODE_DISABLE, DS3D_IMMEDIATE);
	ASSERT_EQ(buffer->SetFrequency(RATE * 3 / 2), DS_OK);
	ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
	Render(256);
	EXPECT_NEAR(Frequency(Render(Frames(0.2)).left), 661.5, 2.0);
	DWORD frequency = 0;
	ASSERT_EQ(buffer->SetFrequency(DSBFREQUENCY_ORIGINAL), DS_OK);
	ASSERT_EQ(buffer->GetFrequency(&frequency), DS_OK);
	EXPECT_EQ(frequency, static_cast<DWORD>(RATE));
	Render(256);
	EXPECT_NEAR(Frequency(Render(Frames(0.2)).left), 441.0, 2.0);
	EXPECT_EQ(buffer->SetFrequency(DSBFREQUENCY_MIN - 1), DSERR_INVALIDPARAM);
	EXPECT_EQ(buffer->SetFrequency(DSBFREQUENCY_MAX + 1), DSERR_INVALIDPARAM);
	ASSERT_EQ(buffer->GetFrequency(&frequency), DS_OK);
	EXPECT_EQ(frequency, static_cast<DWORD>(RATE));

	IDirectSoundBuffer8* fixed = MakeBuffer(wav::Sine16(440.0, RATE, 64), Pcm(1), DSBCAPS_CTRL3D);
	EXPECT_EQ(fixed->SetFrequency(RATE), DSERR_CONTROLUNAVAIL);
	EXPECT_EQ(fixed->SetVolume(0), DSERR_CONTROLUNAVAIL);
}

TEST_F(DirectSoundTest, DuplicatesShareSamplesButPlayOnTheirOwn) {
	IDirectSoundBuffer8* original = Sine(440.0, 0.5);
	IDirectSoundBuffer* duplicate = nullptr;
	ASSERT_EQ(device->DuplicateSoundBuffer(original, &duplicate), DS_OK);
	owned.push_back(duplicate);
	ASSERT_EQ(duplicate->Play(0, 0, 0), DS_OK);
	Render(256);
	EXPECT_NEAR(Frequency(Render(Frames(0.2)).left), 440.0, 2.0);
	EXPECT_EQ(Status(original), 0u);
	EXPECT_EQ(Position(original), 0u);

	IDirectSoundBuffer* copyOfPrimary = nullptr;
	EXPECT_EQ(device->DuplicateSoundBuffer(primary, &copyOfPrimary), DSERR_INVALIDCALL);
	EXPECT_EQ(copyOfPrimary, nullptr);
}

TEST_F(DirectSoundTest, PositionedStereoPlaysAsAMonoMix) {
	IDirectSoundBuffer8* buffer = MakeBuffer(LeftOnly(wav::Sine16(440.0, RATE, Frames(1.0))), Pcm(2));
	IDirectSound3DBuffer8* face = Face3D(buffer);
	face->SetMode(DS3DMODE_DISABLE, DS3D_IMMEDIATE);
	ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
	Render(256);
	const Stereo unplaced = Render(Frames(0.1));
	EXPECT_GT(Rms(unplaced.left), 0.1);
	EXPECT_LT(Rms(unplaced.right), 0.01 * Rms(unplaced.left));

	// Straight ahead, the mono mix reaches both ears alike.
	face->SetMode(DS3DMODE_NORMAL, DS3D_IMMEDIATE);
	face->SetPosition(0.0f, 0.0f, 1.0f, DS3D_IMMEDIATE);
	EXPECT_EQ(Status(buffer), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
	Render(256);
	const Stereo placed = Render(Frames(0.1));
	EXPECT_GT(Rms(placed.right), 0.02);
	EXPECT_NEAR(Rms(placed.left) / Rms(placed.right), 1.0, 0.1);
}

TEST_F(DirectSoundTest, GameFrameIsLeftHanded) {
	IDirectSoundBuffer8* buffer = Sine(440.0, 1.0);
	IDirectSound3DBuffer8* face = Face3D(buffer);
	ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
	const auto balance = [&](float x, float z) {
		face->SetPosition(x, 0.0f, z, DS3D_IMMEDIATE);
		Render(512);
		const Stereo out = Render(Frames(0.05));
		return Rms(out.right) / Rms(out.left);
	};
	// Facing +z, +x is to the right.
	EXPECT_GT(balance(5.0f, 0.0f), 2.0);
	EXPECT_LT(balance(-5.0f, 0.0f), 0.5);
	// Facing +x, the right-hand side is -z.
	ASSERT_EQ(listener->SetOrientation(1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, DS3D_IMMEDIATE), DS_OK);
	EXPECT_GT(balance(0.0f, -5.0f), 2.0);
	EXPECT_LT(balance(0.0f, 5.0f), 0.5);
	// Behind and in front sound alike from either side.
	EXPECT_NEAR(balance(5.0f, 0.0f), 1.0, 0.1);
}

TEST_F(DirectSoundTest, ListenerRolloffAttenuatesByInverseDistance) {
	IDirectSoundBuffer8* buffer = Sine(440.0, 1.0);
	IDirectSound3DBuffer8* face = Face3D(buffer);
	ASSERT_EQ(listener->SetRolloffFactor(0.3f, DS3D_IMMEDIATE), DS_OK);
	face->SetPosition(0.0f, 0.0f, 1.0f, DS3D_IMMEDIATE);
	ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
	Render(512);
	const double near = Rms(Render(Frames(0.05)));
	face->SetPosition(0.0f, 0.0f, 10.0f, DS3D_IMMEDIATE);
	Render(512);
	const double far = Rms(Render(Frames(0.05)));
	EXPECT_NEAR(far / near, 1.0 / (1.0 + 0.3 * 9.0), 0.02);
	// A new rolloff reaches sources already playing.
	ASSERT_EQ(listener->SetRolloffFactor(0.0f, DS3D_IMMEDIATE), DS_OK);
	Render(512);
	EXPECT_NEAR(Rms(Render(Frames(0.05))) / near, 1.0, 0.02);
	EXPECT_EQ(listener->SetRolloffFactor(11.0f, DS3D_IMMEDIATE), DSERR_INVALIDPARAM);
}

TEST_F(DirectSoundTest, DeferredListenerChangesWaitForTheCommit) {
	ASSERT_EQ(listener->SetPosition(1.0f, 2.0f, 3.0f, DS3D_DEFERRED), DS_OK);
	D3DVECTOR position{};
	listener->GetPosition(&position);
	EXPECT_EQ(position.x, 0.0f);
	ASSERT_EQ(listener->CommitDeferredSettings(), DS_OK);
	listener->GetPosition(&position);
	EXPECT_EQ(position.x, 1.0f);
	EXPECT_EQ(position.z, 3.0f);
	EXPECT_EQ(listener->SetOrientation(0.0f, 1.0f, 0.0f, 0.0f, 2.0f, 0.0f, DS3D_IMMEDIATE), DSERR_INVALIDPARAM);
}

double Balance(const Stereo& out) { return Rms(out.right) / Rms(out.left); }

TEST_F(DirectSoundTest, EachDeviceHearsItsOwnVoicesFromItsOwnListener) {
	OpenSecondDevice();
	IDirectSoundBuffer8* mine = Sine(440.0, 1.0);
	IDirectSoundBuffer8* theirs = Sine(440.0, 1.0, device2);
	// Both voices stand 2 m ahead of the origin.
	const Stereo centred = Hear(theirs, 0.0f, 0.0f, 2.0f);
	EXPECT_NEAR(Balance(centred), 1.0, 0.02);
	theirs->Stop();

	// This device's listener steps 5 m to the right: its voice is now on the left.
	ASSERT_EQ(listener->SetPosition(5.0f, 0.0f, 0.0f, DS3D_IMMEDIATE), DS_OK);
	EXPECT_LT(Balance(Hear(mine, 0.0f, 0.0f, 2.0f)), 0.5);
	mine->Stop();
	const Stereo stillCentred = Hear(theirs, 0.0f, 0.0f, 2.0f);
	EXPECT_NEAR(Balance(stillCentred), 1.0, 0.02);
	EXPECT_NEAR(Rms(stillCentred) / Rms(centred), 1.0, 0.01);

	// Moving a listener re-places its own device's voice while it plays, and
	// only that one.
	ASSERT_EQ(listener->SetPosition(-5.0f, 0.0f, 0.0f, DS3D_IMMEDIATE), DS_OK);
	Render(512);
	EXPECT_NEAR(Balance(Render(Frames(0.05))), 1.0, 0.02);
	ASSERT_EQ(listener2->SetPosition(-5.0f, 0.0f, 0.0f, DS3D_IMMEDIATE), DS_OK);
	Render(512);
	EXPECT_GT(Balance(Render(Frames(0.05))), 2.0);
	D3DVECTOR position{};
	listener->GetPosition(&position);
	EXPECT_EQ(position.x, -5.0f);
}

TEST_F(DirectSoundTest, RolloffBelongsToEachDevicesListener) {
	OpenSecondDevice();
	IDirectSoundBuffer8* mine = Sine(440.0, 1.0);
	IDirectSoundBuffer8* theirs = Sine(440.0, 1.0, device2);
	ASSERT_EQ(listener->SetRolloffFactor(0.0f, DS3D_IMMEDIATE), DS_OK);
	ASSERT_EQ(listener2->SetRolloffFactor(1.0f, DS3D_IMMEDIATE), DS_OK);
	const double full = Rms(Hear(mine, 0.0f, 0.0f, 4.0f));
	mine->Stop();
	const double faded = Rms(Hear(theirs, 0.0f, 0.0f, 4.0f));
	EXPECT_NEAR(faded / full, 1.0 / 4.0, 0.01);
	float rolloff = -1.0f;
	listener->GetRolloffFactor(&rolloff);
	EXPECT_EQ(rolloff, 0.0f);
}

TEST_F(DirectSoundTest, ADuplicateIsHeardFromTheListenerOfTheDeviceThatMadeIt) {
	OpenSecondDevice();
	IDirectSoundBuffer8* original = Sine(440.0, 1.0);
	IDirectSoundBuffer* made = nullptr;
	ASSERT_EQ(device2->DuplicateSoundBuffer(original, &made), DS_OK);
	IDirectSoundBuffer8* copy = nullptr;
	ASSERT_EQ(made->QueryInterface(IID_IDirectSoundBuffer8, reinterpret_cast<void**>(&copy)), DS_OK);
	made->Release();
	owned.push_back(copy);
	ASSERT_EQ(listener->SetPosition(5.0f, 0.0f, 0.0f, DS3D_IMMEDIATE), DS_OK);
	EXPECT_LT(Balance(Hear(original, 0.0f, 0.0f, 2.0f)), 0.5);
	original->Stop();
	EXPECT_NEAR(Balance(Hear(copy, 0.0f, 0.0f, 2.0f)), 1.0, 0.02);

	// The copy outlives the device that made it and still hears from there.
	ASSERT_EQ(listener2->SetPosition(-5.0f, 0.0f, 0.0f, DS3D_IMMEDIATE), DS_OK);
	CloseSecondDevice();
	Render(512);
	EXPECT_GT(Balance(Render(Frames(0.05))), 2.0);
	EXPECT_EQ(Status(copy), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
}

TEST_F(DirectSoundTest, ReleasingAnotherDevicesListenerChangesNothingHere) {
	ASSERT_EQ(listener->SetPosition(0.0f, 0.0f, -3.0f, DS3D_IMMEDIATE), DS_OK);
	IDirectSoundBuffer8* mine = Sine(440.0, 1.0);
	const Stereo before = Hear(mine, 2.0f, 0.0f, 0.0f);
	OpenSecondDevice();
	ASSERT_EQ(listener2->SetPosition(40.0f, 0.0f, 0.0f, DS3D_IMMEDIATE), DS_OK);
	ASSERT_EQ(listener2->SetOrientation(0.0f, 0.0f, -1.0f, 0.0f, 1.0f, 0.0f, DS3D_IMMEDIATE), DS_OK);
	CloseSecondDevice();
	Render(512);
	const Stereo after = Render(Frames(0.05));
	EXPECT_NEAR(Rms(after) / Rms(before), 1.0, 0.01);
	EXPECT_NEAR(Balance(after), Balance(before), 0.02);
	D3DVECTOR position{};
	listener->GetPosition(&position);
	EXPECT_EQ(position.z, -3.0f);
}

TEST_F(DirectSoundTest, DeferredSettingsWaitForTheirOwnDevicesCommit) {
	OpenSecondDevice();
	IDirectSoundBuffer8* mine = Sine(440.0, 1.0);
	IDirectSound3DBuffer8* face = Face3D(mine);
	ASSERT_EQ(face->SetPosition(0.0f, 0.0f, 2.0f, DS3D_DEFERRED), DS_OK);
	ASSERT_EQ(listener->SetPosition(5.0f, 0.0f, 0.0f, DS3D_DEFERRED), DS_OK);
	ASSERT_EQ(listener2->CommitDeferredSettings(), DS_OK);
	D3DVECTOR position{};
	face->GetPosition(&position);
	EXPECT_EQ(position.z, 0.0f);
	listener->GetPosition(&position);
	EXPECT_EQ(position.x, 0.0f);

	ASSERT_EQ(listener->CommitDeferredSettings(), DS_OK);
	face->GetPosition(&position);
	EXPECT_EQ(position.z, 2.0f);
	listener->GetPosition(&position);
	EXPECT_EQ(position.x, 5.0f);
	ASSERT_EQ(mine->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
	Render(512);
	EXPECT_LT(Balance(Render(Frames(0.05))), 0.5);
}

TEST_F(DirectSoundTest, AnImmediateSettingIsNotUndoneByAnOlderDeferredOne) {
	ASSERT_EQ(listener->SetPosition(1.0f, 0.0f, 0.0f, DS3D_DEFERRED), DS_OK);
	ASSERT_EQ(listener->SetRolloffFactor(2.0f, DS3D_DEFERRED), DS_OK);
	ASSERT_EQ(listener->SetPosition(7.0f, 0.0f, 0.0f, DS3D_IMMEDIATE), DS_OK);
	ASSERT_EQ(listener->CommitDeferredSettings(), DS_OK);
	D3DVECTOR position{};
	listener->GetPosition(&position);
	EXPECT_EQ(position.x, 7.0f);
	float rolloff = 0.0f;
	listener->GetRolloffFactor(&rolloff);
	EXPECT_EQ(rolloff, 2.0f);
}

TEST_F(DirectSoundTest, UnplayableDescriptionsAreRefused) {
	WAVEFORMATEX adpcm = Pcm(1, 4);
	adpcm.wFormatTag = WAVE_FORMAT_ADPCM;
	DSBUFFERDESC description{sizeof(DSBUFFERDESC), SAMPLE_FLAGS, 1024, 0, &adpcm, DS3DALG_DEFAULT};
	IDirectSoundBuffer* buffer = reinterpret_cast<IDirectSoundBuffer*>(this);
	EXPECT_EQ(device->CreateSoundBuffer(&description, &buffer, nullptr), DSERR_BADFORMAT);
	EXPECT_EQ(buffer, nullptr);
	WAVEFORMATEX pcm = Pcm(1);
	description.lpwfxFormat = &pcm;
	description.dwBufferBytes = 0;
	EXPECT_EQ(device->CreateSoundBuffer(&description, &buffer, nullptr), DSERR_INVALIDPARAM);
	description.lpwfxFormat = nullptr;
	description.dwBufferBytes = 1024;
	EXPECT_EQ(device->CreateSoundBuffer(&description, &buffer, nullptr), DSERR_INVALIDPARAM);

	IDirectSoundBuffer8* flat = MakeBuffer(wav::Sine16(440.0, RATE, 64), Pcm(1), DSBCAPS_CTRLVOLUME);
	void* face = this;
	EXPECT_EQ(flat->QueryInterface(IID_IDirectSound3DBuffer8, &face), E_NOINTERFACE);
	EXPECT_EQ(face, nullptr);
	void* part1 = nullptr;
	DWORD bytes1 = 0;
	EXPECT_EQ(flat->Lock(128, 4, &part1, &bytes1, nullptr, nullptr, 0), DSERR_INVALIDPARAM);
	EXPECT_EQ(flat->Lock(120, 16, &part1, &bytes1, nullptr, nullptr, 0), DSERR_INVALIDPARAM);
}

TEST_F(DirectSoundTest, LockWrapsAroundTheEnd) {
	IDirectSoundBuffer8* buffer = MakeBuffer(wav::Bytes(100, 0), Pcm(1));
	void* part1 = nullptr;
	void* part2 = nullptr;
	DWORD bytes1 = 0;
	DWORD bytes2 = 0;
	ASSERT_EQ(buffer->Lock(80, 30, &part1, &bytes1, &part2, &bytes2, 0), DS_OK);
	EXPECT_EQ(bytes1, 20u);
	EXPECT_EQ(bytes2, 10u);
	EXPECT_EQ(static_cast<char*>(part1) - static_cast<char*>(part2), 80);
	EXPECT_EQ(buffer->Unlock(part1, bytes1, part2, bytes2), DS_OK);
	EXPECT_EQ(buffer->Unlock(static_cast<char*>(part1) + 1, bytes1, nullptr, 0), DSERR_INVALIDPARAM);
}

TEST_F(DirectSoundTest, AFullPoolGivesNewSoundsTheOldestOneShotsSources) {
	IDirectSoundBuffer8* music = Sine(440.0, 0.1);
	ASSERT_EQ(music->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
	const wav::Bytes blip = wav::Sine16(440.0, RATE, Frames(0.5));
	std::vector<IDirectSoundBuffer8*> shots;
	for (int i = 0; i < 400; ++i) {
		shots.push_back(MakeBuffer(blip, Pcm(1)));
		EXPECT_EQ(shots.back()->Play(0, 0, 0), DS_OK) << i;
	}
	int playing = 0;
	for (IDirectSoundBuffer8* shot : shots) {
		playing += Status(shot) == DSBSTATUS_PLAYING ? 1 : 0;
	}
	EXPECT_GE(playing, 200);
	EXPECT_LT(playing, 400);
	// The newest plays sound, the oldest were cut short, the loop goes on.
	EXPECT_EQ(Status(shots.front()), 0u);
	EXPECT_EQ(Status(shots.back()), DSBSTATUS_PLAYING);
	EXPECT_EQ(Status(music), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);

	// Once they end, their sources serve again.
	Render(Frames(0.6));
	for (IDirectSoundBuffer8* shot : shots) {
		EXPECT_EQ(Status(shot), 0u);
	}
	ASSERT_EQ(shots.front()->Play(0, 0, 0), DS_OK);
	EXPECT_EQ(Status(shots.front()), DSBSTATUS_PLAYING);
	EXPECT_EQ(Status(music), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
}

TEST_F(DirectSoundTest, ObjectsOutlivingTheirDeviceFallSilent) {
	IDirectSoundBuffer8* buffer = Sine(440.0, 1.0);
	ASSERT_EQ(buffer->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
	CloseAudioForTests(false);
	IDirectSound8* none = reinterpret_cast<IDirectSound8*>(this);
	EXPECT_EQ(DirectSoundCreate8(nullptr, &none, nullptr), DSERR_NODRIVER);
	EXPECT_EQ(none, nullptr);
	EXPECT_EQ(Status(buffer), 0u);
	EXPECT_EQ(buffer->Play(0, 0, 0), DSERR_NODRIVER);
	EXPECT_EQ(listener->SetPosition(1.0f, 0.0f, 0.0f, DS3D_IMMEDIATE), DSERR_NODRIVER);
	IDirectSoundBuffer* created = nullptr;
	WAVEFORMATEX pcm = Pcm(1);
	DSBUFFERDESC description{sizeof(DSBUFFERDESC), SAMPLE_FLAGS, 64, 0, &pcm, DS3DALG_DEFAULT};
	EXPECT_EQ(device->CreateSoundBuffer(&description, &created, nullptr), DSERR_NODRIVER);

	// A new device does not bring the old objects back.
	ASSERT_TRUE(OpenLoopbackAudioForTests(RATE));
	EXPECT_EQ(buffer->Play(0, 0, 0), DSERR_NODRIVER);
	EXPECT_LT(Rms(Render(Frames(0.1))), 1e-6);
}

TEST(DirectSoundDefaultDevice, OpensOnFirstUseAndIsSharedByEveryDevice) {
	ASSERT_TRUE(nullOutputChosen);
	CloseAudioForTests(true);
	IDirectSound8* first = nullptr;
	IDirectSound8* second = nullptr;
	ASSERT_EQ(DirectSoundCreate8(nullptr, &first, nullptr), DS_OK);
	ASSERT_EQ(DirectSoundCreate8(nullptr, &second, nullptr), DS_OK);
	WAVEFORMATEX format = Pcm(1);
	const wav::Bytes samples = wav::Sine16(440.0, RATE, RATE);
	DSBUFFERDESC description{sizeof(DSBUFFERDESC), SAMPLE_FLAGS, static_cast<DWORD>(samples.size()), 0, &format, DS3DALG_DEFAULT};
	IDirectSoundBuffer* buffer = nullptr;
	ASSERT_EQ(first->CreateSoundBuffer(&description, &buffer, nullptr), DS_OK);
	// A buffer of one device may be duplicated by another: they share one mix.
	IDirectSoundBuffer* duplicate = nullptr;
	ASSERT_EQ(second->DuplicateSoundBuffer(buffer, &duplicate), DS_OK);
	ASSERT_EQ(duplicate->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
	DWORD status = 0;
	duplicate->GetStatus(&status);
	EXPECT_EQ(status, DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
	duplicate->Release();
	buffer->Release();
	second->Release();
	first->Release();
	CloseAudioForTests(true);
}
