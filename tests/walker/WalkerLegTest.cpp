// The walking cycle as it shows: the legs swing between two key poses in
// steps of 35 frames, then 34, one footstep a step, and come back to rest
// when the walker stops to fire.

#include "tests/walker/WalkerTestSupport.h"

using namespace walker_test;
using player_test::MaxDifference;
using player_test::RelativeTo;

namespace {

constexpr float BLEND_STEP = 0.03f;

// The blend parameter grows by 0.03 a frame in single precision from start;
// the number of frames until it has reached threshold.
int FramesToReach(float start, float threshold) {
	int frames = 0;
	for (float t = start; t < threshold; t += BLEND_STEP) {
		++frames;
	}
	return frames;
}

D3DXMATRIX Translation(float x, float y, float z) {
	D3DXMATRIX m;
	D3DXMatrixTranslation(&m, x, y, z);
	return m;
}

// The left foot at the first step's key pose: hip swung 60 degrees about x.
D3DXVECTOR3 LeftFootInStepA() {
	D3DXMATRIX swing;
	D3DXMatrixRotationX(&swing, 1.04718f);
	return TranslationOf(Translation(1.0f, -3.4f, 1.2f) * swing * Translation(3.2f, -5.0f, 1.5f));
}

class WalkerLegTest : public WalkerTest {
protected:
	// A walker on open floor walking towards the robot straight ahead.
	Two_Leg& AddWalkingWalker() {
		Two_Leg& walker = AddLandedWalker(SPAWN_AREA.x, SPAWN_AREA.z);
		PlaceRobotAround(walker, 250.0f, 0.0f);
		return walker;
	}
};

TEST_F(WalkerLegTest, StepsLast35FramesThen34AndSoundOneFootstepEach) {
	Two_Leg& walker = AddWalkingWalker();
	// Step ends on the frame whose blend has reached 1; the first starts at
	// 0, the later ones at 0.03 because the switch frame still adds a step.
	const int firstStep = FramesToReach(0.0f, 1.0f) + 1;
	const int laterStep = FramesToReach(BLEND_STEP, 1.0f) + 1;
	const int firstFootstep = FramesToReach(0.0f, 0.5f);
	const int laterFootstep = FramesToReach(BLEND_STEP, 0.5f);
	ASSERT_EQ(firstStep, 35);
	ASSERT_EQ(laterStep, 34);

	int stepEnds[3] = {firstStep, firstStep + laterStep, firstStep + 2 * laterStep};
	int footsteps[3] = {firstFootstep, firstStep + laterFootstep, firstStep + laterStep + laterFootstep};
	int nextStep = 0, nextFootstep = 0;
	int mode = walker.legMode;
	int voice = walker.footSound.NextVoice();
	D3DXMATRIX rightHip = RelativeTo(walker.rightUpper, walker.world);
	for (int frame = 1; frame <= stepEnds[2]; ++frame) {
		Step(walker);
		const D3DXMATRIX newRightHip = RelativeTo(walker.rightUpper, walker.world);
		if (frame == 1) {
			EXPECT_EQ(walker.legMode, WALKER_LEGS_STEP_A);
			mode = walker.legMode;
		} else if (walker.legMode != mode) {
			ASSERT_LT(nextStep, 3) << frame;
			EXPECT_EQ(frame, stepEnds[nextStep++]);
			EXPECT_EQ(walker.legMode, mode == WALKER_LEGS_STEP_A ? WALKER_LEGS_STEP_B : WALKER_LEGS_STEP_A);
			mode = walker.legMode;
			// The switch comes between the legs: the right one holds a frame.
			EXPECT_LT(MaxDifference(newRightHip, rightHip), 1e-4f) << frame;
		} else {
			EXPECT_GT(MaxDifference(newRightHip, rightHip), 1e-3f) << frame;
		}
		rightHip = newRightHip;
		if (walker.footSound.NextVoice() != voice) {
			ASSERT_LT(nextFootstep, 3) << frame;
			EXPECT_EQ(frame, footsteps[nextFootstep++]);
			EXPECT_EQ(walker.footSound.NextVoice(), (voice + 1) % 30);
			voice = walker.footSound.NextVoice();
		}
		if (frame == firstStep - 1) {
			// Nearly at the key: 0.99 of the way from rest.
			EXPECT_TRUE(Vec3Near(TranslationOf(RelativeTo(walker.leftLower, walker.world)), LeftFootInStepA(), 0.1f));
		}
	}
	EXPECT_EQ(nextStep, 3);
	EXPECT_EQ(nextFootstep, 3);
}

TEST_F(WalkerLegTest, TheLegsCarryThePartHitSpheres) {
	Two_Leg& walker = AddWalkingWalker();
	Step(walker, 20);
	EXPECT_EQ(MaxDifference(walker.partMatrixA, walker.leftLower), 0.0f);
	EXPECT_EQ(MaxDifference(walker.partMatrixB, walker.rightLower), 0.0f);

	// A gun shot meeting the left lower leg away from the body sphere.
	const D3DXVECTOR3 leg = TranslationOf(walker.leftLower);
	ASSERT_GT(Distance(leg, walker.Position()), 5.5f);
	ASSERT_GT(Distance(leg, TranslationOf(walker.rightLower)), 5.5f);
	Ammo shot(AMMO_PLAYER);
	shot.SetLaunchMatrix(Translation(leg.x + 5.0f, leg.y, leg.z));
	const int hitVoice = walker.hitSound.NextVoice();
	shot.UpdatePlayerShot();
	EXPECT_EQ(walker.hitPoints, 50 - 1);
	EXPECT_EQ(walker.hitSound.NextVoice(), hitVoice + 1);
	EXPECT_TRUE(Vec3Near(walker.hitBurst.Position(), leg, 1e-4f));
	ASSERT_NE(walker.hitBurst.GetManager(), nullptr);
	EXPECT_TRUE(walker.hitBurst.GetManager()->Exists(walker.hitBurst.CurrentHandle()));
}

TEST_F(WalkerLegTest, StoppingToFireBringsTheLegsBackToRestWithoutFootsteps) {
	Two_Leg& walker = AddWalkingWalker();
	Step(walker, 50);
	ASSERT_GT(MaxDifference(RelativeTo(walker.leftUpper, walker.world), Translation(3.2f, -5.0f, 1.5f)), 0.1f);

	PlaceRobotAround(walker, 100.0f, 0.0f);
	const int voice = walker.footSound.NextVoice();
	const int restStep = FramesToReach(0.0f, 1.0f) + 1;
	// One step to rest overshoots by 0.02 of the way; the next settles.
	Step(walker, restStep + FramesToReach(BLEND_STEP, 1.0f) + 1);
	EXPECT_TRUE(walker.attacking);
	EXPECT_EQ(walker.legMode, WALKER_LEGS_REST);
	EXPECT_LT(MaxDifference(RelativeTo(walker.leftUpper, walker.world), Translation(3.2f, -5.0f, 1.5f)), 1e-3f);
	EXPECT_LT(MaxDifference(RelativeTo(walker.rightUpper, walker.world), Translation(-3.2f, -5.0f, 1.5f)), 1e-3f);
	EXPECT_TRUE(Vec3Near(TranslationOf(RelativeTo(walker.leftLower, walker.world)),
	                     D3DXVECTOR3(3.2f + 1.0f, -5.0f - 3.4f, 1.5f + 1.2f), 1e-3f));
	EXPECT_EQ(walker.footSound.NextVoice(), voice);
}

TEST_F(WalkerLegTest, WalkingAgainRestartsStepAFromThePoseShownWithoutAJump) {
	Two_Leg& walker = AddWalkingWalker();
	Step(walker, 50);
	PlaceRobotAround(walker, 100.0f, 0.0f);
	Step(walker, 10);
	ASSERT_EQ(walker.legMode, WALKER_LEGS_REST);
	const D3DXMATRIX leftHip = RelativeTo(walker.leftUpper, walker.world);
	const D3DXMATRIX rightHip = RelativeTo(walker.rightUpper, walker.world);
	ASSERT_GT(MaxDifference(leftHip, Translation(3.2f, -5.0f, 1.5f)), 0.05f);

	PlaceRobotAround(walker, 200.0f, 0.0f);
	Step(walker);
	EXPECT_EQ(walker.legMode, WALKER_LEGS_STEP_A);
	EXPECT_LT(MaxDifference(RelativeTo(walker.leftUpper, walker.world), leftHip), 1e-4f);
	EXPECT_LT(MaxDifference(RelativeTo(walker.rightUpper, walker.world), rightHip), 1e-4f);
}

}  // namespace
