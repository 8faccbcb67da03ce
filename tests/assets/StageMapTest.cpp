// The stage map against the battle it has to carry, by ray casts over the
// generated triangles at the game's scale of 5: where the robot starts and
// the enemies spawn there is ground, the lift joins the plateau to the
// trench, the boss stands on its arena, the route file can be walked, and
// the walls close the stage.
#include "tests/assets/MeshTestSupport.h"
#include "tests/assets/PreviewRenderer.h"
#include "tests/assets/RigPoses.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace {

constexpr float kLiftX = 815, kLiftY = 105, kLiftZ = 2158, kLiftRide = 345.5f;
const Vec3 kDown{0, -1, 0};

struct RoutePoint {
	std::string name;
	bool ride = false;
	Vec3 position;  // y is the ground under the point
};

std::vector<RoutePoint> LoadRoute(const std::string& path) {
	std::vector<RoutePoint> route;
	std::istringstream lines(ReadTextFile(path));
	std::string line;
	while (std::getline(lines, line)) {
		if (line.empty() || line[0] == '#') {
			continue;
		}
		std::istringstream fields(line);
		RoutePoint p;
		std::string kind;
		fields >> p.name >> kind >> p.position.x >> p.position.y >> p.position.z;
		if (fields && (kind == "walk" || kind == "ride")) {
			p.ride = kind == "ride";
			route.push_back(p);
		}
	}
	return route;
}

class StageMap : public testing::Test {
protected:
	static void SetUpTestSuite() {
		map = new LoadedMesh(LoadMesh("data/map/Map_01.x", Mat4::Scaling(5, 5, 5)));
		liftTop = new LoadedMesh(LoadMesh("data/Object/Lift.x", Mat4::Translation(kLiftX, kLiftY, kLiftZ)));
		liftBottom =
		    new LoadedMesh(LoadMesh("data/Object/Lift.x", Mat4::Translation(kLiftX, kLiftY - kLiftRide, kLiftZ)));
		walkable = new std::vector<Triangle>(map->triangles);
		walkable->insert(walkable->end(), liftTop->triangles.begin(), liftTop->triangles.end());
		walkable->insert(walkable->end(), liftBottom->triangles.begin(), liftBottom->triangles.end());
		route = new std::vector<RoutePoint>(LoadRoute("data/map/Map_01.route"));
	}
	static void TearDownTestSuite() {
		delete map;
		delete liftTop;
		delete liftBottom;
		delete walkable;
		delete route;
	}
	void SetUp() override {
		ASSERT_TRUE(map->loaded);
		ASSERT_TRUE(liftTop->loaded);
		ASSERT_FALSE(route->empty());
	}

	// Height of the first surface below a point, if any.
	static std::optional<float> GroundBelow(const std::vector<Triangle>& triangles, const Vec3& from) {
		const RayHit hit = CastRay(triangles, from, kDown);
		if (!hit.hit) {
			return std::nullopt;
		}
		return from.y - hit.distance;
	}
	static Vec3 FaceNormal(const Triangle& t) { return Normalize(Cross(t.b - t.a, t.c - t.a)); }

	static LoadedMesh* map;
	static LoadedMesh* liftTop;
	static LoadedMesh* liftBottom;
	static std::vector<Triangle>* walkable;
	static std::vector<RoutePoint>* route;
};

LoadedMesh* StageMap::map = nullptr;
LoadedMesh* StageMap::liftTop = nullptr;
LoadedMesh* StageMap::liftBottom = nullptr;
std::vector<Triangle>* StageMap::walkable = nullptr;
std::vector<RoutePoint>* StageMap::route = nullptr;

TEST_F(StageMap, RobotAtTheOriginFallsOntoGround) {
	const auto ground = GroundBelow(map->triangles, {0, 0, 0});
	ASSERT_TRUE(ground.has_value());
	// Its ground ray starts 10 below its origin and reaches 5 further; a fall
	// of more than 250 could carry it through the floor in one frame.
	EXPECT_LE(*ground, -15.0f);
	EXPECT_GT(*ground, -250.0f);
}

TEST_F(StageMap, EveryWalkerSpawnHasFlatGroundBelow) {
	struct Row {
		float x0, x1, z0, z1, y;
	};
	const Row rows[] = {{-190, -141, 1401, 1450, 100}, {-285, -86, 2000, 2000, 100}, {-235, -136, 2150, 2150, 150}};
	for (const Row& row : rows) {
		for (float x = row.x0; x <= row.x1; x += 7) {
			for (float z = row.z0; z <= row.z1; z += 7) {
				const RayHit hit = CastRay(map->triangles, {x, row.y, z}, kDown);
				ASSERT_TRUE(hit.hit) << x << ", " << z;
				EXPECT_GE(hit.distance, 15.0f) << "a walker rests 15 above the ground";
				EXPECT_GT(FaceNormal(map->triangles[hit.triangle]).y, 0.99f) << x << ", " << z;
			}
		}
	}
}

TEST_F(StageMap, TurretLandsWithinFiveUnits) {
	const RayHit hit = CastRay(map->triangles, {700, 130, 2166}, kDown);
	ASSERT_TRUE(hit.hit);
	EXPECT_LE(hit.distance, 5.0f);
}

TEST_F(StageMap, LiftCoversItsShaftFlushWithThePlateau) {
	const auto plateau = GroundBelow(map->triangles, {700, 130, 2166});
	ASSERT_TRUE(plateau.has_value());
	std::vector<Triangle> world = map->triangles;
	world.insert(world.end(), liftTop->triangles.begin(), liftTop->triangles.end());
	// Every point of the shaft's mouth is over the lift's deck, none over the hole.
	for (float x = 785.2f; x < 845; x += 4.9f) {
		for (float z = 2128.2f; z < 2188; z += 4.9f) {
			const auto deck = GroundBelow(world, {x, 200, z});
			ASSERT_TRUE(deck.has_value());
			EXPECT_NEAR(*deck, *plateau, 0.01f) << x << ", " << z;
		}
	}
	// Walking onto it: the robot's ground ray, 5 above the plateau, sees the deck.
	const auto fromPlateau = GroundBelow(liftTop->triangles, {kLiftX, *plateau + 5, kLiftZ});
	ASSERT_TRUE(fromPlateau.has_value());
	EXPECT_NEAR(*fromPlateau, *plateau, 0.01f);
}

TEST_F(StageMap, LiftRideEndsWhereTheRobotWalksOffIntoTheTrench) {
	const auto deck = GroundBelow(liftBottom->triangles, {kLiftX, 0, kLiftZ});
	ASSERT_TRUE(deck.has_value());
	size_t bottom = 0;
	while (bottom < route->size() && !(*route)[bottom].ride) {
		++bottom;
	}
	ASSERT_LT(bottom + 1, route->size()) << "the route rides the lift down and walks on";
	EXPECT_NEAR((*route)[bottom].position.y, *deck, 0.01f);
	// The next floor is within the robot's 5-unit step and nothing walls it off
	// at the height of the robot's wall ray.
	const Vec3 exit = (*route)[bottom + 1].position;
	const auto floor = GroundBelow(map->triangles, {exit.x, *deck + 5, exit.z});
	ASSERT_TRUE(floor.has_value());
	EXPECT_LE(std::fabs(*floor - *deck), 5.0f);
	const Vec3 start{kLiftX, *deck + 12, kLiftZ};
	const Vec3 towardsExit = Vec3{exit.x, start.y, exit.z} - start;
	const RayHit wall = CastRay(map->triangles, start, Normalize(towardsExit));
	EXPECT_TRUE(!wall.hit || wall.distance > Length(towardsExit) + 10);
	// While the lift is at the top, the same side is walled at the plateau's level.
	const auto plateau = GroundBelow(map->triangles, {700, 130, 2166});
	const RayHit guard = CastRay(map->triangles, {kLiftX, *plateau + 12, kLiftZ}, Normalize(towardsExit));
	ASSERT_TRUE(guard.hit);
	EXPECT_LT(guard.distance, 40.0f);
}

TEST_F(StageMap, RobotDroppingIntoTheEmptyShaftLandsOnItsFloor) {
	// The robot's own fall: gravity 0.05 a frame, a ground ray from 10 below
	// its origin that catches ground within 5. Whatever the phase of the fall
	// it ends standing 15 above the shaft's floor, never falling for ever.
	std::vector<Triangle> shaft;
	for (const Triangle& t : map->triangles) {
		const float x = (t.a.x + t.b.x + t.c.x) / 3, z = (t.a.z + t.b.z + t.c.z) / 3;
		if (x > 770 && x < 860 && z > 2110 && z < 2210) {
			shaft.push_back(t);
		}
	}
	const auto floor = GroundBelow(shaft, {815, 0, 2158});
	ASSERT_TRUE(floor.has_value());
	for (float start = 140; start < 146; start += 0.2f) {
		float height = start, speed = 0;
		for (int frame = 0; frame < 1200; ++frame) {
			const RayHit ground = CastRay(shaft, {815, height - 10, 2158}, kDown);
			speed -= 0.05f;
			height += speed;
			if (ground.hit && ground.distance <= 5) {
				speed = 0;
				height += 5 - ground.distance;
			}
		}
		EXPECT_NEAR(height, *floor + 15, 0.1f) << "falling from " << start;
	}
}

TEST_F(StageMap, BossHullRestsOnTheArenaFloor) {
	const Vec3 op{2000, -155, 2150};
	const LoadedMesh boss = LoadMesh("data/Enemy/Tank/Boss_Op.x");
	ASSERT_TRUE(boss.loaded);
	const auto floor = GroundBelow(map->triangles, op);
	ASSERT_TRUE(floor.has_value());
	EXPECT_NEAR(op.y + boss.low.y, *floor, 0.1f);
	// The hull turns with the op: the floor is level all round it.
	const float reach = std::hypot(std::fmax(-boss.low.x, boss.high.x), std::fmax(-boss.low.z, boss.high.z));
	for (int k = 0; k < 16; ++k) {
		const float a = 6.2831853f * k / 16;
		const auto under = GroundBelow(map->triangles, {op.x + reach * std::cos(a), op.y, op.z + reach * std::sin(a)});
		ASSERT_TRUE(under.has_value());
		EXPECT_NEAR(*under, *floor, 0.01f);
	}
}

TEST_F(StageMap, MissilesDroppedNearTheBossFindFloor) {
	const Vec3 op{2000, -155, 2150};
	for (float dx = -305; dx <= 305; dx += 15) {
		for (float dz = -305; dz <= 305; dz += 15) {
			if (dx * dx + dz * dz > 305 * 305) {
				continue;
			}
			EXPECT_TRUE(CastRay(map->triangles, {op.x + dx, -60, op.z + dz}, kDown).hit) << dx << ", " << dz;
		}
	}
}

TEST_F(StageMap, RouteReachesEveryEnemy) {
	auto nearest = [&](const Vec3& target) {
		float best = 1e30f;
		for (const RoutePoint& p : *route) {
			best = std::fmin(best, std::hypot(p.position.x - target.x, p.position.z - target.z));
		}
		return best;
	};
	EXPECT_LT(nearest({-165, 0, 1425}), 150.0f);
	EXPECT_LT(nearest({-185, 0, 2000}), 150.0f);
	EXPECT_LT(nearest({-185, 0, 2150}), 150.0f);
	EXPECT_LT(nearest({700, 0, 2166}), 150.0f);
	EXPECT_LT(nearest({2000, 0, 2150}), 305.0f) << "within the boss's range";
	EXPECT_EQ(route->front().position.x, 0.0f);
	EXPECT_EQ(route->front().position.z, 0.0f);
}

TEST_F(StageMap, RouteIsWalkable) {
	for (size_t s = 1; s < route->size(); ++s) {
		const RoutePoint& from = (*route)[s - 1];
		const RoutePoint& to = (*route)[s];
		if (to.ride) {
			continue;
		}
		const Vec3 flat{to.position.x - from.position.x, 0, to.position.z - from.position.z};
		const float length = Length(flat);
		const Vec3 forward = Normalize(flat);
		const Vec3 side{forward.z, 0, -forward.x};
		const int steps = std::max(1, static_cast<int>(std::ceil(length / 2.5f)));
		float ground = from.position.y;
		for (int k = 1; k <= steps; ++k) {
			const float t = static_cast<float>(k) / steps;
			const Vec3 at = from.position + flat * t;
			// The robot's ground ray: from 5 above the ground it stands on.
			const auto next = GroundBelow(*walkable, {at.x, ground + 5, at.z});
			ASSERT_TRUE(next.has_value()) << to.name << " step " << k;
			EXPECT_LE(std::fabs(*next - ground), 0.5f * length / steps + 0.01f) << to.name << " step " << k;
			ground = *next;
			const Vec3 chest{at.x, ground + 12, at.z};
			for (const Vec3& direction : {side, -side}) {
				const RayHit wall = CastRay(map->triangles, chest, direction);
				EXPECT_TRUE(!wall.hit || wall.distance >= 20.0f) << to.name << " step " << k << " wall at " << wall.distance;
			}
			// The wall push-back along the walk must not stop the robot.
			const RayHit ahead = CastRay(map->triangles, {at.x, ground + 12, at.z}, forward);
			if (ahead.hit && k < steps) {
				const float g = -Dot(FaceNormal(map->triangles[ahead.triangle]), forward);
				EXPECT_FALSE(g != 0 && std::fabs(10 / g) > ahead.distance) << to.name << " step " << k;
			}
		}
		EXPECT_NEAR(ground, to.position.y, 1.0f) << to.name;
	}
}

TEST_F(StageMap, WallsCloseTheStageAroundTheRoute) {
	for (size_t s = 1; s < route->size(); ++s) {
		const RoutePoint& from = (*route)[s - 1];
		const RoutePoint& to = (*route)[s];
		const Vec3 flat{to.position.x - from.position.x, 0, to.position.z - from.position.z};
		const int steps = std::max(1, static_cast<int>(Length(flat) / 50));
		for (int k = 0; k <= steps; ++k) {
			Vec3 at = from.position + (to.position - from.position) * (static_cast<float>(k) / steps);
			const auto ground = GroundBelow(*walkable, {at.x, std::fmax(from.position.y, to.position.y) + 5, at.z});
			ASSERT_TRUE(ground.has_value()) << to.name << " " << k;
			at.y = *ground;
			for (float height : {2.0f, 12.0f, 30.0f}) {
				for (int d = 0; d < 16; ++d) {
					const float a = 6.2831853f * d / 16;
					const Vec3 direction{std::cos(a), 0, std::sin(a)};
					EXPECT_TRUE(CastRay(map->triangles, {at.x, at.y + height, at.z}, direction).hit)
					    << to.name << " " << k << " height " << height << " direction " << d;
				}
			}
		}
	}
}

TEST_F(StageMap, EveryColumnOfTheStageHasAFloor) {
	for (float x = map->low.x + 1; x < map->high.x; x += 23) {
		for (float z = map->low.z + 1; z < map->high.z; z += 23) {
			EXPECT_TRUE(CastRay(map->triangles, {x, map->high.y + 10, z}, kDown).hit) << x << ", " << z;
		}
	}
}

TEST_F(StageMap, WritesPreviewsWhenAsked) {
	const char* folder = std::getenv("VORTANE_PREVIEW_DIR");
	if (!folder) {
		GTEST_SKIP() << "set VORTANE_PREVIEW_DIR to write the previews";
	}
	std::filesystem::create_directories(folder);
	struct View {
		const char* name;
		int width, height;
		Vec3 centre;
		float extent;
		Vec3 direction;
	};
	const View views[] = {
	    {"map_overview", 1100, 1050, (map->low + map->high) * 0.5f, 0.52f * (map->high.z - map->low.z), {0, -1, 0.01f}},
	    {"map_start", 800, 600, {0, -20, 500}, 420, {0.25f, -0.8f, 0.55f}},
	    {"map_yard", 800, 600, {-170, 40, 1800}, 480, {0.3f, -0.85f, 0.45f}},
	    {"map_plateau", 800, 600, {640, 125, 2170}, 260, {0.4f, -0.75f, 0.5f}},
	    {"map_arena", 800, 600, {1750, -180, 2150}, 420, {0.45f, -0.8f, 0.4f}},
	};
	for (const View& view : views) {
		PreviewRenderer renderer(view.width, view.height);
		renderer.SetView(view.centre, view.extent, view.direction);
		renderer.Draw(*map);
		renderer.Draw(*liftTop);
		EXPECT_TRUE(WritePreviewPng(std::string(folder) + "/" + view.name + ".png", view.width, view.height,
		                            renderer.Picture()));
	}
}

// The battle as the follow camera sees it: the robot, the walkers, the
// turret and the boss placed where the battle puts them, on the map.
TEST_F(StageMap, WritesBattleScenesWhenAsked) {
	const char* folder = std::getenv("VORTANE_PREVIEW_DIR");
	if (!folder) {
		GTEST_SKIP() << "set VORTANE_PREVIEW_DIR to write the previews";
	}
	std::vector<LoadedMesh> actors;
	auto place = [&](const Rig& rig, const Mat4& world) {
		for (const PlacedPart& part : rig.parts) {
			actors.push_back(LoadMesh("data/" + part.file, part.matrix * world));
		}
	};
	place(PlayerRig(), Mat4::Translation(0, -5, 0));
	for (const Vec3& at : {Vec3{-165, 55, 1425}, Vec3{-150, 55, 1445}, Vec3{-250, 55, 2000}, Vec3{-185, 55, 2000},
	                       Vec3{-110, 55, 2000}, Vec3{-200, 55, 2150}, Vec3{-150, 55, 2150}}) {
		place(WalkerRig(), Mat4::Translation(at));
	}
	place(TurretRig(), Mat4::RotationY(-1.2f) * Mat4::Translation(700, 130, 2166));
	place(BossRig(), Mat4::RotationY(90 * 0.017453f) * Mat4::Translation(2000, -155, 2150));
	place(PlayerRig(), Mat4::RotationY(1.5708f) * Mat4::Translation(1700, -165, 2160));
	struct Shot {
		const char* name;
		Vec3 eye, target;
	};
	const Shot shots[] = {
	    {"scene_start", {0, 12, -45}, {0, 2, 60}},
	    {"scene_yard", {-20, 95, 1240}, {-170, 50, 1800}},
	    {"scene_plateau", {430, 175, 2175}, {760, 128, 2160}},
	    {"scene_trench", {830, -195, 2158}, {1200, -200, 2160}},
	    {"scene_arena", {1640, -140, 2160}, {2000, -160, 2150}},
	};
	for (const Shot& shot : shots) {
		PreviewRenderer renderer(960, 540);
		renderer.SetPerspective(shot.eye, shot.target, 1.0471976f);
		renderer.Draw(*map);
		renderer.Draw(*liftTop);
		for (const LoadedMesh& actor : actors) {
			renderer.Draw(actor);
		}
		EXPECT_TRUE(WritePreviewPng(std::string(folder) + "/" + shot.name + ".png", 960, 540, renderer.Picture()));
	}
}

}  // namespace
