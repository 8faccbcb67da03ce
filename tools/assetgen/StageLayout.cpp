#include "tools/assetgen/StageLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

float StageRamp::HeightAt(float x, float z) const {
	const float t = alongX ? (x - x0) / (x1 - x0) : (z - z0) / (z1 - z0);
	return low + (high - low) * std::clamp(t, 0.0f, 1.0f);
}

namespace {

// Rock heights vary per 100-unit block so the skyline is not one slab; the
// blocks around the start are lower, those around the boss's pit lower still,
// but always well above any floor they face.
float RockHeight(float x, float z) {
	const uint32_t bx = static_cast<uint32_t>(static_cast<int>(std::floor(x / 100.0f)) + 1000);
	const uint32_t bz = static_cast<uint32_t>(static_cast<int>(std::floor(z / 100.0f)) + 1000);
	uint32_t h = bx * 73856093u ^ bz * 19349663u;
	h ^= h >> 13;
	h *= 0x5bd1e995u;
	h ^= h >> 15;
	const float variation = 12.0f * static_cast<float>(h % 4);
	if (x > 1000.0f) {
		return 30.0f + variation;
	}
	if (z < 1150.0f) {
		return 110.0f + variation;
	}
	return 200.0f + variation;
}

}  // namespace

StageLayout::StageLayout()
    : kinds(static_cast<size_t>(kColumns) * kRows, Ground::Rock),
      heights(static_cast<size_t>(kColumns) * kRows),
      ramps(static_cast<size_t>(kColumns) * kRows, -1) {
	for (int j = 0; j < kRows; ++j) {
		for (int i = 0; i < kColumns; ++i) {
			heights[Index(i, j)] = RockHeight(CellX(i) + kCell / 2, CellZ(j) + kCell / 2);
		}
	}
	// Start hall and the corridor north, rising into the yard.
	Fill(-100, -100, 100, 250, Ground::Floor, -20);
	Fill(-60, 250, 60, 1250, Ground::Floor, 40);
	Fill(-60, 250, 60, 500, Ground::Floor, -20);
	AddRamp({-60, 498, 60, 738, false, -20, 40});
	// The walkers' yard.
	Fill(-420, 1250, 80, 2320, Ground::Floor, 40);
	AddYardCover();
	// East out of the yard, up to the turret's plateau.
	Fill(80, 2080, 400, 2260, Ground::Floor, 40);
	AddRamp({120, 2080, 400, 2260, true, 40, 125});
	Fill(400, 1960, 845, 2380, Ground::Plate, 125);
	Fill(480, 2280, 520, 2330, Ground::Crate, 149);
	Fill(560, 1990, 600, 2025, Ground::Crate, 149);
	Fill(650, 2300, 690, 2340, Ground::Crate, 149);
	// The lift shaft, exactly under the lift, and the trench east of it.
	Fill(785, 2128, 845, 2188, Ground::Shaft, -226);
	Fill(845, 2128, 900, 2188, Ground::DarkFloor, -221);
	Fill(900, 2090, 1620, 2230, Ground::DarkFloor, -180);
	Fill(900, 2090, 1000, 2230, Ground::DarkFloor, -221);
	AddRamp({1000, 2090, 1180, 2230, true, -221, -180});
	// The boss's arena, with pillars to hide behind.
	FillDisc(2000, 2150, 390, Ground::DarkFloor, -180);
	for (const float px : {1800.0f, 2200.0f}) {
		for (const float pz : {1950.0f, 2350.0f}) {
			Fill(px - 20, pz - 20, px + 20, pz + 20, Ground::Crate, -145);
		}
	}

	AddButtresses();

	route = {
	    {"start", false, 0, -20, 0},
	    {"corridor", false, 0, -20, 450},
	    {"ramp_top", false, 0, 40, 800},
	    {"yard", false, 0, 40, 1250},
	    {"walkers_1", false, -30, 40, 1470},
	    {"yard_middle", false, -130, 40, 1780},
	    {"walkers_2", false, -130, 40, 2050},
	    {"yard_back", false, -110, 40, 2230},
	    {"yard_east", false, 40, 40, 2200},
	    {"plateau_ramp", false, 120, 40, 2170},
	    {"plateau", false, 400, 125, 2170},
	    {"turret", false, 600, 125, 2080},
	    {"shaft_south", false, 760, 125, 2080},
	    {"lift_approach", false, 815, 125, 2100},
	    {"lift_top", false, 815, 125, 2158},
	    {"lift_bottom", true, 815, -220.5f, 2158},
	    {"trench", false, 870, -221, 2158},
	    {"trench_ramp", false, 1000, -221, 2160},
	    {"trench_top", false, 1180, -180, 2160},
	    {"arena_gate", false, 1620, -180, 2160},
	    {"boss", false, 1900, -180, 2150},
	};
}

void StageLayout::Fill(float x0, float z0, float x1, float z1, Ground kind, float height) {
	for (int j = 0; j < kRows; ++j) {
		const float cz = CellZ(j) + kCell / 2;
		if (cz < z0 || cz > z1) {
			continue;
		}
		for (int i = 0; i < kColumns; ++i) {
			const float cx = CellX(i) + kCell / 2;
			if (cx >= x0 && cx <= x1) {
				kinds[Index(i, j)] = kind;
				heights[Index(i, j)] = height;
				ramps[Index(i, j)] = -1;
			}
		}
	}
}

void StageLayout::FillDisc(float cx, float cz, float radius, Ground kind, float height) {
	for (int j = 0; j < kRows; ++j) {
		for (int i = 0; i < kColumns; ++i) {
			const float dx = CellX(i) + kCell / 2 - cx, dz = CellZ(j) + kCell / 2 - cz;
			if (dx * dx + dz * dz <= radius * radius) {
				kinds[Index(i, j)] = kind;
				heights[Index(i, j)] = height;
				ramps[Index(i, j)] = -1;
			}
		}
	}
}

void StageLayout::AddRamp(const StageRamp& ramp) {
	const int16_t id = static_cast<int16_t>(rampList.size());
	rampList.push_back(ramp);
	for (int j = 0; j < kRows; ++j) {
		const float cz = CellZ(j) + kCell / 2;
		for (int i = 0; i < kColumns; ++i) {
			const float cx = CellX(i) + kCell / 2;
			if (cx >= ramp.x0 && cx <= ramp.x1 && cz >= ramp.z0 && cz <= ramp.z1) {
				kinds[Index(i, j)] = Ground::Floor;
				ramps[Index(i, j)] = id;
				heights[Index(i, j)] = ramp.HeightAt(cx, cz);
			}
		}
	}
}

float StageLayout::SurfaceAt(int i, int j, float x, float z) const {
	const int ramp = RampAt(i, j);
	return ramp < 0 ? HeightAt(i, j) : rampList[ramp].HeightAt(x, z);
}

std::string FormatRoute(const std::vector<RoutePoint>& route) {
	std::string text =
	    "# VORTANE stage route, in world units (the map mesh is drawn at five times its size).\n"
	    "# One point a line: name kind x ground z\n"
	    "#   kind   walk: reached on foot in a straight line from the previous point\n"
	    "#          ride: reached on the lift from the previous point\n"
	    "#   ground height of the floor under the point; a robot stands 15 above it\n";
	for (const RoutePoint& p : route) {
		char line[160];
		std::snprintf(line, sizeof line, "%s %s %.2f %.2f %.2f\n", p.name.c_str(), p.ride ? "ride" : "walk", p.x,
		              p.ground, p.z);
		text += line;
	}
	return text;
}

// Rock outcrops and pillars stand about the yard, free of its walls, so
// that no long sight line crosses it: walkers are met round cover rather
// than picked off from far away. One screens the first pair from the
// corridor's mouth, a row of three the middle group, one the way out east.
// Every piece is convex with wide gaps between, so walkers closing in slide
// round it instead of wedging into a corner; the spawn rows stay open floor.
// The rock stands well above a robot and below the yard's walls; low crates
// give cover to duck behind.
void StageLayout::AddYardCover() {
	constexpr float kOutcrop = 112.0f;
	constexpr float kPillar = 124.0f;
	constexpr float kCrate = 64.0f;
	Fill(-120, 1310, -55, 1390, Ground::Rock, kOutcrop);  // the corridor's mouth
	Fill(-250, 1620, -200, 1680, Ground::Rock, kPillar);
	Fill(-60, 1720, -10, 1780, Ground::Rock, kPillar);
	for (const float x : {-400.0f, -240.0f, -80.0f}) {    // before the middle group
		Fill(x, 1880, x + 60, 1920, Ground::Rock, kOutcrop);
	}
	Fill(-80, 2100, -40, 2180, Ground::Rock, kPillar);    // the way out
	Fill(-380, 2060, -340, 2110, Ground::Rock, kPillar);
	Fill(-380, 1380, -330, 1440, Ground::Crate, kCrate);
	Fill(0, 1560, 40, 1600, Ground::Crate, kCrate);
	Fill(-330, 1750, -290, 1800, Ground::Crate, kCrate);
	Fill(-400, 2230, -360, 2290, Ground::Crate, kCrate);
	Fill(-20, 2260, 30, 2300, Ground::Crate, kCrate);
}

void StageLayout::AddButtresses() {
	// A rock column stands out of the wall every 60 units along the halls,
	// corridors, yard and plateau, clear of ramps, cover and the shaft, as
	// tall as the rock behind it.
	struct Column {
		size_t at;
		float height;  // of the rock it stands out of
	};
	std::vector<Column> columns;
	for (int j = 1; j + 1 < kRows; ++j) {
		for (int i = 1; i + 1 < kColumns; ++i) {
			const Ground kind = KindAt(i, j);
			if ((kind != Ground::Floor && kind != Ground::DarkFloor && kind != Ground::Plate) || RampAt(i, j) >= 0 ||
			    CellX(i) > 1600) {
				continue;
			}
			bool clear = true;
			for (int dj = -1; dj <= 1 && clear; ++dj) {
				for (int di = -1; di <= 1 && clear; ++di) {
					const Ground near = KindAt(i + di, j + dj);
					clear = near != Ground::Shaft && near != Ground::Crate && RampAt(i + di, j + dj) < 0;
				}
			}
			const bool rockX = KindAt(i - 1, j) == Ground::Rock || KindAt(i + 1, j) == Ground::Rock;
			const bool rockZ = KindAt(i, j - 1) == Ground::Rock || KindAt(i, j + 1) == Ground::Rock;
			if (!clear || rockX == rockZ) {
				continue;  // not beside a wall, or in a corner
			}
			if ((rockX ? j : i) % 12 == 0) {
				const int wi = rockX ? (KindAt(i - 1, j) == Ground::Rock ? i - 1 : i + 1) : i;
				const int wj = rockX ? j : (KindAt(i, j - 1) == Ground::Rock ? j - 1 : j + 1);
				columns.push_back({Index(i, j), HeightAt(wi, wj)});
			}
		}
	}
	for (const Column& c : columns) {
		kinds[c.at] = Ground::Rock;
		heights[c.at] = c.height;
	}
}
