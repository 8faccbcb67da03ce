#include "ParticleTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>

using namespace particles;
using namespace particles_test;

namespace {

class ManagerTest : public ::testing::Test {
protected:
	ManagerPtr manager{Manager::Create(2000, true)};
	EffectPtr shortEffect = EffectFromText(SpriteEffect(3, 10));
	EffectPtr longEffect = EffectFromText(SpriteEffect(1, 1000));
};

TEST_F(ManagerTest, HandlesStartAtZeroAndAreNeverReused) {
	ASSERT_NE(shortEffect, nullptr);
	const Handle first = manager->Play(shortEffect.get(), 0, 0, 0);
	EXPECT_EQ(first, 0);
	EXPECT_TRUE(manager->Exists(0));
	std::set<Handle> seen{first};
	for (int round = 0; round < 50; ++round) {
		const Handle handle = manager->Play(shortEffect.get(), 0, 0, 0);
		EXPECT_TRUE(seen.insert(handle).second) << "handle " << handle << " was handed out twice";
		manager->StopEffect(handle);
		manager->Update(1.0f);
	}
	// Stopping the newest instance does not make its handle come back.
	const Handle next = manager->Play(shortEffect.get(), 0, 0, 0);
	EXPECT_GT(next, *seen.rbegin());
}

TEST_F(ManagerTest, NullEffectGivesInvalidHandleAndStartsNothing) {
	EXPECT_EQ(manager->Play(nullptr, 1, 2, 3), INVALID_HANDLE);
	EXPECT_EQ(manager->GetInstanceCount(), 0);
	EXPECT_FALSE(manager->Exists(INVALID_HANDLE));
}

TEST_F(ManagerTest, InstanceEndsWhenItsLastParticleDies) {
	const Handle handle = manager->Play(shortEffect.get(), 0, 0, 0);
	for (int frame = 1; frame <= 10; ++frame) {
		manager->Update(1.0f);
		ASSERT_TRUE(manager->Exists(handle)) << "gone after " << frame << " frames of a 10-frame life";
		EXPECT_EQ(manager->GetTotalParticleCount(), 3u);
	}
	manager->Update(1.0f);
	EXPECT_FALSE(manager->Exists(handle));
	EXPECT_EQ(manager->GetInstanceCount(), 0);
}

TEST_F(ManagerTest, InstanceLastsUntilDelayedAndRatedNodesAreDone) {
	// The second node starts on frame 5 and emits one particle every other frame.
	EffectPtr effect = EffectFromText(SpriteEffect(1, 2) + "node Late\ncount 3\nrate 0.5\ndelay 5\nlife 4\n");
	ASSERT_NE(effect, nullptr);
	const Handle handle = manager->Play(effect.get(), 0, 0, 0);
	int frames = 0;
	while (manager->Exists(handle) && frames < 100) {
		manager->Update(1.0f);
		++frames;
	}
	// Births on frames 6, 8 and 10 (rate 0.5 from frame 5); the last dies 4 frames later.
	EXPECT_EQ(frames, 15);
}

TEST_F(ManagerTest, CallsOnDeadOrUnknownHandlesDoNothing) {
	const Handle live = manager->Play(longEffect.get(), 1, 2, 3);
	const Handle dead = manager->Play(shortEffect.get(), 0, 0, 0);
	manager->StopEffect(dead);
	const Matrix43 before = manager->GetMatrix(live);
	for (Handle handle : {dead, Handle(-1), Handle(12345)}) {
		manager->SetLocation(handle, 9, 9, 9);
		manager->SetRotation(handle, D3DXVECTOR3(0, 1, 0), 1.0f);
		manager->SetMatrix(handle, Matrix43{});
		manager->SetAutoDrawing(handle, false);
		manager->StopEffect(handle);
		manager->DrawHandle(handle);
		EXPECT_FALSE(manager->Exists(handle));
	}
	EXPECT_TRUE(manager->Exists(live));
	EXPECT_EQ(manager->GetInstanceCount(), 1);
	const Matrix43 after = manager->GetMatrix(live);
	EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
}

TEST_F(ManagerTest, SetLocationAfterSetMatrixKeepsTheRotation) {
	const Handle handle = manager->Play(longEffect.get(), 0, 0, 0);
	D3DXMATRIX rotation;
	D3DXMatrixRotationY(&rotation, 0.7f);
	rotation._41 = 5;
	manager->SetMatrix(handle, Matrix43::FromMatrix(rotation));
	manager->SetLocation(handle, 10, 20, 30);
	const Matrix43 m = manager->GetMatrix(handle);
	for (int row = 0; row < 3; ++row) {
		for (int column = 0; column < 3; ++column) {
			EXPECT_FLOAT_EQ(m.value[row][column], rotation.m[row][column]);
		}
	}
	EXPECT_FLOAT_EQ(m.value[3][0], 10);
	EXPECT_FLOAT_EQ(m.value[3][1], 20);
	EXPECT_FLOAT_EQ(m.value[3][2], 30);
}

TEST_F(ManagerTest, SetRotationReplacesRotationAndKeepsTranslation) {
	const Handle handle = manager->Play(longEffect.get(), 4, 5, 6);
	manager->SetRotation(handle, D3DXVECTOR3(0, 0, 1), 0.3f);
	manager->SetRotation(handle, D3DXVECTOR3(0, 1, 0), D3DX_PI / 2);  // not accumulated
	const Matrix43 m = manager->GetMatrix(handle);
	// +x turned 90 degrees about +y in a left-handed frame points to -z.
	EXPECT_NEAR(m.value[0][0], 0.0f, 1e-6);
	EXPECT_NEAR(m.value[0][2], -1.0f, 1e-6);
	EXPECT_NEAR(m.value[1][1], 1.0f, 1e-6);
	EXPECT_FLOAT_EQ(m.value[3][0], 4);
	EXPECT_FLOAT_EQ(m.value[3][2], 6);
}

TEST_F(ManagerTest, InstanceCapHoldsAndFreesWithStops) {
	ManagerPtr small(Manager::Create(5, true));
	std::vector<Handle> handles;
	for (int i = 0; i < 5; ++i) {
		handles.push_back(small->Play(longEffect.get(), 0, 0, 0));
		EXPECT_NE(handles.back(), INVALID_HANDLE);
	}
	EXPECT_EQ(small->Play(longEffect.get(), 0, 0, 0), INVALID_HANDLE);
	EXPECT_EQ(small->GetInstanceCount(), 5);
	for (Handle handle : handles) {
		EXPECT_TRUE(small->Exists(handle)) << "a full manager must not evict instance " << handle;
	}
	small->StopEffect(handles[2]);
	const Handle again = small->Play(longEffect.get(), 0, 0, 0);
	EXPECT_GT(again, handles.back());
}

TEST_F(ManagerTest, FullSizedManagerHoldsTwoThousand) {
	int started = 0;
	for (int i = 0; i < 2100; ++i) {
		started += manager->Play(longEffect.get(), 0, 0, 0) != INVALID_HANDLE ? 1 : 0;
	}
	EXPECT_EQ(started, 2000);
	manager->Update(1.0f);
	EXPECT_EQ(manager->GetInstanceCount(), 2000);
}

TEST_F(ManagerTest, DrawSkipsInstancesWithoutAutoDrawingAndDrawHandleShowsThem) {
	auto log = std::make_shared<RecordingRenderer::Log>();
	manager->SetSpriteRenderer(new RecordingRenderer(log));
	const Handle shown = manager->Play(shortEffect.get(), 0, 0, 0);
	const Handle hidden = manager->Play(longEffect.get(), 0, 0, 0);
	manager->SetAutoDrawing(hidden, false);
	manager->Update(1.0f);
	manager->Draw();
	EXPECT_EQ(log->particles, 3u);
	log->particles = 0;
	manager->DrawHandle(hidden);
	EXPECT_EQ(log->particles, 1u);
	log->particles = 0;
	manager->DrawHandle(shown);
	EXPECT_EQ(log->particles, 3u);
}

TEST_F(ManagerTest, ReleasedEffectKeepsPlayingInstancesAlive) {
	EffectPtr effect = EffectFromText(SpriteEffect(2, 5));
	const Handle handle = manager->Play(effect.get(), 0, 0, 0);
	effect.reset();
	for (int i = 0; i < 3; ++i) {
		manager->Update(1.0f);
	}
	EXPECT_TRUE(manager->Exists(handle));
	EXPECT_EQ(manager->GetTotalParticleCount(), 2u);
}

TEST_F(ManagerTest, UpdateCarriesFractionsAndRefusesNonsense) {
	const Handle handle = manager->Play(shortEffect.get(), 0, 0, 0);
	manager->Update(0.5f);
	EXPECT_EQ(manager->GetInstance(handle)->Frame(), 0);
	manager->Update(0.5f);
	EXPECT_EQ(manager->GetInstance(handle)->Frame(), 1);
	manager->Update(-3.0f);
	manager->Update(std::nanf(""));
	EXPECT_EQ(manager->GetInstance(handle)->Frame(), 1);
}

}  // namespace
