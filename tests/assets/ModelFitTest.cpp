// The robot and the enemies assembled with the matrices the game poses them
// by: parts touch the parts they hang from, feet stand on the ground the
// game keeps them above, muzzles sit at the barrels' ends, and the culled
// pictures show whole silhouettes. With VORTANE_PREVIEW_DIR set, the rest
// poses are also written there as PNG previews from three sides.
#include "tests/assets/MeshTestSupport.h"
#include "tests/assets/PreviewRenderer.h"
#include "tests/assets/RigPoses.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>

namespace {

struct LoadedRig {
	std::vector<LoadedMesh> parts;
	Vec3 low{1e30f, 1e30f, 1e30f}, high{-1e30f, -1e30f, -1e30f};
};

LoadedRig Load(const Rig& rig) {
	LoadedRig loaded;
	for (const PlacedPart& part : rig.parts) {
		loaded.parts.push_back(LoadMesh("data/" + part.file, part.matrix));
		const LoadedMesh& m = loaded.parts.back();
		loaded.low = {std::fmin(loaded.low.x, m.low.x), std::fmin(loaded.low.y, m.low.y), std::fmin(loaded.low.z, m.low.z)};
		loaded.high = {std::fmax(loaded.high.x, m.high.x), std::fmax(loaded.high.y, m.high.y),
		               std::fmax(loaded.high.z, m.high.z)};
	}
	return loaded;
}

// Closest distance from p to triangle t.
float DistanceToTriangle(const Vec3& p, const Triangle& t) {
	const Vec3 ab = t.b - t.a, ac = t.c - t.a, ap = p - t.a;
	const float d1 = Dot(ab, ap), d2 = Dot(ac, ap);
	if (d1 <= 0 && d2 <= 0) return Length(ap);
	const Vec3 bp = p - t.b;
	const float d3 = Dot(ab, bp), d4 = Dot(ac, bp);
	if (d3 >= 0 && d4 <= d3) return Length(bp);
	const float vc = d1 * d4 - d3 * d2;
	if (vc <= 0 && d1 >= 0 && d3 <= 0) return Length(p - (t.a + ab * (d1 / (d1 - d3))));
	const Vec3 cp = p - t.c;
	const float d5 = Dot(ab, cp), d6 = Dot(ac, cp);
	if (d6 >= 0 && d5 <= d6) return Length(cp);
	const float vb = d5 * d2 - d1 * d6;
	if (vb <= 0 && d2 >= 0 && d6 <= 0) return Length(p - (t.a + ac * (d2 / (d2 - d6))));
	const float va = d3 * d6 - d5 * d4;
	if (va <= 0 && d4 - d3 >= 0 && d5 - d6 >= 0) {
		return Length(p - (t.b + (t.c - t.b) * ((d4 - d3) / ((d4 - d3) + (d5 - d6)))));
	}
	const float denominator = 1 / (va + vb + vc);
	return Length(p - (t.a + ab * (vb * denominator) + ac * (vc * denominator)));
}

float DistanceToMesh(const Vec3& p, const LoadedMesh& mesh) {
	float best = 1e30f;
	for (const Triangle& t : mesh.triangles) {
		best = std::fmin(best, DistanceToTriangle(p, t));
	}
	return best;
}

// How close the child's surface comes to its parent's: 0 when they meet.
float Gap(const LoadedMesh& child, const LoadedMesh& parent) {
	float best = 1e30f;
	for (const Triangle& t : child.triangles) {
		for (const Vec3& corner : {t.a, t.b, t.c}) {
			best = std::fmin(best, DistanceToMesh(corner, parent));
		}
		if (best < 0.05f) {
			break;
		}
	}
	return best;
}

float LowestY(const LoadedMesh& mesh) { return mesh.low.y; }

void ExpectPartsConnected(const Rig& rig, const LoadedRig& loaded) {
	for (size_t i = 0; i < rig.parts.size(); ++i) {
		ASSERT_TRUE(loaded.parts[i].loaded) << rig.parts[i].file;
		if (rig.parts[i].parent >= 0) {
			EXPECT_LT(Gap(loaded.parts[i], loaded.parts[rig.parts[i].parent]), 0.25f)
			    << rig.parts[i].file << " floats free of " << rig.parts[rig.parts[i].parent].file;
		}
	}
}

TEST(ModelFit, RobotPartsHangTogether) {
	const Rig rig = PlayerRig();
	ExpectPartsConnected(rig, Load(rig));
}

TEST(ModelFit, RobotStandsOnTheGroundItIsHeldAbove) {
	const LoadedRig robot = Load(PlayerRig());
	// The game keeps the robot's origin 15 above the ground.
	EXPECT_NEAR(robot.low.y, -15.0f, 0.1f);
	EXPECT_NEAR(LowestY(robot.parts[13]), -15.0f, 0.1f) << "left foot";
	EXPECT_NEAR(LowestY(robot.parts[15]), -15.0f, 0.1f) << "right foot";
	EXPECT_LT(robot.high.y, 5.0f);
}

TEST(ModelFit, RobotGunMuzzleIsAtTheBarrelEnd) {
	for (float pitch : {5.0f, 25.0f, 65.0f}) {
		const Rig rig = PlayerRig(pitch);
		const LoadedMesh gun = LoadMesh("data/" + rig.parts[10].file, rig.parts[10].matrix);
		const Mat4 muzzle = PlayerMuzzle(pitch);
		EXPECT_LT(DistanceToMesh(muzzle.Row(3), gun), 0.3f) << "pitch " << pitch;
		// Shots fly along the muzzle's -x: nothing of the gun lies ahead.
		const Vec3 flight = -muzzle.Row(0);
		EXPECT_FALSE(CastRay(gun.triangles, muzzle.Row(3) + flight * 0.05f, flight).hit) << "pitch " << pitch;
	}
	// At the resting aim the gun points straight ahead.
	EXPECT_GT(-PlayerMuzzle(25).Row(0).z, 0.99f);
}

TEST(ModelFit, PlasmaShotLeavesFromInsideTheLauncherTube) {
	const Rig rig = PlayerRig();
	const LoadedMesh launcher = LoadMesh("data/" + rig.parts[11].file, rig.parts[11].matrix);
	const Mat4 launch = PlayerPlasmaLaunch();
	for (const Vec3& side : {launch.Row(0), -launch.Row(0), launch.Row(1), -launch.Row(1)}) {
		const RayHit wall = CastRay(launcher.triangles, launch.Row(3), Normalize(side));
		ASSERT_TRUE(wall.hit);
		EXPECT_LT(wall.distance, 0.8f);
	}
	EXPECT_GT(-launch.Row(2).z, 0.5f) << "the shot flies forward along its -z";
}

TEST(ModelFit, WalkerStandsOnItsFeetWithItsGunAhead) {
	const Rig rig = WalkerRig();
	const LoadedRig walker = Load(rig);
	ExpectPartsConnected(rig, walker);
	EXPECT_NEAR(LowestY(walker.parts[2]), -15.0f, 0.1f) << "left foot";
	EXPECT_NEAR(LowestY(walker.parts[4]), -15.0f, 0.1f) << "right foot";
	EXPECT_LT(DistanceToMesh(rig.muzzles[0], walker.parts[0]), 0.3f);
	EXPECT_NEAR(walker.low.z, -8.0f, 0.5f) << "the gun is the walker's foremost point";
	// The left leg is the walker's +x side, mirrored by the right.
	EXPECT_GT(walker.parts[1].low.x, 0.0f);
	EXPECT_LT(walker.parts[3].high.x, 0.0f);
}

TEST(ModelFit, TurretRestsOnItsBaseAndFiresFromItsGunEnd) {
	const Rig rig = TurretRig();
	const LoadedRig turret = Load(rig);
	ExpectPartsConnected(rig, turret);
	EXPECT_NEAR(LowestY(turret.parts[0]), -5.0f, 0.05f) << "the turret settles 5 above the ground";
	EXPECT_NEAR(turret.parts[1].low.z, -50.0f, 0.05f);
	EXPECT_LT(DistanceToMesh(rig.muzzles[0], turret.parts[1]), 0.3f);
}

TEST(ModelFit, BossArmsMountOnTheOpAndAimForward) {
	for (float spin : {0.0f, 45.0f, 170.0f}) {
		const Rig rig = BossRig(spin);
		const LoadedRig boss = Load(rig);
		ExpectPartsConnected(rig, boss);
		EXPECT_GT(boss.parts[1].low.y, boss.parts[0].low.y) << "arms stay above the floor";
		EXPECT_GT(boss.parts[2].low.y, boss.parts[0].low.y);
		// Both arms fire along their own +z, which is the op's forward (-z).
		EXPECT_LT(rig.parts[1].matrix.Row(2).z, -0.95f);
		EXPECT_LT(rig.parts[2].matrix.Row(2).z, -0.95f);
		EXPECT_GT(rig.parts[1].matrix.Row(3).x * rig.parts[2].matrix.Row(3).x, -2000.0f) << "arms on opposite sides";
		EXPECT_LT(rig.parts[1].matrix.Row(3).x * rig.parts[2].matrix.Row(3).x, 0.0f);
	}
}

struct Subject {
	const char* name;
	Rig rig;
	float floorY;
	Vec3 front;  // the direction the model faces
};

std::vector<Subject> Subjects() {
	return {{"robot", PlayerRig(), -15, {0, 0, 1}},
	        {"walker", WalkerRig(), -15, {0, 0, -1}},
	        {"turret", TurretRig(), -5, {0, 0, -1}},
	        {"boss", BossRig(), -25, {0, 0, -1}}};
}

// Front, side and rear, each looking slightly down.
std::vector<Vec3> ViewsOf(const Vec3& front) {
	const Vec3 side{front.z, 0, -front.x};
	std::vector<Vec3> views;
	for (const Vec3& from : {front, side, -front * 0.8f + side * 0.6f}) {
		views.push_back(Normalize(-from + Vec3{0, -0.35f, 0}));
	}
	return views;
}

TEST(ModelFit, CulledPicturesShowWholeSilhouettes) {
	for (const Subject& subject : Subjects()) {
		const LoadedRig loaded = Load(subject.rig);
		const Vec3 centre = (loaded.low + loaded.high) * 0.5f;
		const float extent = 0.6f * std::fmax(loaded.high.y - loaded.low.y, Length(loaded.high - loaded.low) * 0.6f);
		for (const Vec3& view : ViewsOf(subject.front)) {
			PreviewRenderer culled(160, 200), whole(160, 200);
			whole.SetCulling(false);
			for (PreviewRenderer* r : {&culled, &whole}) {
				r->SetView(centre, extent, view);
				for (const LoadedMesh& part : loaded.parts) {
					r->Draw(part);
				}
			}
			ASSERT_GT(whole.CoveredSamples(), 1000u) << subject.name;
			EXPECT_GT(culled.CoveredSamples(), whole.CoveredSamples() * 0.985) << subject.name;
		}
	}
}

TEST(ModelFit, WritesPreviewsWhenAsked) {
	const char* folder = std::getenv("VORTANE_PREVIEW_DIR");
	if (!folder) {
		GTEST_SKIP() << "set VORTANE_PREVIEW_DIR to write the previews";
	}
	std::filesystem::create_directories(folder);
	const int panelWidth = 420, panelHeight = 500;
	for (const Subject& subject : Subjects()) {
		const LoadedRig loaded = Load(subject.rig);
		const Vec3 centre = (loaded.low + loaded.high) * 0.5f;
		const float across = std::hypot(loaded.high.x - loaded.low.x, loaded.high.z - loaded.low.z);
		const float extent = 0.55f * std::fmax(loaded.high.y - loaded.low.y, across / 0.84f);
		std::vector<uint8_t> sheet(static_cast<size_t>(panelWidth) * 3 * panelHeight * 3);
		int panel = 0;
		for (const Vec3& view : ViewsOf(subject.front)) {
			PreviewRenderer renderer(panelWidth, panelHeight);
			renderer.SetView(centre, extent, view);
			renderer.DrawFloor({centre.x, 0, centre.z}, extent * 1.6f, subject.floorY - 0.02f);
			for (const LoadedMesh& part : loaded.parts) {
				renderer.Draw(part);
			}
			const std::vector<uint8_t> picture = renderer.Picture();
			for (int y = 0; y < panelHeight; ++y) {
				std::copy_n(picture.begin() + static_cast<size_t>(y) * panelWidth * 3, panelWidth * 3,
				            sheet.begin() + (static_cast<size_t>(y) * panelWidth * 3 + panel * panelWidth) * 3);
			}
			++panel;
		}
		const std::string path = std::string(folder) + "/" + subject.name + ".png";
		EXPECT_TRUE(WritePreviewPng(path, panelWidth * 3, panelHeight, sheet)) << path;
	}
}

TEST(ModelFit, ShotsAreBoltsStretchedAlongTheirFlight) {
	// The player's shots fly along their -x, the enemies' along their z.
	const LoadedMesh player = LoadMesh("data/Ammo/Ammo.x");
	const LoadedMesh enemy = LoadMesh("data/Ammo/RedAmmo.x");
	ASSERT_TRUE(player.loaded);
	ASSERT_TRUE(enemy.loaded);
	const Vec3 p = player.high - player.low, e = enemy.high - enemy.low;
	EXPECT_GT(p.x, 3 * std::fmax(p.y, p.z));
	EXPECT_GT(e.z, 3 * std::fmax(e.x, e.y));
	EXPECT_LT(std::fmax(p.x, e.z), 6.0f) << "small enough to read as bolts";
	for (const LoadedMesh* shot : {&player, &enemy}) {
		for (const Vec3& glow : shot->emissive) {
			EXPECT_GT(glow.x + glow.y + glow.z, 1.0f) << "every part of a bolt glows";
		}
	}
}

TEST(ModelFit, MissileNoseLeadsAlongItsLocalDown) {
	// Launched upside down it climbs along its local -y, and after its turn
	// it falls along -y again: the nose is the -y end, the exhaust the +y end.
	const LoadedMesh missile = LoadMesh("data/Enemy/Tank/Missile.x");
	ASSERT_TRUE(missile.loaded);
	EXPECT_LT(missile.low.y, -missile.high.y);
	float exhaust = -1e30f;
	for (const Triangle& t : missile.triangles) {
		const Vec3 glow = missile.emissive[t.material];
		if (glow.x + glow.y + glow.z > 0.5f) {
			exhaust = std::fmax(exhaust, std::fmax(t.a.y, std::fmax(t.b.y, t.c.y)));
		}
		for (const Vec3& corner : {t.a, t.b, t.c}) {
			if (corner.y < missile.low.y + 0.01f) {
				EXPECT_LT(std::hypot(corner.x, corner.z), 0.05f) << "the nose comes to a point";
			}
		}
	}
	EXPECT_GT(exhaust, 0.8f * missile.high.y);
}

}  // namespace
