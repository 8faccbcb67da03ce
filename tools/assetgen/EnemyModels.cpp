// The enemies, in the gunmetal-and-red palette. Every enemy faces its local
// -z. The walker's origin rides 15 above the ground, its hips at
// (+-3.2, -5, 1.5) and knees a further (+-1, -3.4, 1.2); its muzzle is at
// (0, 2.3, -8). The turret's origin rides 5 above the ground, its gun pivots
// 15 up and fires from 50 along the gun's -z. The boss's op stands 25 above
// the floor; its arms turn upside down and fire along their +z.
#include "tools/assetgen/ModelKit.h"

#include <cmath>
#include <functional>

namespace {

constexpr float kPi = 3.14159265f;

void BothSides(const std::function<void(float)>& shape) {
	shape(-1);
	shape(1);
}

void WalkerBody(MeshBuilder& b, const Palette& p) {
	b.SetMaterial(p.armour);
	b.Box({0, 0, 0.3f}, {2.9f, 2.2f, 3.2f}, 0.55f);
	b.Box({0, 2.3f, 1.6f}, {1.1f, 0.2f, 1.3f}, 0.08f);
	b.SetMaterial(p.trim);
	b.Box({0, 0.4f, -3.0f}, {2.1f, 1.35f, 0.65f}, 0.35f);  // face plate
	BothSides([&](float s) { b.Box({s * 3.0f, 0.3f, 0.2f}, {0.22f, 1.6f, 2.4f}, 0.1f); });
	b.SetMaterial(p.frame);
	b.Box({0, 2.0f, -1.6f}, {0.5f, 0.5f, 0.9f}, 0.1f);  // gun mount
	b.Box({0, 2.3f, -3.6f}, {0.75f, 0.6f, 2.3f}, 0.15f);
	b.Cylinder({0, 2.3f, -5.9f}, {0, 2.3f, -7.6f}, 0.32f, 0.32f, 10);
	b.Cylinder({0, 2.3f, -7.6f}, {0, 2.3f, -8.0f}, 0.45f, 0.45f, 10, true, false);
	BothSides([&](float s) {
		b.Box({s * 3.2f, -3.6f, 1.5f}, {0.8f, 1.4f, 1.0f}, 0.2f);  // hip housings, joints at -5
		b.Beam({s * 1.2f, 2.2f, 2.5f}, {s * 1.5f, 4.2f, 3.6f}, 0.08f, 0.08f, {0, 0, 1});  // antennae
	});
	b.SetMaterial(p.glow);
	b.Box({0, 0.75f, -3.66f}, {1.1f, 0.18f, 0.02f});  // eye slit
	BothSides([&](float s) {
		b.Box({s * 0.75f, 0.15f, -3.66f}, {0.22f, 0.12f, 0.02f});
		b.Box({s * 1.2f, 0.4f, 3.52f}, {0.55f, 0.9f, 0.02f});  // rear vents
		b.Box({s * 3.23f, 0.9f, -1.0f}, {0.02f, 0.5f, 0.2f});
	});
	b.Cylinder({0, 2.3f, -7.95f}, {0, 2.3f, -8.0f}, 0.28f, 0.28f, 10);
	b.SetMaterial(p.hazard);
	b.Box({0, -1.5f, -3.66f}, {1.3f, 0.12f, 0.02f});
}

// The upper leg of the walker's left (+x) side, hip joint at the origin.
void WalkerThigh(MeshBuilder& b, const Palette& p) {
	const Vec3 knee{1.0f, -3.4f, 1.2f};
	b.SetMaterial(p.frame);
	b.Ball({0, 0, 0}, 0.9f, 10);
	b.Beam({0, 0, 0}, knee, 0.6f, 0.7f, {0, 0, -1}, 0.15f);
	b.Cylinder(knee - Vec3{0.75f, 0, 0}, knee + Vec3{0.75f, 0, 0}, 0.65f, 0.65f, 12);
	b.SetMaterial(p.armour);
	b.Beam({0.1f, -0.5f, 0.1f}, {0.85f, -2.7f, 0.95f}, 1.0f, 1.1f, {0, 0, -1}, 0.35f);
	b.SetMaterial(p.trim);
	b.Beam({0.2f, -0.7f, -0.75f}, {0.8f, -2.5f, -0.2f}, 0.6f, 0.1f, {0, 0, -1}, 0.05f);
	b.SetMaterial(p.glow);
	b.Box({1.2f, -1.6f, 0.6f}, {0.02f, 0.3f, 0.3f});
}

// The lower leg, knee at the origin; the foot's sole lies at -6.6, so the
// foot stands under the body, 15 below the walker's origin.
void WalkerShin(MeshBuilder& b, const Palette& p) {
	const Vec3 ankle{-1.0f, -5.6f, -2.2f};
	b.SetMaterial(p.armour);
	b.Beam({0, 0, 0}, ankle, 0.65f, 0.75f, {0, 0, -1}, 0.22f);
	b.SetMaterial(p.frame);
	b.Cylinder({0.1f, -0.8f, 0.7f}, {-0.8f, -4.6f, -0.9f}, 0.22f, 0.22f, 8);  // piston
	b.Ball(ankle, 0.6f, 10);
	b.Box({-1.0f, -6.2f, -2.4f}, {1.1f, 0.4f, 1.7f}, 0.15f);  // foot, sole at -6.6
	b.Box({-1.0f, -6.3f, -0.6f}, {0.5f, 0.3f, 0.45f}, 0.1f);  // heel spur
	b.SetMaterial(p.trim);
	b.Box({-1.0f, -6.3f, -4.3f}, {0.95f, 0.3f, 0.4f}, 0.12f);  // toe claws
	b.Beam({-0.25f, -1.0f, -0.75f}, {-0.75f, -4.0f, -1.95f}, 0.45f, 0.08f, {0, 0, -1}, 0.04f);
	b.SetMaterial(p.glow);
	b.Box({-1.0f, -5.95f, -4.12f}, {0.6f, 0.05f, 0.02f});
	b.Box({0.0f, -0.3f, -0.75f}, {0.25f, 0.15f, 0.02f});
}

void TurretBody(MeshBuilder& b, const Palette& p) {
	b.SetMaterial(p.frame);
	b.Cylinder({0, -5, 0}, {0, -2, 0}, 9.0f, 8.5f, 8);  // plinth, resting on the ground
	b.Cylinder({0, 7.5f, 0}, {0, 11, 0}, 3.5f, 3.5f, 10);
	b.Box({0, 10.5f, 0}, {5.3f, 0.8f, 2.4f}, 0.2f);
	b.SetMaterial(p.hazard);
	b.Cylinder({0, -2, 0}, {0, -1.5f, 0}, 8.5f, 8.5f, 8);
	b.SetMaterial(p.armour);
	b.Cylinder({0, -1.5f, 0}, {0, 6, 0}, 7.0f, 6.0f, 8);
	BothSides([&](float s) { b.Box({s * 4.6f, 12.8f, 0}, {0.7f, 3.5f, 2.2f}, 0.25f); });  // yoke
	b.SetMaterial(p.trim);
	b.Cylinder({0, 6, 0}, {0, 7.5f, 0}, 6.5f, 6.0f, 8);
	b.SetMaterial(p.glow);
	for (int i = 0; i < 8; ++i) {
		b.PushTransform(Mat4::RotationY(kPi / 4 * i + kPi / 8));
		b.Box({0, 2.2f, -6.55f}, {1.1f, 1.4f, 0.06f});
		b.PopTransform();
	}
	BothSides([&](float s) { b.Box({s * 5.32f, 13.5f, 0}, {0.02f, 1.5f, 0.5f}); });
}

// The laser gun, pivot at the origin, muzzle 50 along -z.
void TurretGun(MeshBuilder& b, const Palette& p) {
	b.SetMaterial(p.frame);
	b.Cylinder({-4.0f, 0, 0}, {4.0f, 0, 0}, 1.4f, 1.4f, 12);
	b.Box({0, 0, -27}, {1.3f, 1.3f, 20}, 0.3f);
	b.Cylinder({0, 0, -47}, {0, 0, -50}, 2.0f, 2.4f, 12, true, false);
	b.SetMaterial(p.armour);
	b.Box({0, 0.3f, -1}, {3.2f, 2.6f, 6}, 0.5f);
	b.SetMaterial(p.trim);
	b.Box({0, 3.0f, -1}, {2.2f, 0.15f, 4.5f}, 0.05f);
	BothSides([&](float s) { b.Box({0, s * 1.6f, -27}, {0.35f, 0.35f, 18}, 0.1f); });
	b.SetMaterial(p.glow);
	BothSides([&](float s) { b.Box({s * 1.6f, 0.5f, 5.02f}, {0.6f, 1.5f, 0.02f}); });
	for (float z : {-14.0f, -22.0f, -30.0f, -38.0f}) {
		b.Box({0, 0, z}, {1.55f, 1.55f, 0.4f}, 0.1f);
	}
	b.Cylinder({0, 0, -49.9f}, {0, 0, -50}, 1.6f, 1.6f, 12);
	b.Box({0, 1.2f, -7.02f}, {1.5f, 0.15f, 0.02f});
}

void BossOp(MeshBuilder& b, const Palette& p) {
	b.SetMaterial(p.frame);
	b.Box({0, -16, 0}, {17, 7, 30}, 1.5f);
	BothSides([&](float s) {
		b.Box({s * 24, -16.5f, 0}, {7, 8.5f, 33}, 2.5f);  // tracks, resting on the floor at -25
		for (float z : {-24.0f, -12.0f, 0.0f, 12.0f, 24.0f}) {
			b.Cylinder({s * 31.0f, -16.5f, z}, {s * 31.8f, -16.5f, z}, 4.2f, 3.8f, 12);
		}
		b.Beam({s * 14, 6, -2}, {s * 31, 10, -5}, 3.5f, 3.0f, {0, 1, 0}, 0.8f);  // arm pylons
		b.Box({s * 20, 12, 14}, {1.5f, 3, 1.5f}, 0.4f);
	});
	b.Box({0, 3, -18.7f}, {7, 2.6f, 1.5f}, 0.6f);
	b.Box({0, 9.6f, 8}, {6, 0.6f, 5}, 0.3f);  // missile hatch
	b.SetMaterial(p.armour);
	b.Box({0, 0, 2}, {16, 9, 20}, 2.5f);
	BothSides([&](float s) { b.Box({s * 24, -7.5f, 0}, {8, 0.8f, 34}, 0.4f); });  // fenders
	b.PushTransform(Mat4::RotationX(-0.45f) * Mat4::Translation(0, 5.5f, -17.5f));
	b.Box({0, 0, 0}, {12, 3.5f, 2}, 0.8f);
	b.PopTransform();
	b.SetMaterial(p.trim);
	b.Box({0, -9.5f, -30.5f}, {16, 3, 1.2f}, 0.6f);  // prow
	BothSides([&](float s) {
		b.Box({s * 16.2f, 0, 2}, {0.5f, 6, 16}, 0.3f);
		b.Box({s * 24, -7.5f, -33}, {7.5f, 1.2f, 1.5f}, 0.4f);
	});
	b.SetMaterial(p.glow);
	BothSides([&](float s) {
		b.Box({s * 3.6f, 3.6f, -20.25f}, {1.8f, 0.6f, 0.05f});
		b.Box({s * 8, 2, 22.05f}, {3, 4, 0.05f});
		b.Box({s * 16.75f, 0, 2}, {0.05f, 1.2f, 12});
		b.Box({s * 20, 15.1f, 14}, {0.8f, 0.1f, 0.8f});
	});
	b.Box({0, 1.4f, -20.25f}, {1.0f, 0.5f, 0.05f});
	for (float z : {5.0f, 8.0f, 11.0f}) {
		b.Box({0, 10.22f, z}, {5, 0.02f, 0.35f});
	}
	b.SetMaterial(p.hazard);
	b.Box({0, -12, -31.75f}, {14, 0.6f, 0.05f});
}

// The gun arm: a rotary cannon that spins about its own z and fires along +z.
void BossGunArm(MeshBuilder& b, const Palette& p) {
	b.SetMaterial(p.armour);
	b.Cylinder({0, 0, -10}, {0, 0, -4}, 4.2f, 4.2f, 14);
	b.SetMaterial(p.frame);
	b.Cylinder({0, 0, -4}, {0, 0, 6}, 3.6f, 3.6f, 14);
	for (int i = 0; i < 6; ++i) {
		const float a = 2 * kPi * i / 6;
		const Vec3 offset{2.2f * std::cos(a), 2.2f * std::sin(a), 0};
		b.Cylinder(offset + Vec3{0, 0, 6}, offset + Vec3{0, 0, 22}, 0.55f, 0.55f, 8);
	}
	b.SetMaterial(p.trim);
	b.Cylinder({0, 0, 14}, {0, 0, 15.5f}, 3.2f, 3.2f, 14);
	b.Cylinder({0, 0, 20}, {0, 0, 21.2f}, 3.2f, 3.2f, 14);
	b.SetMaterial(p.glow);
	for (int i = 0; i < 6; ++i) {
		const float a = 2 * kPi * i / 6;
		const Vec3 offset{2.2f * std::cos(a), 2.2f * std::sin(a), 0};
		b.Cylinder(offset + Vec3{0, 0, 21.9f}, offset + Vec3{0, 0, 22.05f}, 0.35f, 0.35f, 8);
	}
	b.Cylinder({0, 0, -10.05f}, {0, 0, -9.95f}, 2.0f, 2.0f, 14);
	b.SetMaterial(p.hazard);
	b.Cylinder({0, 0, -3.8f}, {0, 0, -3.0f}, 3.7f, 3.7f, 14);
}

// The plasma arm: a coil cannon along +z; its +y points down in the game.
void BossPlasmaArm(MeshBuilder& b, const Palette& p) {
	b.SetMaterial(p.armour);
	b.Cylinder({0, 0, -12}, {0, 0, -6}, 4.0f, 4.5f, 12);
	b.SetMaterial(p.trim);
	b.Cylinder({0, 0, -6}, {0, 0, 8}, 4.5f, 3.8f, 12);
	b.SetMaterial(p.frame);
	b.Cylinder({0, 0, 8}, {0, 0, 13}, 3.0f, 4.0f, 12, true, false);
	BothSides([&](float s) { b.Box({s * 4.6f, 0, -2}, {0.5f, 2.5f, 5}, 0.2f); });
	b.SetMaterial(p.glow);
	for (float z : {-3.0f, 1.0f, 5.0f}) {
		const float r = 4.5f - (z + 6) * 0.05f + 0.25f;
		b.Cylinder({0, 0, z}, {0, 0, z + 0.8f}, r, r, 12);
	}
	b.Cylinder({0, 0, 12.5f}, {0, 0, 12.6f}, 2.8f, 2.8f, 12);
}

// A missile whose nose points along local -y and exhaust along +y.
void Missile(MeshBuilder& b, const Palette& p) {
	b.SetMaterial(p.armour);
	b.Cylinder({0, 5, 0}, {0, -3, 0}, 1.3f, 1.3f, 10);
	b.SetMaterial(p.trim);
	b.Cylinder({0, -3, 0}, {0, -6.5f, 0}, 1.3f, 0.0f, 10);
	b.SetMaterial(p.frame);
	b.Cylinder({0, 5, 0}, {0, 6, 0}, 1.0f, 1.2f, 10, true, false);
	BothSides([&](float s) {
		b.Box({s * 1.9f, 4, 0}, {0.7f, 1.4f, 0.1f}, 0.05f);
		b.Box({0, 4, s * 1.9f}, {0.1f, 1.4f, 0.7f}, 0.05f);
	});
	b.SetMaterial(p.glow);
	b.Cylinder({0, 5.85f, 0}, {0, 5.95f, 0}, 0.95f, 0.95f, 10);
	b.Cylinder({0, -2.4f, 0}, {0, -2.0f, 0}, 1.36f, 1.36f, 10);
}

// The enemies' bolt, stretched along z, the axis they fly along.
void EnemyShot(MeshBuilder& b) {
	b.SetMaterial(b.AddMaterial(GlowMaterial(1.0f, 0.28f, 0.15f)));
	b.Cylinder({0, 0, -2.0f}, {0, 0, -0.6f}, 0.0f, 0.35f, 8);
	b.Cylinder({0, 0, -0.6f}, {0, 0, 0.6f}, 0.35f, 0.35f, 8, false, false);
	b.Cylinder({0, 0, 0.6f}, {0, 0, 2.0f}, 0.35f, 0.0f, 8);
}

using PartShape = void (*)(MeshBuilder&, const Palette&);

bool WritePart(AssetOutput& output, const std::string& path, PartShape shape, bool mirrorX = false) {
	MeshBuilder builder;
	const Palette palette = AddEnemyPalette(builder);
	builder.SetUvScale(3.0f);
	if (mirrorX) {
		builder.PushTransform(Mat4::Scaling(-1, 1, 1));
	}
	shape(builder, palette);
	return WriteMesh(output, path, builder);
}

}  // namespace

bool GenerateEnemyModels(AssetOutput& output) {
	bool ok = true;
	for (const char* folder : {"Enemy/two_leg", "Enemy/Turret", "Enemy/Tank"}) {
		ok = WriteEnemyTextures(output, folder) && ok;
	}
	ok = WritePart(output, "Enemy/two_leg/Body.x", WalkerBody) && ok;
	ok = WritePart(output, "Enemy/two_leg/Left_Musle.x", WalkerThigh) && ok;
	ok = WritePart(output, "Enemy/two_leg/Left_Leg.x", WalkerShin) && ok;
	ok = WritePart(output, "Enemy/two_leg/Right_Musle.x", WalkerThigh, true) && ok;
	ok = WritePart(output, "Enemy/two_leg/Right_Leg.x", WalkerShin, true) && ok;
	ok = WritePart(output, "Enemy/Turret/Turret.x", TurretBody) && ok;
	ok = WritePart(output, "Enemy/Turret/RaserGun.x", TurretGun) && ok;
	ok = WritePart(output, "Enemy/Tank/Boss_Op.x", BossOp) && ok;
	ok = WritePart(output, "Enemy/Tank/Arm_G.x", BossGunArm) && ok;
	ok = WritePart(output, "Enemy/Tank/Arm_P.x", BossPlasmaArm) && ok;
	ok = WritePart(output, "Enemy/Tank/Missile.x", Missile) && ok;
	MeshBuilder shot;
	EnemyShot(shot);
	ok = WriteMesh(output, "Ammo/RedAmmo.x", shot) && ok;
	return ok;
}
