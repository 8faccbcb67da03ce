// The player's robot: sixteen rigid parts, each modelled with its origin at
// the joint its matrix places it by. The body's frame is the robot's own:
// +x right, +y up, +z forward; the origin rides 15 above the ground, so the
// idle legs end at -15. Arms hang along their local -x; both forearms point
// along -x, the gun arm's muzzle sits at (-8, -0.2, -1).
#include "tools/assetgen/ModelKit.h"

#include <functional>

namespace {

// Runs shape once for each side, with side = -1 and +1.
void BothSides(const std::function<void(float)>& shape) {
	shape(-1);
	shape(1);
}

void Body(MeshBuilder& b, const Palette& p) {
	b.SetMaterial(p.armour);
	b.Box({0, 0.55f, 0.05f}, {1.65f, 1.45f, 1.25f}, 0.3f);
	b.Box({0, 1.45f, -0.1f}, {1.85f, 0.5f, 1.05f}, 0.25f);  // collar armour
	b.Box({0, 2.6f, 0.25f}, {0.62f, 0.45f, 0.6f}, 0.16f);  // head
	b.SetMaterial(p.trim);
	b.Box({0, 1.05f, 1.3f}, {1.3f, 0.6f, 0.22f}, 0.12f);  // chest plate
	b.Box({0, -1.2f, 0.85f}, {0.7f, 0.42f, 0.12f}, 0.06f);
	BothSides([&](float s) {
		b.Box({s * 0.62f, 2.45f, 0.55f}, {0.08f, 0.3f, 0.32f}, 0.04f);  // cheek guards
		b.Beam({s * 0.12f, 2.95f, 0.7f}, {s * 0.75f, 3.55f, 0.45f}, 0.06f, 0.05f, {0, 0, 1});  // antenna
	});
	b.SetMaterial(p.frame);
	b.Box({0, -1.25f, 0}, {1.05f, 0.62f, 0.88f}, 0.15f);  // abdomen
	b.Cylinder({0, -1.8f, 0}, {0, -3.7f, 0}, 0.62f, 0.62f, 12);  // waist, sunk into the pelvis
	b.Cylinder({0, 1.9f, 0.1f}, {0, 2.25f, 0.15f}, 0.42f, 0.38f, 10);  // neck
	BothSides([&](float s) { b.Cylinder({s * 1.45f, 0.5f, -0.5f}, {s * 1.95f, 0.5f, -0.5f}, 0.5f, 0.5f, 12); });
	b.SetMaterial(p.glow);
	b.Box({0, 2.67f, 0.85f}, {0.46f, 0.1f, 0.03f});  // visor
	b.Box({0, 0.2f, 1.31f}, {0.34f, 0.2f, 0.04f}, 0.04f);  // core light
	BothSides([&](float s) { b.Box({s * 1.67f, 0.45f, 0.55f}, {0.03f, 0.45f, 0.09f}); });  // chest vents
	b.SetMaterial(p.hazard);
	b.Box({0, -1.55f, 0.99f}, {0.5f, 0.06f, 0.03f});
}

void UnderBody(MeshBuilder& b, const Palette& p) {
	b.SetMaterial(p.frame);
	b.Box({0, -0.55f, 0}, {1.2f, 0.55f, 0.8f}, 0.2f);  // pelvis
	BothSides([&](float s) { b.Cylinder({s * 0.5f, -1.5f, 0}, {s * 1.85f, -1.5f, 0}, 0.42f, 0.42f, 12); });
	b.SetMaterial(p.armour);
	b.Box({0, -1.0f, 0.3f}, {0.42f, 0.6f, 0.55f}, 0.15f);
	BothSides([&](float s) {
		b.PushTransform(Mat4::RotationX(-0.25f) * Mat4::Translation(s * 0.78f, -0.8f, 0.95f));
		b.Box({0, 0, 0}, {0.42f, 0.55f, 0.1f}, 0.06f);  // front skirt
		b.PopTransform();
		b.PushTransform(Mat4::RotationX(0.25f) * Mat4::Translation(s * 0.65f, -0.75f, -0.95f));
		b.Box({0, 0, 0}, {0.45f, 0.5f, 0.1f}, 0.06f);  // rear skirt
		b.PopTransform();
	});
	b.SetMaterial(p.trim);
	BothSides([&](float s) { b.Box({s * 1.38f, -0.6f, 0}, {0.1f, 0.5f, 0.62f}, 0.05f); });
	b.SetMaterial(p.glow);
	b.Box({0, -0.85f, 0.86f}, {0.18f, 0.14f, 0.02f});
}

void Thigh(MeshBuilder& b, const Palette& p) {
	b.SetMaterial(p.frame);
	b.Ball({0, 0, 0}, 0.5f, 10);
	b.Box({0, -1.8f, 0}, {0.5f, 1.5f, 0.55f}, 0.12f);
	b.Cylinder({-0.62f, -3.5f, 0}, {0.62f, -3.5f, 0}, 0.42f, 0.42f, 12);  // knee axle
	b.SetMaterial(p.armour);
	b.Box({0, -1.55f, 0.12f}, {0.78f, 1.15f, 0.72f}, 0.22f);
	b.SetMaterial(p.trim);
	b.Box({0, -1.45f, 0.86f}, {0.45f, 0.75f, 0.07f}, 0.04f);
	b.SetMaterial(p.glow);
	BothSides([&](float s) { b.Box({s * 0.79f, -1.2f, 0.2f}, {0.02f, 0.35f, 0.06f}); });
}

void Shin(MeshBuilder& b, const Palette& p) {
	b.SetMaterial(p.trim);
	b.Box({0, -0.25f, 0.45f}, {0.52f, 0.55f, 0.35f}, 0.15f);  // knee cap
	b.Box({0, -2.4f, 0.95f}, {0.5f, 1.4f, 0.08f}, 0.05f);
	b.Box({0, -5.8f, 1.75f}, {0.8f, 0.3f, 0.4f}, 0.1f);  // toe cap
	b.SetMaterial(p.armour);
	b.Box({0, -2.8f, 0.05f}, {0.85f, 2.35f, 0.9f}, 0.28f);
	b.Box({0, -4.6f, 0.1f}, {0.95f, 0.6f, 0.95f}, 0.25f);  // ankle guard
	b.SetMaterial(p.frame);
	b.Box({0, -3.0f, -0.97f}, {0.55f, 1.0f, 0.25f}, 0.1f);  // calf thruster
	b.Cylinder({-0.52f, -5.4f, 0}, {0.52f, -5.4f, 0}, 0.38f, 0.38f, 10);  // ankle
	b.Box({0, -6.1f, 0.5f}, {0.95f, 0.4f, 1.65f}, 0.15f);  // foot: sole at -6.5
	b.Box({0, -6.05f, -1.15f}, {0.6f, 0.35f, 0.3f}, 0.1f);  // heel
	b.SetMaterial(p.glow);
	b.Box({0, -3.85f, -1.22f}, {0.32f, 0.14f, 0.02f});
	b.Box({0, -1.8f, 0.98f}, {0.2f, 0.35f, 0.02f});
}

void BackPack(MeshBuilder& b, const Palette& p) {
	b.SetMaterial(p.armour);
	b.Box({0, 0.3f, 0}, {1.3f, 1.4f, 0.72f}, 0.22f);
	b.SetMaterial(p.trim);
	b.Box({0, 0.45f, -0.72f}, {0.85f, 0.95f, 0.08f}, 0.05f);
	b.SetMaterial(p.frame);
	b.Box({0, -1.1f, -0.45f}, {0.9f, 0.16f, 0.32f}, 0.05f);  // vernier rail
	BothSides([&](float s) {
		b.Box({s * 1.05f, 0.9f, -0.5f}, {0.32f, 1.05f, 0.35f}, 0.1f);  // thruster pods
		b.Cylinder({s * 1.05f, -0.15f, -0.5f}, {s * 1.05f, -0.45f, -0.5f}, 0.26f, 0.32f, 10, true, false);
	});
	b.SetMaterial(p.glow);
	BothSides([&](float s) {
		b.Box({s * 0.45f, 0.9f, -0.81f}, {0.22f, 0.28f, 0.02f});
		b.Cylinder({s * 1.05f, -0.4f, -0.5f}, {s * 1.05f, -0.44f, -0.5f}, 0.24f, 0.24f, 10);
	});
}

void Vernier(MeshBuilder& b, const Palette& p) {
	const Vec3 axis = Normalize({0, -1, -0.45f});
	b.SetMaterial(p.frame);
	b.Ball({0, 0, 0}, 0.28f, 8);
	b.Cylinder(axis * 0.15f, axis * 0.4f, 0.22f, 0.3f, 12);
	b.Cylinder(axis * 0.4f, axis * 1.0f, 0.3f, 0.46f, 12, false, false);
	b.SetMaterial(p.glow);
	b.Cylinder(axis * 0.9f, axis * 0.95f, 0.42f, 0.42f, 12);
}

// The shoulder as both sides see it: -x is outward, +z forward.
void Shoulder(MeshBuilder& b, const Palette& p) {
	b.SetMaterial(p.frame);
	b.Cylinder({0.25f, 0, 0}, {-0.6f, 0, 0}, 0.5f, 0.5f, 12);
	b.SetMaterial(p.armour);
	b.Box({-0.8f, 0.4f, 0}, {0.85f, 0.8f, 1.1f}, 0.3f);
	b.SetMaterial(p.trim);
	b.Box({-1.68f, 0.3f, 0}, {0.08f, 0.55f, 0.85f}, 0.05f);
	b.Box({-0.8f, 1.22f, 0}, {0.55f, 0.07f, 0.8f}, 0.04f);
	b.SetMaterial(p.glow);
	b.Box({-1.77f, 0.35f, 0.55f}, {0.02f, 0.1f, 0.18f});
	b.SetMaterial(p.hazard);
	b.Box({-1.77f, -0.1f, -0.2f}, {0.02f, 0.07f, 0.4f});
}

void RightShoulder(MeshBuilder& b, const Palette& p) {
	// Turned half round about y, this frame's +z is the robot's back.
	b.PushTransform(Mat4::Scaling(1, 1, -1));
	Shoulder(b, p);
	b.PopTransform();
	b.SetMaterial(p.frame);
	b.Box({-0.45f, 1.4f, 0}, {0.32f, 0.28f, 0.45f}, 0.08f);  // launcher mount
}

void PlasmaLauncher(MeshBuilder& b, const Palette& p) {
	// The shot leaves at (0, 2.5, 0) and flies along -z.
	b.SetMaterial(p.frame);
	b.Beam({-0.45f, 1.3f, 0}, {0, 2.2f, 0}, 0.22f, 0.3f, {0, 0, 1}, 0.05f);
	b.Box({0, 2.5f, 2.45f}, {0.52f, 0.52f, 0.3f}, 0.12f);
	b.Cylinder({0, 2.5f, -2.15f}, {0, 2.5f, -2.8f}, 0.68f, 0.76f, 14, true, false);
	b.SetMaterial(p.trim);
	b.Cylinder({0, 2.5f, 2.3f}, {0, 2.5f, -2.15f}, 0.6f, 0.6f, 14);
	b.SetMaterial(p.armour);
	b.Box({0.72f, 2.45f, 0.5f}, {0.14f, 0.36f, 1.1f}, 0.06f);
	b.SetMaterial(p.glow);
	for (float z : {1.3f, 0.5f, -0.3f, -1.1f}) {
		b.Cylinder({0, 2.5f, z}, {0, 2.5f, z - 0.18f}, 0.64f, 0.64f, 14);
	}
	b.Cylinder({0, 2.5f, -2.65f}, {0, 2.5f, -2.72f}, 0.5f, 0.5f, 14);
}

void UpperArm(MeshBuilder& b, const Palette& p) {
	// Hangs along -x to the elbow at -2.65; y is outward on both sides.
	b.SetMaterial(p.frame);
	b.Ball({0, 0, 0}, 0.48f, 10);
	b.Cylinder({-2.65f, -0.48f, 0}, {-2.65f, 0.48f, 0}, 0.42f, 0.42f, 12);
	b.SetMaterial(p.armour);
	b.Box({-1.25f, 0, 0}, {0.95f, 0.5f, 0.5f}, 0.15f);
	b.SetMaterial(p.trim);
	b.Box({-1.15f, 0.52f, 0}, {0.7f, 0.06f, 0.38f}, 0.03f);
	b.SetMaterial(p.glow);
	b.Box({-0.6f, 0.58f, 0}, {0.12f, 0.02f, 0.2f});
}

void ForearmCore(MeshBuilder& b, const Palette& p) {
	b.SetMaterial(p.frame);
	b.Ball({0, 0, 0}, 0.42f, 10);
	b.Box({-3.35f, 0, 0}, {0.4f, 0.4f, 0.42f}, 0.12f);  // fist
	b.SetMaterial(p.armour);
	b.Box({-1.6f, 0, 0}, {1.4f, 0.55f, 0.58f}, 0.18f);
	b.SetMaterial(p.trim);
	b.Box({-1.5f, 0.58f, 0}, {1.0f, 0.06f, 0.42f}, 0.04f);
}

// The right forearm: the gun rides on its -z side, muzzle at (-8, -0.2, -1).
void GunArm(MeshBuilder& b, const Palette& p) {
	ForearmCore(b, p);
	b.SetMaterial(p.frame);
	b.Box({-2.0f, -0.1f, -0.62f}, {0.6f, 0.28f, 0.2f}, 0.05f);
	b.Box({-3.2f, -0.2f, -1.0f}, {2.1f, 0.38f, 0.42f}, 0.1f);
	b.Cylinder({-5.3f, -0.2f, -1.0f}, {-7.6f, -0.2f, -1.0f}, 0.2f, 0.2f, 10);
	b.Cylinder({-7.6f, -0.2f, -1.0f}, {-8.0f, -0.2f, -1.0f}, 0.28f, 0.28f, 10, true, false);
	b.SetMaterial(p.trim);
	b.Box({-3.0f, -0.2f, -1.45f}, {1.5f, 0.2f, 0.05f});
	b.SetMaterial(p.glow);
	b.Box({-3.6f, 0.19f, -1.0f}, {1.0f, 0.02f, 0.08f});
	b.Cylinder({-7.95f, -0.2f, -1.0f}, {-8.0f, -0.2f, -1.0f}, 0.16f, 0.16f, 10);
}

// The left forearm carries a shield on its outer (+y) side; +z is up.
void ShieldArm(MeshBuilder& b, const Palette& p) {
	ForearmCore(b, p);
	b.SetMaterial(p.trim);
	b.Box({-1.7f, 0.8f, 0.15f}, {1.75f, 0.12f, 0.95f}, 0.08f);
	b.SetMaterial(p.glow);
	b.Box({-1.7f, 0.93f, 0.15f}, {1.3f, 0.02f, 0.06f});
	b.SetMaterial(p.hazard);
	b.Box({-3.35f, 0.93f, 0.15f}, {0.1f, 0.02f, 0.7f});
}

XMaterial ShotMaterial() { return GlowMaterial(0.55f, 0.85f, 1.0f); }

// The player's bolt, stretched along -x, its direction of travel.
void PlayerShot(MeshBuilder& b) {
	b.SetMaterial(b.AddMaterial(ShotMaterial()));
	b.Cylinder({2.2f, 0, 0}, {0.4f, 0, 0}, 0.0f, 0.3f, 8);
	b.Cylinder({0.4f, 0, 0}, {-1.2f, 0, 0}, 0.3f, 0.3f, 8, false, false);
	b.Cylinder({-1.2f, 0, 0}, {-1.8f, 0, 0}, 0.3f, 0.0f, 8);
}

using PartShape = void (*)(MeshBuilder&, const Palette&);

bool WritePart(AssetOutput& output, const char* file, PartShape shape) {
	MeshBuilder builder;
	const Palette palette = AddPlayerPalette(builder);
	builder.SetUvScale(2.5f);
	shape(builder, palette);
	return WriteMesh(output, std::string("robot/") + file, builder);
}

}  // namespace

bool GenerateRobotModels(AssetOutput& output) {
	bool ok = WritePlayerTextures(output, "robot");
	const std::pair<const char*, PartShape> parts[] = {
	    {"body.x", Body},          {"under_body.x", UnderBody},    {"BackPack.x", BackPack},
	    {"vernier.x", Vernier},    {"L_sholder.x", Shoulder},      {"R_sholder.x", RightShoulder},
	    {"L_upper_arm.x", UpperArm}, {"L_lower_arm.x", GunArm},    {"R_lower_arm.x", ShieldArm},
	    {"Plasma.x", PlasmaLauncher}, {"L_upper_leg.x", Thigh},    {"L_lower_leg.x", Shin},
	};
	for (const auto& [file, shape] : parts) {
		ok = WritePart(output, file, shape) && ok;
	}
	MeshBuilder shot;
	PlayerShot(shot);
	ok = WriteMesh(output, "Ammo/Ammo.x", shot) && ok;
	return ok;
}
