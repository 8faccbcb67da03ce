#include "tests/assets/RigPoses.h"

namespace {

constexpr float kDegree = 0.017453f;

Mat4 T(float x, float y, float z) { return Mat4::Translation(x, y, z); }
Mat4 RX(float a) { return Mat4::RotationX(a); }
Mat4 RY(float a) { return Mat4::RotationY(a); }
Mat4 RZ(float a) { return Mat4::RotationZ(a); }

struct PlayerMatrices {
	Mat4 world, underBody, backPack, nozzleRight, nozzleLeft, shoulderLeft, upperArmLeft, forearmLeft, shoulderRight,
	    plasmaMount, upperArmRight, forearmRight, thighLeft, shinLeft, thighRight, shinRight;
};

PlayerMatrices PlayerPose(float aimPitch) {
	PlayerMatrices m;
	const Mat4 hipPose = Mat4::Identity();
	m.underBody = T(0, -3.5f, 0) * hipPose * m.world;
	m.backPack = T(0, 0, -2) * m.world;
	m.nozzleRight = T(0.5f, -1.2f, -0.7f) * m.backPack;
	m.nozzleLeft = T(-0.5f, -1.2f, -0.7f) * m.backPack;
	m.shoulderLeft = RX(-aimPitch * kDegree) * T(-2, 0.5f, -0.5f) * m.world;
	m.upperArmLeft = RZ(1.57077f) * T(-0.5f, 0, 0) * m.shoulderLeft;
	m.forearmLeft = RY(1.13444f) * T(-2.65f, 0, 0) * m.upperArmLeft;
	m.shoulderRight = RX(aimPitch * kDegree) * RY(3.14154f) * T(2, 0.5f, -0.5f) * m.world;
	m.plasmaMount = RX(-25 * kDegree) * m.shoulderRight;
	m.upperArmRight = RZ(1.57077f) * RY(-0.017453f) * T(-0.5f, 0, 0) * m.shoulderRight;
	m.forearmRight = RY(-1.13444f) * T(-2.65f, 0, 0) * m.upperArmRight;
	// The idle key pose of the legs.
	m.thighLeft = RZ(-0.087265f) * T(-1.2f, -1.5f, 0) * m.underBody;
	m.shinLeft = T(0, -3.5f, 0) * m.thighLeft;
	m.thighRight = RZ(0.087265f) * T(1.2f, -1.5f, 0) * m.underBody;
	m.shinRight = T(0, -3.5f, 0) * m.thighRight;
	return m;
}

}  // namespace

Mat4 PlayerMuzzle(float aimPitch) { return T(-8, -0.2f, -1) * PlayerPose(aimPitch).forearmRight; }
Mat4 PlayerPlasmaLaunch(float aimPitch) { return T(0, 2.5f, 0) * PlayerPose(aimPitch).plasmaMount; }

Rig PlayerRig(float aimPitch) {
	const PlayerMatrices m = PlayerPose(aimPitch);
	Rig rig;
	rig.parts = {
	    {"robot/body.x", m.world, -1},            {"robot/under_body.x", m.underBody, 0},
	    {"robot/BackPack.x", m.backPack, 0},      {"robot/vernier.x", m.nozzleRight, 2},
	    {"robot/vernier.x", m.nozzleLeft, 2},     {"robot/L_sholder.x", m.shoulderLeft, 0},
	    {"robot/L_upper_arm.x", m.upperArmLeft, 5}, {"robot/R_lower_arm.x", m.forearmLeft, 6},
	    {"robot/R_sholder.x", m.shoulderRight, 0}, {"robot/L_upper_arm.x", m.upperArmRight, 8},
	    {"robot/L_lower_arm.x", m.forearmRight, 9}, {"robot/Plasma.x", m.plasmaMount, 8},
	    {"robot/L_upper_leg.x", m.thighLeft, 1},  {"robot/L_lower_leg.x", m.shinLeft, 12},
	    {"robot/L_upper_leg.x", m.thighRight, 1}, {"robot/L_lower_leg.x", m.shinRight, 14},
	};
	rig.muzzles = {PlayerMuzzle(aimPitch).Row(3), PlayerPlasmaLaunch(aimPitch).Row(3)};
	return rig;
}

Rig WalkerRig() {
	const Mat4 world;
	const Mat4 leftUpper = T(3.2f, -5.0f, 1.5f) * world;
	const Mat4 rightUpper = T(-3.2f, -5.0f, 1.5f) * world;
	const Mat4 leftLower = T(1.0f, -3.4f, 1.2f) * leftUpper;
	const Mat4 rightLower = T(-1.0f, -3.4f, 1.2f) * rightUpper;
	Rig rig;
	rig.parts = {
	    {"Enemy/two_leg/Body.x", world, -1},
	    {"Enemy/two_leg/Left_Musle.x", leftUpper, 0},
	    {"Enemy/two_leg/Left_Leg.x", leftLower, 1},
	    {"Enemy/two_leg/Right_Musle.x", rightUpper, 0},
	    {"Enemy/two_leg/Right_Leg.x", rightLower, 3},
	};
	rig.muzzles = {(T(0, 2.3f, -8) * world).Row(3)};
	return rig;
}

Rig TurretRig() {
	const Mat4 world;
	const Mat4 gun = T(0, 15, 0) * world;
	Rig rig;
	rig.parts = {{"Enemy/Turret/Turret.x", world, -1}, {"Enemy/Turret/RaserGun.x", gun, 0}};
	rig.muzzles = {(T(0, 0, -50) * gun).Row(3)};
	return rig;
}

Rig BossRig(float barrelSpinDegrees) {
	const Mat4 op;
	const Mat4 plasmaArm = T(-35, -10, 0) * RY(0.17453f) * RX(3.14154f) * op;
	const Mat4 gunArm = RZ(barrelSpinDegrees * kDegree) * T(35, -10, 0) * RY(-0.17453f) * RX(3.14154f) * op;
	Rig rig;
	rig.parts = {{"Enemy/Tank/Boss_Op.x", op, -1}, {"Enemy/Tank/Arm_G.x", gunArm, 0}, {"Enemy/Tank/Arm_P.x", plasmaArm, 0}};
	rig.muzzles = {gunArm.Row(3), plasmaArm.Row(3)};
	return rig;
}
