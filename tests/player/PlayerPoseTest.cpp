// The robot's drawn pose: the idle stance, and blends between key poses
// that never jump and settle after ten frames.

#include "tests/player/PlayerTestSupport.h"

#include <array>
#include <cmath>

using namespace player_test;

namespace {

// Whole degrees times this, as the robot's poses are built.
constexpr float DEGREE = 0.017453f;
constexpr float ANGLE_TOLERANCE = 1e-4f;
constexpr float MATRIX_TOLERANCE = 1e-5f;

D3DXMATRIX Translation(float x, float y, float z) {
	D3DXMATRIX m;
	return *D3DXMatrixTranslation(&m, x, y, z);
}

D3DXMATRIX RotX(float degrees) {
	D3DXMATRIX m;
	return *D3DXMatrixRotationX(&m, degrees * DEGREE);
}

D3DXMATRIX RotZ(float degrees) {
	D3DXMATRIX m;
	return *D3DXMatrixRotationZ(&m, degrees * DEGREE);
}

float DistanceToTranslation(const D3DXMATRIX& m, const D3DXVECTOR3& point) {
	const D3DXVECTOR3 offset = D3DXVECTOR3(m._41, m._42, m._43) - point;
	return D3DXVec3Length(&offset);
}

// Where a part's local down axis points, in its parent's frame.
D3DXVECTOR3 DownAxis(const D3DXMATRIX& local) { return D3DXVECTOR3(-local._21, -local._22, -local._23); }

// The hip and leg parts as drawn, each in its parent's frame: under-body
// in the body's, thighs in the under-body's, shins in the thighs'.
struct DrawnLegs {
	D3DXMATRIX underBody, thighLeft, shinLeft, thighRight, shinRight;

	std::array<const D3DXMATRIX*, 5> All() const { return {&underBody, &thighLeft, &shinLeft, &thighRight, &shinRight}; }
};

float LegsDifference(const DrawnLegs& a, const DrawnLegs& b) {
	float largest = 0.0f;
	for (size_t i = 0; i < a.All().size(); ++i) {
		largest = std::max(largest, MaxDifference(*a.All()[i], *b.All()[i]));
	}
	return largest;
}

class PlayerPoseTest : public BattleTest {
protected:
	DrawnLegs Drawn() {
		const MechPose& pose = Player().pose;
		return {RelativeTo(pose.underBody, Player().world), RelativeTo(pose.thighLeft, pose.underBody),
		        RelativeTo(pose.shinLeft, pose.thighLeft), RelativeTo(pose.thighRight, pose.underBody),
		        RelativeTo(pose.shinRight, pose.thighRight)};
	}
};

TEST_F(PlayerPoseTest, WithNoInputTheThighsStandSplayedFiveDegreesOutAndTheShinsHang3Point5Below) {
	StepPlayer(5);
	const DrawnLegs legs = Drawn();

	EXPECT_LT(MaxDifference(legs.underBody, Translation(0.0f, -3.5f, 0.0f)), MATRIX_TOLERANCE);

	EXPECT_LT(DistanceToTranslation(legs.thighLeft, D3DXVECTOR3(-1.2f, -1.5f, 0.0f)), MATRIX_TOLERANCE);
	EXPECT_LT(DistanceToTranslation(legs.thighRight, D3DXVECTOR3(1.2f, -1.5f, 0.0f)), MATRIX_TOLERANCE);
	// Outward: the left leg's down axis leans to -x, the right one's to +x,
	// each by 5 degrees and in the body's side plane.
	const D3DXVECTOR3 leftDown = DownAxis(legs.thighLeft);
	const D3DXVECTOR3 rightDown = DownAxis(legs.thighRight);
	EXPECT_NEAR(leftDown.x, -std::sin(5.0f * DEGREE), ANGLE_TOLERANCE);
	EXPECT_NEAR(rightDown.x, std::sin(5.0f * DEGREE), ANGLE_TOLERANCE);
	EXPECT_NEAR(leftDown.y, -std::cos(5.0f * DEGREE), ANGLE_TOLERANCE);
	EXPECT_NEAR(rightDown.y, -std::cos(5.0f * DEGREE), ANGLE_TOLERANCE);
	EXPECT_NEAR(leftDown.z, 0.0f, ANGLE_TOLERANCE);
	EXPECT_NEAR(rightDown.z, 0.0f, ANGLE_TOLERANCE);

	EXPECT_LT(MaxDifference(legs.shinLeft, Translation(0.0f, -3.5f, 0.0f)), MATRIX_TOLERANCE);
	EXPECT_LT(MaxDifference(legs.shinRight, Translation(0.0f, -3.5f, 0.0f)), MATRIX_TOLERANCE);
}

TEST_F(PlayerPoseTest, AChangeInTheMiddleOfABlendDoesNotJumpAndTheNewKeyPoseIsReachedOnTheEleventhFrame) {
	StepPlayer(5);
	Press('W');
	StepPlayer(3);
	DrawnLegs before = Drawn();
	StepPlayer();
	DrawnLegs last = Drawn();
	// One step of the walk's blend, the size every step of it has.
	const float blendStep = LegsDifference(before, last);
	ASSERT_GT(blendStep, 1e-3f);

	// Mid-blend: W gives way to D.
	Lift('W');
	Press('D');
	StepPlayer();
	const DrawnLegs atChange = Drawn();
	// At most about one more step of the old blend (its steps differ a
	// little along the arc); a jump would be most of the whole blend.
	EXPECT_LE(LegsDifference(atChange, last), blendStep * 1.5f);
	// The new blend starts from the pose drawn at the change.
	StepPlayer();
	EXPECT_LT(LegsDifference(Drawn(), atChange), MATRIX_TOLERANCE);

	// The strafe-right key pose, as the robot's legs are built.
	DrawnLegs strafeRight;
	strafeRight.underBody = Translation(0.0f, -3.5f, 0.0f) * Translation(0.0f, 0.5f, 0.5f) * RotX(20.0f);
	strafeRight.thighLeft = RotZ(-40.0f) * RotX(-45.0f) * Translation(-1.2f, -1.7f, 1.0f);
	strafeRight.thighRight = RotZ(5.0f) * RotX(-60.0f) * Translation(1.2f, -1.7f, 1.0f);
	strafeRight.shinLeft = RotX(60.0f) * Translation(0.0f, -3.5f, 0.0f);
	strafeRight.shinRight = strafeRight.shinLeft;

	// The update of the change blends at t = 0, each later one 0.1 further:
	// the eleventh reaches t = 1, drawn from the update after it.
	StepPlayer(8);
	EXPECT_GT(LegsDifference(Drawn(), strafeRight), 1e-3f);
	StepPlayer();
	EXPECT_GT(LegsDifference(Drawn(), strafeRight), 1e-3f);
	StepPlayer();
	EXPECT_LT(LegsDifference(Drawn(), strafeRight), 1e-4f);
	for (int i = 0; i < 5; ++i) {
		StepPlayer();
		EXPECT_LT(LegsDifference(Drawn(), strafeRight), 1e-4f);
	}
}

TEST_F(PlayerPoseTest, SAfterWRestartsTheBlendTowardsTheSameLegsWithoutAJump) {
	StepPlayer(5);
	Press('W');
	StepPlayer(20);
	const DrawnLegs walking = Drawn();

	Lift('W');
	Press('S');
	StepPlayer();
	EXPECT_EQ(Player().moveDir, MOVE_BACK);
	EXPECT_NEAR(Player().poseBlend, 0.1f, 1e-6f);
	for (int i = 0; i < 12; ++i) {
		EXPECT_LT(LegsDifference(Drawn(), walking), MATRIX_TOLERANCE) << "update " << i;
		StepPlayer();
	}
}

}  // namespace
