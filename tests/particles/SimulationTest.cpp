#include "ParticleTestSupport.h"

#include <gtest/gtest.h>

using namespace particles;
using namespace particles_test;

namespace {

ManagerPtr RecordingManager(std::shared_ptr<RecordingRenderer::Log>& log) {
	ManagerPtr manager(Manager::Create(100, true));
	log = std::make_shared<RecordingRenderer::Log>();
	manager->SetSpriteRenderer(new RecordingRenderer(log));
	return manager;
}

TEST(Simulation, MotionIntegratesVelocityAndAccelerationPerFrame) {
	std::shared_ptr<RecordingRenderer::Log> log;
	ManagerPtr manager = RecordingManager(log);
	EffectPtr effect = EffectFromText(SpriteEffect(1, 100, "velocity 1 0 0\nacceleration 0 -0.5 0\n"));
	const Handle handle = manager->Play(effect.get(), 10, 0, 0);
	for (int i = 0; i < 4; ++i) {
		manager->Update(1.0f);
	}
	manager->DrawHandle(handle);
	ASSERT_EQ(log->worldPositions.size(), 1u);
	// Born on the first update, then moved three times: v = (1, -0.5k) before step k.
	EXPECT_FLOAT_EQ(log->worldPositions[0].x, 13.0f);
	EXPECT_FLOAT_EQ(log->worldPositions[0].y, -0.5f - 1.0f - 1.5f);
}

TEST(Simulation, WorldParticlesStayWhereTheyWereBornInstanceParticlesFollow) {
	std::shared_ptr<RecordingRenderer::Log> log;
	ManagerPtr manager = RecordingManager(log);
	EffectPtr world = EffectFromText(SpriteEffect(1, 100, "position 0 0 -2\nfollow world\n"));
	EffectPtr attached = EffectFromText(SpriteEffect(1, 100, "position 0 0 -2\nfollow instance\n"));
	const Handle a = manager->Play(world.get(), 0, 0, 0);
	const Handle b = manager->Play(attached.get(), 0, 0, 0);
	manager->SetRotation(a, D3DXVECTOR3(0, 1, 0), D3DX_PI / 2);
	manager->SetRotation(b, D3DXVECTOR3(0, 1, 0), D3DX_PI / 2);
	manager->Update(1.0f);  // births, turned: local -z becomes world +x... checked below
	manager->SetLocation(a, 100, 0, 0);
	manager->SetLocation(b, 100, 0, 0);
	manager->Draw();
	ASSERT_EQ(log->worldPositions.size(), 2u);
	// (0, 0, -2) turned 90 degrees about y (left-handed) is (-2, 0, 0).
	EXPECT_NEAR(log->worldPositions[0].x, -2.0f, 1e-5);
	EXPECT_NEAR(log->worldPositions[1].x, 98.0f, 1e-5);
	EXPECT_NEAR(log->worldPositions[1].z, 0.0f, 1e-5);
}

TEST(Simulation, RandomRangesAreDeterministicPerHandleAndDifferBetweenHandles) {
	std::shared_ptr<RecordingRenderer::Log> firstLog, secondLog;
	ManagerPtr first = RecordingManager(firstLog);
	ManagerPtr second = RecordingManager(secondLog);
	EffectPtr effect = EffectFromText(SpriteEffect(8, 50, "position -5 -5 -5 5 5 5\n"));
	first->Play(effect.get(), 0, 0, 0);
	first->Play(effect.get(), 0, 0, 0);
	second->Play(effect.get(), 0, 0, 0);
	first->Update(1.0f);
	second->Update(1.0f);
	first->Draw();
	second->Draw();
	ASSERT_EQ(firstLog->worldPositions.size(), 16u);
	ASSERT_EQ(secondLog->worldPositions.size(), 8u);
	for (size_t i = 0; i < 8; ++i) {
		EXPECT_EQ(firstLog->worldPositions[i], secondLog->worldPositions[i]) << "handle 0 differs, particle " << i;
		const D3DXVECTOR3& p = firstLog->worldPositions[i];
		EXPECT_TRUE(p.x >= -5 && p.x <= 5 && p.y >= -5 && p.y <= 5 && p.z >= -5 && p.z <= 5);
	}
	EXPECT_NE(firstLog->worldPositions[0], firstLog->worldPositions[8]);
}

TEST(Simulation, LineShapeSpreadsParticlesEvenlyFromEndToEnd) {
	std::shared_ptr<RecordingRenderer::Log> log;
	ManagerPtr manager = RecordingManager(log);
	EffectPtr effect = EffectFromText(SpriteEffect(5, 10, "shape line 0 0 0 0 0 -100\n"));
	manager->Play(effect.get(), 0, 0, 0);
	manager->Update(1.0f);
	manager->Draw();
	ASSERT_EQ(log->worldPositions.size(), 5u);
	for (size_t i = 0; i < 5; ++i) {
		EXPECT_FLOAT_EQ(log->worldPositions[i].z, -25.0f * static_cast<float>(i));
	}
}

TEST(Simulation, ColourScaleAndFadesFollowTheParticlesAge) {
	NodeDefinition node;
	node.scaleStart = 1.0f;
	node.scaleEnd = 3.0f;
	node.hasColorEnd = true;
	node.colorEnd = D3DXCOLOR(0, 0, 1, 1);
	node.fadeIn = 4;
	node.fadeOut = 5;
	Particle p;
	p.life = 20;
	p.baseSize = 2;
	p.birthColor = D3DXCOLOR(1, 0, 0, 1);
	p.age = 0;
	EvaluateParticle(node, p);
	EXPECT_FLOAT_EQ(p.size, 2.0f);
	EXPECT_FLOAT_EQ(p.color.a, 0.25f);  // first of four fade-in frames
	p.age = 10;
	EvaluateParticle(node, p);
	EXPECT_FLOAT_EQ(p.size, 4.0f);
	EXPECT_FLOAT_EQ(p.color.r, 0.5f);
	EXPECT_FLOAT_EQ(p.color.b, 0.5f);
	EXPECT_FLOAT_EQ(p.color.a, 1.0f);
	p.age = 18;
	EvaluateParticle(node, p);
	EXPECT_FLOAT_EQ(p.color.a, 0.4f);  // two of five fade-out frames left
}

TEST(Simulation, MagnificationScalesDistancesAndSizes) {
	const std::string text = SpriteEffect(1, 10, "position 1 2 3\nsize 4\n");
	EffectPtr effect(Effect::CreateFromMemory(nullptr, Bytes(text), "big.efk", 2.5f, ""));
	ASSERT_NE(effect, nullptr);
	const NodeDefinition& node = effect->Definition()->nodes[0];
	EXPECT_FLOAT_EQ(node.position.min.z, 7.5f);
	EXPECT_FLOAT_EQ(node.size.max, 10.0f);
}

}  // namespace
