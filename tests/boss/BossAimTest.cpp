// Where the boss stands, how it turns towards the player and when it opens
// fire with its gun and plasma.

#include "tests/boss/BossTestSupport.h"

using namespace boss_test;

namespace {

constexpr float DEGREE = 0.017453f;

class BossAimTest : public BossTest {};

TEST_F(BossAimTest, StandsAtItsPlaceFacingHeading90WithItsTracksOnTheArenaFloor) {
	EXPECT_VEC3_NEAR(OpPosition(), D3DXVECTOR3(2000.0f, -155.0f, 2150.0f), 0.0f);
	EXPECT_EQ(boss->opYaw, 90.0f);
	// Heading 90 turns the local -z facing onto world -x.
	EXPECT_VEC3_NEAR(FacingOf(boss->op), D3DXVECTOR3(-std::sin(90.0f * DEGREE), 0.0f, -std::cos(90.0f * DEGREE)),
	                 1e-6f);
	EXPECT_EQ(boss->hitPoints, 300);
	EXPECT_EQ(boss->bodyRadius, 15);
	EXPECT_EQ(boss->partRadiusA, 8);
	EXPECT_EQ(boss->partRadiusB, 8);

	// The lowest point of the op's mesh, found from below, is the floor.
	const Model& opModel = (*modelTable)[MODEL_BOSS_OP];
	ASSERT_FALSE(opModel.IsEmpty());
	float lowest = 1e9f;
	for (float across = -30.0f; across <= 30.0f; across += 2.0f) {
		for (float along = -30.0f; along <= 30.0f; along += 2.0f) {
			const D3DXVECTOR3 below(OpPosition().x + along, -1000.0f, OpPosition().z + across);
			const RayCastResult up = CastRay(opModel.mesh, boss->op, below, D3DXVECTOR3(0.0f, 1.0f, 0.0f));
			if (up.hit) {
				lowest = std::fmin(lowest, below.y + up.distance);
			}
		}
	}
	EXPECT_NEAR(lowest, FloorAt(OpPosition().x, OpPosition().z), 0.5f);
}

TEST_F(BossAimTest, TheBodySitsAboveTheOpAndTheArmsHangAtItsSidesWhereTheHitSpheresAre) {
	PlaceRobotFromOp(D3DXVECTOR3(0.0f, 0.0f, -400.0f));
	UpdateBoss();
	const D3DXMATRIX toOp = [&] {
		D3DXMATRIX inverse;
		D3DXMatrixInverse(&inverse, nullptr, &boss->op);
		return inverse;
	}();
	D3DXVECTOR3 body, plasmaArm, gunArm;
	const D3DXVECTOR3 bodyCentre = boss->Position(), aCentre = TranslationOf(boss->partMatrixA),
	                  bCentre = TranslationOf(boss->partMatrixB);
	D3DXVec3TransformCoord(&body, &bodyCentre, &toOp);
	D3DXVec3TransformCoord(&plasmaArm, &aCentre, &toOp);
	D3DXVec3TransformCoord(&gunArm, &bCentre, &toOp);
	EXPECT_VEC3_NEAR(body, D3DXVECTOR3(0.0f, 15.0f, 0.0f), 1e-3f);
	// 35 to each side, splayed 10 degrees forward; upside down, so 10 up.
	const float side = 35.0f * std::cos(10.0f * DEGREE), forward = 35.0f * std::sin(10.0f * DEGREE);
	EXPECT_VEC3_NEAR(plasmaArm, D3DXVECTOR3(-side, 10.0f, -forward), 0.01f);
	EXPECT_VEC3_NEAR(gunArm, D3DXVECTOR3(side, 10.0f, -forward), 0.01f);
	// Upside down: each arm's up axis points down.
	EXPECT_LT(boss->partMatrixA._22, -0.99f);
	EXPECT_LT(boss->partMatrixB._22, -0.99f);
}

TEST_F(BossAimTest, APlayerJustInRangeDrawsGunFireEveryFourthFrameFromTheSpinningGunArmAndPlasma) {
	PlaceRobotFromOp(D3DXVECTOR3(0.0f, 0.0f, -304.0f));
	UpdateBoss();
	EXPECT_TRUE(boss->attacking);
	EXPECT_EQ(boss->barrelSpin, 5.0f);
	ASSERT_EQ(boss->projectiles.size(), 1u);
	EXPECT_EQ(boss->projectiles[0]->kind, AMMO_BOSS);
	// The shot and the plasma leave from the arms as posed this frame.
	EXPECT_LT(MatrixDifference(boss->projectiles[0]->world, boss->partMatrixB), 1e-6f);
	EXPECT_TRUE(boss->plasma.active);
	EXPECT_EQ(boss->plasma.ownerKind, PLASMA_OWNER_BOSS);
	EXPECT_LT(MatrixDifference(boss->plasma.world, boss->partMatrixA), 1e-6f);
	EXPECT_EQ(boss->plasma.charge, 0);

	int fired = 1;
	for (int frame = 2; frame <= 13; ++frame) {
		const size_t before = boss->projectiles.size();
		UpdateBoss();
		const bool shot = boss->projectiles.size() == before + 1;
		EXPECT_EQ(shot, (frame - 1) % 4 == 0) << frame;
		fired += shot ? 1 : 0;
		EXPECT_EQ(boss->barrelSpin, 5.0f * float(frame));
	}
	EXPECT_EQ(fired, 4);
	// The barrel's roll turns the gun arm about its own z axis and moves nothing.
	boss->UpdatePose();
	const D3DXMATRIX spun = boss->partMatrixB;
	const float spin = boss->barrelSpin;
	boss->barrelSpin = 0.0f;
	boss->UpdatePose();
	D3DXMATRIX roll;
	D3DXMatrixRotationZ(&roll, spin * DEGREE);
	EXPECT_LT(MatrixDifference(Relative(spun, boss->partMatrixB), roll), 1e-4f);
}

// The player's direction from the op for a heading, in the op's own terms.
D3DXVECTOR3 AlongHeading(float degrees, float distance) {
	return D3DXVECTOR3(-std::sin(degrees * DEGREE), 0.0f, -std::cos(degrees * DEGREE)) * distance;
}

TEST_F(BossAimTest, TheOpTurnsADegreeAFrameUntilItFacesThePlayerToWithinAWholeDegree) {
	// Half a degree off whole headings, the op stops half a degree short.
	PlaceRobotFromOp(AlongHeading(30.5f, 304.0f));
	for (int frame = 1; frame <= 59; ++frame) {
		UpdateBoss();
		EXPECT_EQ(boss->opYaw, 90.0f - float(frame)) << frame;
	}
	UpdateBoss(30);
	EXPECT_EQ(boss->opYaw, 31.0f);
	EXPECT_EQ(boss->aimAngle, 0.0f);
	EXPECT_NEAR(DegreesBetween(FacingOf(boss->op), Player().Position() - OpPosition()), 0.5f, 0.01f);
	EXPECT_VEC3_NEAR(OpPosition(), D3DXVECTOR3(2000.0f, -155.0f, 2150.0f), 0.0f);

	// The other way, up to a heading beyond the player's.
	boss->Init();
	PlaceRobotFromOp(AlongHeading(150.5f, 304.0f));
	UpdateBoss(100);
	EXPECT_EQ(boss->opYaw, 150.0f);
	EXPECT_NEAR(DegreesBetween(FacingOf(boss->op), Player().Position() - OpPosition()), 0.5f, 0.01f);

	// A player straight ahead is not turned to.
	boss->Init();
	PlaceRobotFromOp(D3DXVECTOR3(-200.0f, 0.0f, 0.0f));
	UpdateBoss(10);
	EXPECT_EQ(boss->opYaw, 90.0f);
	EXPECT_EQ(boss->aimAngle, 0.0f);
}

TEST_F(BossAimTest, TheHeadingIsNotWrappedAsTheOpTurnsRoundAndRound) {
	// The short way to heading -100.5 is up through 180.
	PlaceRobotFromOp(AlongHeading(-100.5f, 250.0f));
	UpdateBoss(200);
	EXPECT_EQ(boss->opYaw, 259.0f);
	// And on to 10.5, the short way up past a whole turn.
	PlaceRobotFromOp(AlongHeading(10.5f, 250.0f));
	UpdateBoss(200);
	EXPECT_EQ(boss->opYaw, 370.0f);
	EXPECT_NEAR(DegreesBetween(FacingOf(boss->op), Player().Position() - OpPosition()), 0.5f, 0.01f);
}

TEST_F(BossAimTest, AtRange305TheBossIdlesAndKeepsItsTimersForTheNextEngagement) {
	PlaceRobotFromOp(D3DXVECTOR3(0.0f, 0.0f, -304.0f));
	UpdateBoss(150);
	const int32_t fireTimer = boss->fireTimer, missileTimer = boss->missileTimer;
	const float opYaw = boss->opYaw, barrelSpin = boss->barrelSpin;
	EXPECT_EQ(missileTimer, 150);

	PlaceRobotFromOp(D3DXVECTOR3(0.0f, 0.0f, -305.0f));
	const size_t shots = boss->projectiles.size();
	UpdateBoss(200);
	EXPECT_FALSE(boss->attacking);
	EXPECT_EQ(boss->fireTimer, fireTimer);
	EXPECT_EQ(boss->missileTimer, missileTimer);
	EXPECT_EQ(boss->opYaw, opYaw);
	EXPECT_EQ(boss->barrelSpin, barrelSpin);
	EXPECT_LE(boss->projectiles.size(), shots);
	EXPECT_TRUE(Missiles().empty());

	// Back in range the count goes on: the missile leaves on in-range frame 301.
	PlaceRobotFromOp(D3DXVECTOR3(0.0f, 0.0f, -304.0f));
	UpdateBoss(300 - missileTimer);
	EXPECT_TRUE(Missiles().empty());
	UpdateBoss();
	EXPECT_EQ(Missiles().size(), 1u);
}

}  // namespace
