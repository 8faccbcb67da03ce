// The game's generated effect files: each loads, and each lives as long as
// the way the game plays it needs.

#include "ParticleTestSupport.h"

#include <gtest/gtest.h>

using namespace particles;
using namespace particles_test;

namespace {

const char* const GAME_EFFECTS[] = {
	"Missile_Bomb", "Missile_Smoke", "Red_Line", "Hit_Bomb2", "Hit_Bomb_Big", "Bomb", "Damage_Smoke",
	"Red_Flash", "Blue_Raser", "Mist", "Plasma_line", "PlasmaWind", "Plasma_Shot", "Flash", "Boost_2",
	"Foot_Vernier", "Smoke", "Hit_SparkRed", "Hit_SparkBlue",
};

EffectPtr LoadGameEffect(const std::string& name, std::string* reason) {
	return EffectPtr(Effect::Create(nullptr, "data/Effect_data/" + name + ".efk", 1.0f, "data/Effect_data/", reason));
}

// Frames from Play until the instance is gone (capped).
int Lifetime(Effect* effect, int cap = 2000) {
	ManagerPtr manager(Manager::Create(10, true));
	const Handle handle = manager->Play(effect, 0, 0, 0);
	int frames = 0;
	while (manager->Exists(handle) && frames < cap) {
		manager->Update(1.0f);
		++frames;
	}
	return frames;
}

size_t NodeIndex(const Effect& effect, const std::string& name) {
	const auto& nodes = effect.Definition()->nodes;
	for (size_t i = 0; i < nodes.size(); ++i) {
		if (nodes[i].name == name) {
			return i;
		}
	}
	ADD_FAILURE() << "no node " << name;
	return 0;
}

TEST(EffectFiles, EveryGameEffectLoadsAndEnds) {
	for (const char* name : GAME_EFFECTS) {
		std::string reason;
		EffectPtr effect = LoadGameEffect(name, &reason);
		ASSERT_NE(effect, nullptr) << name << ": " << reason;
		EXPECT_LT(Lifetime(effect.get()), 2000) << name << " never ends";
	}
}

TEST(EffectFiles, EffectsStartedEveryFrameAreShortLived) {
	// Thrusters and verniers start per frame of movement; trails and swirls per frame of flight.
	const std::pair<const char*, int> limits[] = {{"Boost_2", 12}, {"Foot_Vernier", 12}, {"PlasmaWind", 15},
	                                              {"Red_Line", 3},  {"Plasma_line", 40}, {"Smoke", 60}};
	for (const auto& [name, maximum] : limits) {
		EffectPtr effect = LoadGameEffect(name, nullptr);
		ASSERT_NE(effect, nullptr) << name;
		EXPECT_LE(Lifetime(effect.get()), maximum) << name;
	}
}

TEST(EffectFiles, DamageSmokeFadesWithinTwoSeconds) {
	EffectPtr effect = LoadGameEffect("Damage_Smoke", nullptr);
	ASSERT_NE(effect, nullptr);
	EXPECT_LE(Lifetime(effect.get()), 120);
}

TEST(EffectFiles, TurretBeamChargesThenFiresAndCoversTheWholeCycle) {
	EffectPtr effect = LoadGameEffect("Blue_Raser", nullptr);
	ASSERT_NE(effect, nullptr);
	const size_t beam = NodeIndex(*effect, "BeamCore");
	const size_t charge = NodeIndex(*effect, "ChargeGlow");
	ManagerPtr manager(Manager::Create(10, true));
	const Handle handle = manager->Play(effect.get(), 0, 0, 0);
	// The turret fires from Play, updates its beam once per frame and starts
	// the damage test on the 140th frame; its cycle lasts 500 frames.
	for (int frame = 1; frame <= 500; ++frame) {
		manager->Update(1.0f);
		const EffectInstance* instance = manager->GetInstance(handle);
		if (frame < 500) {
			ASSERT_NE(instance, nullptr) << "the beam ended after " << frame << " frames";
		}
		if (frame == 139) {
			EXPECT_TRUE(instance->NodeParticles(beam).empty()) << "beam before the charge is done";
			EXPECT_FALSE(instance->NodeParticles(charge).empty());
		}
		if (frame == 140 || frame == 499) {
			EXPECT_EQ(instance->NodeParticles(beam).size(), 24u) << "frame " << frame;
		}
	}
	EXPECT_FALSE(manager->Exists(handle)) << "the beam outlives its 500-frame cycle";
}

TEST(EffectFiles, TurretBeamRunsAlongTheGunsMinusZ) {
	EffectPtr effect = LoadGameEffect("Blue_Raser", nullptr);
	ASSERT_NE(effect, nullptr);
	const NodeDefinition& beam = effect->Definition()->nodes[NodeIndex(*effect, "BeamCore")];
	EXPECT_TRUE(beam.followInstance);
	EXPECT_EQ(beam.shape, EmitShape::Line);
	EXPECT_LT(beam.lineTo.z, -500.0f);
	EXPECT_EQ(beam.lineTo.x, 0.0f);
	EXPECT_EQ(beam.lineTo.y, 0.0f);
}

}  // namespace
