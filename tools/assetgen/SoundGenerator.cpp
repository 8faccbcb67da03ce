// Writes every sound file. The one-shots are mono, since the game plays them
// as positioned voices; the music is stereo and never positioned. Each file gets a fixed peak level chosen for how
// often it overlaps itself: the booster restarts every frame and the small
// explosion is fired five voices at once, so those sit lowest.

#include "tools/assetgen/AssetOutput.h"
#include "tools/assetgen/SoundDesigns.h"
#include "tools/assetgen/WavWriter.h"

#include <cstdio>

namespace {

struct SoundFile {
	const char* path;
	Samples (*make)();
	float peakDecibels;
	uint16_t channels = 1;
};

const SoundFile SOUND_FILES[] = {
	{ "Sound/Title/TitleBGM.wav", MakeTitleMusic, -8.0f, 2 },
	{ "Sound/Game/Game_BGM.wav", MakeBattleMusic, -8.0f, 2 },
	{ "Sound/Title/Start_Button.wav", MakeStartButton, -16.0f },
	{ "Sound/Result/Button_01.wav", MakeResultButton, -16.0f },
	{ "Sound/Title/raser_test.wav", MakeEnemyLaserShot, -18.0f },
	{ "Sound/Game/Shoot.wav", MakeGunshot, -15.0f },
	{ "Sound/Game/Raser_Charge.wav", MakeLaserCharge, -14.0f },
	{ "Sound/Game/Raser_beam.wav", MakeLaserBeam, -14.0f },
	{ "Sound/Game/Booster.wav", MakeBooster, -23.0f },
	{ "Sound/Game/Foot_Sound.wav", MakeFootstep, -16.0f },
	{ "Sound/Game/Hit_Wall.wav", MakeWallHit, -18.0f },
	{ "Sound/Game/Hit_any.wav", MakeDamageHit, -18.0f },
	{ "Sound/Game/Small_Bomb.wav", MakeSmallExplosion, -21.0f },
	{ "Sound/Game/Big_Bomb.wav", MakeBigExplosion, -16.0f },
	{ "Sound/Game/Plasma_Shoot.wav", MakePlasmaShot, -14.0f },
	{ "Sound/Game/Plasma.wav", MakePlasmaBlast, -13.0f },
};

}  // namespace

bool GenerateSounds(AssetOutput& output) {
	bool ok = true;
	for (const SoundFile& file : SOUND_FILES) {
		Samples samples = file.make();
		if (samples.empty()) {
			std::fprintf(stderr, "assetgen: %s came out empty\n", file.path);
			ok = false;
			continue;
		}
		NormalisePeak(samples, file.peakDecibels);
		ok = output.WriteFile(file.path, WavWriter::Encode(samples, file.channels)) && ok;
	}
	return ok;
}
