#include "ParticleTestSupport.h"
#include "effect/GameEffect.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

using namespace particles;
using namespace particles_test;

namespace {

// Effect files written to a folder of the test's own; no device is made, so
// the effects simulate without a renderer and tests watch the manager.
class GameEffectTest : public ::testing::Test {
protected:
	void SetUp() override {
		folder = std::filesystem::temp_directory_path() / ("vortane-gameeffect-" + std::to_string(::getpid()));
		std::filesystem::create_directories(folder);
	}
	void TearDown() override {
		std::error_code ignored;
		std::filesystem::remove_all(folder, ignored);
	}

	std::string Write(const std::string& name, const std::string& text) {
		const auto path = folder / name;
		std::ofstream(path) << text;
		return path.string();
	}

	// A GameEffect whose manager reports what Draw and DrawCurrent show.
	void LoadRecording(GameEffect& effect, const std::string& path) {
		effect.Load(path, folder.string());
		log = std::make_shared<RecordingRenderer::Log>();
		ASSERT_NE(effect.GetManager(), nullptr);
		effect.GetManager()->SetSpriteRenderer(new RecordingRenderer(log));
	}

	std::filesystem::path folder;
	std::shared_ptr<RecordingRenderer::Log> log;
};

TEST_F(GameEffectTest, RestartStopsAStillPlayingInstanceFirst) {
	GameEffect effect;
	LoadRecording(effect, Write("Long.efk", SpriteEffect(1, 100)));
	ASSERT_TRUE(effect.IsLoaded());
	effect.Restart();
	const Handle first = effect.CurrentHandle();
	effect.Update();
	ASSERT_TRUE(effect.GetManager()->Exists(first));
	effect.Restart();
	EXPECT_FALSE(effect.GetManager()->Exists(first));
	EXPECT_TRUE(effect.GetManager()->Exists(effect.CurrentHandle()));
	EXPECT_EQ(effect.GetManager()->GetInstanceCount(), 1);
}

TEST_F(GameEffectTest, RestartOnAFinishedInstanceOnlyPlays) {
	GameEffect effect;
	LoadRecording(effect, Write("Short.efk", SpriteEffect(1, 2)));
	effect.Restart();
	for (int i = 0; i < 5; ++i) {
		effect.Update();
	}
	const Handle finished = effect.CurrentHandle();
	ASSERT_FALSE(effect.GetManager()->Exists(finished));
	effect.Restart();
	EXPECT_NE(effect.CurrentHandle(), finished);
	EXPECT_TRUE(effect.GetManager()->Exists(effect.CurrentHandle()));
}

TEST_F(GameEffectTest, StopOnAFinishedInstanceLeavesEarlierInstancesPlaying) {
	GameEffect longLived;
	// The last instance is ended inside the runtime, as a finished one would be.
	LoadRecording(longLived, Write("Mixed.efk", SpriteEffect(1, 50)));
	longLived.Play();
	const Handle earlier = longLived.CurrentHandle();
	longLived.Play();
	const Handle last = longLived.CurrentHandle();
	longLived.GetManager()->StopEffect(last);
	longLived.Stop();
	longLived.Stop();
	longLived.Update();
	EXPECT_TRUE(longLived.GetManager()->Exists(earlier));
	longLived.Draw();
	EXPECT_EQ(log->particles, 1u);
}

TEST_F(GameEffectTest, RestartedInstanceIsSeenOnlyByDrawCurrent) {
	GameEffect effect;
	LoadRecording(effect, Write("Hidden.efk", SpriteEffect(4, 30)));
	effect.Restart();
	effect.Update();
	effect.Draw();
	EXPECT_EQ(log->particles, 0u) << "Draw showed the restarted instance";
	effect.DrawCurrent();
	EXPECT_EQ(log->particles, 4u);
	// An ordinary instance played afterwards is Draw's; the restarted one still is not.
	log->particles = 0;
	effect.Play();
	effect.Update();
	effect.Draw();
	EXPECT_EQ(log->particles, 4u);
	EXPECT_EQ(effect.GetManager()->GetInstanceCount(), 2);
}

TEST_F(GameEffectTest, PlayOrientedTurnsAboutYAndSitsExactlyAtThePosition) {
	GameEffect effect;
	LoadRecording(effect, Write("Aim.efk", SpriteEffect(1, 30, "position 0 0 -10\n")));
	const D3DXVECTOR3 at(12.5f, -3.25f, 700.75f);
	effect.SetPosition(at);
	effect.PlayOriented(90.0f, 0.0f);
	const Matrix43 m = effect.GetManager()->GetMatrix(effect.CurrentHandle());
	EXPECT_EQ(m.value[3][0], at.x);
	EXPECT_EQ(m.value[3][1], at.y);
	EXPECT_EQ(m.value[3][2], at.z);
	// Local -z (the effect's forward) turned 90 degrees about y points to world -x.
	EXPECT_NEAR(m.value[2][0], 1.0f, 1e-4);
	EXPECT_NEAR(m.value[2][2], 0.0f, 1e-4);
	EXPECT_NEAR(m.value[1][1], 1.0f, 1e-6);
	effect.Update();
	effect.DrawCurrent();
	ASSERT_EQ(log->worldPositions.size(), 1u);
	EXPECT_NEAR(log->worldPositions[0].x, at.x - 10.0f, 1e-3);
	EXPECT_NEAR(log->worldPositions[0].z, at.z, 1e-3);
}

TEST_F(GameEffectTest, PlayOrientedMovesThePreviousInstanceFirst) {
	GameEffect effect;
	LoadRecording(effect, Write("Flash.efk", SpriteEffect(1, 30)));
	effect.SetPosition(D3DXVECTOR3(1, 2, 3));
	effect.PlayOriented(0, 0);
	const Handle previous = effect.CurrentHandle();
	effect.SetPosition(D3DXVECTOR3(7, 8, 9));
	effect.PlayOriented(45, 10);
	EXPECT_EQ(effect.GetManager()->GetMatrix(previous).Translation(), D3DXVECTOR3(7, 8, 9));
}

TEST_F(GameEffectTest, PlayRotatedYAndSetRotationTakeDegrees) {
	GameEffect effect;
	LoadRecording(effect, Write("Boost.efk", SpriteEffect(1, 30)));
	effect.SetPosition(D3DXVECTOR3(5, 0, 0));
	effect.PlayRotatedY(180.0f);
	Matrix43 m = effect.GetManager()->GetMatrix(effect.CurrentHandle());
	EXPECT_NEAR(m.value[0][0], -1.0f, 1e-5);
	EXPECT_FLOAT_EQ(m.value[3][0], 5.0f);
	effect.SetRotation(D3DXVECTOR3(0, 0, 1), 90.0f);
	m = effect.GetManager()->GetMatrix(effect.CurrentHandle());
	EXPECT_NEAR(m.value[0][1], 1.0f, 1e-5);
	EXPECT_FLOAT_EQ(m.value[3][0], 5.0f);
}

TEST_F(GameEffectTest, MoveFollowsOnlyTheLastInstance) {
	GameEffect effect;
	LoadRecording(effect, Write("Trail.efk", SpriteEffect(1, 30)));
	effect.Play();
	const Handle first = effect.CurrentHandle();
	effect.Play();
	effect.SetPosition(D3DXVECTOR3(0, 50, 0));
	effect.Move();
	EXPECT_EQ(effect.GetManager()->GetMatrix(first).Translation(), D3DXVECTOR3(0, 0, 0));
	EXPECT_EQ(effect.GetManager()->GetMatrix(effect.CurrentHandle()).Translation(), D3DXVECTOR3(0, 50, 0));
}

TEST_F(GameEffectTest, MissingFileLeavesANullEffectThatDoesNothing) {
	GameEffect effect;
	effect.Load((folder / "Missing.efk").string(), folder.string());
	EXPECT_FALSE(effect.IsLoaded());
	ASSERT_NE(effect.GetManager(), nullptr);  // made all the same, and released below
	effect.Play();
	effect.Restart();
	effect.PlayOriented(10, 10);
	EXPECT_EQ(effect.CurrentHandle(), INVALID_HANDLE);
	effect.Update();
	effect.Draw();
	effect.DrawCurrent();
	EXPECT_EQ(effect.GetManager()->GetInstanceCount(), 0);
	effect.Release();
	EXPECT_EQ(effect.GetManager(), nullptr);
	effect.Release();
	EXPECT_EQ(effect.GetManager(), nullptr);
}

TEST_F(GameEffectTest, ReleaseTwiceIsHarmlessAndEverythingAfterDoesNothing) {
	GameEffect effect;
	LoadRecording(effect, Write("Twice.efk", SpriteEffect(1, 30)));
	effect.Play();
	effect.Release();
	EXPECT_FALSE(effect.IsLoaded());
	EXPECT_EQ(effect.GetManager(), nullptr);
	effect.Release();
	effect.Play();
	effect.Update();
	effect.Draw();
	EXPECT_EQ(effect.CurrentHandle(), INVALID_HANDLE);
}

TEST_F(GameEffectTest, LoadsThroughWideNames) {
	const std::string path = Write("Wide.efk", SpriteEffect(1, 30));
	const std::wstring widePath(path.begin(), path.end());
	const std::wstring wideFolder = widePath.substr(0, widePath.find_last_of(L'/') + 1);
	GameEffect effect;
	effect.Load(widePath.c_str(), wideFolder.c_str());
	EXPECT_TRUE(effect.IsLoaded());
	effect.Load(u"no/such/file.efk", u"no/such/");
	EXPECT_FALSE(effect.IsLoaded());
}

TEST_F(GameEffectTest, ForeignFileIsANullEffect) {
	GameEffect effect;
	effect.Load(Write("Foreign.efk", std::string("SKFE\x0a\x00\x00\x00 binary", 14)), folder.string());
	EXPECT_FALSE(effect.IsLoaded());
	effect.Play();
	EXPECT_EQ(effect.CurrentHandle(), INVALID_HANDLE);
}

}  // namespace
