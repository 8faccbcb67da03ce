// The stage map mesh, its route description and the lift, from the stage
// layout. The mesh is written at one fifth of world size (the game draws it
// at scale 5): rock and floor tops merged into large rectangles, walls
// wherever a column stands higher than its neighbour, ramps with warning
// borders, and dashed light strips along the rock walls.
#include "tools/assetgen/ModelKit.h"
#include "tools/assetgen/StageLayout.h"
#include "tools/assetgen/SurfaceTextures.h"

#include <cmath>

namespace {

constexpr float kMapScale = 0.2f;
constexpr float kPi = 3.14159265f;

struct MapMaterials {
	int floor, darkFloor, plate, wall, rockTop, crate, hazard, light, warning;
};

XMaterial Textured(float r, float g, float b, const char* texture) {
	XMaterial m;
	m.diffuse = {r, g, b, 1};
	m.specular = {0.15f, 0.15f, 0.15f};
	m.power = 8;
	m.textureFile = texture;
	return m;
}

MapMaterials AddMapMaterials(MeshBuilder& b) {
	MapMaterials m;
	m.floor = b.AddMaterial(Textured(0.78f, 0.77f, 0.74f, "floor_concrete.png"));
	m.darkFloor = b.AddMaterial(Textured(0.5f, 0.52f, 0.58f, "floor_concrete.png"));
	m.plate = b.AddMaterial(Textured(0.72f, 0.74f, 0.78f, "metal_plate.png"));
	m.wall = b.AddMaterial(Textured(0.68f, 0.68f, 0.7f, "wall_panel.png"));
	m.rockTop = b.AddMaterial(Textured(0.42f, 0.42f, 0.45f, "wall_panel.png"));
	m.crate = b.AddMaterial(Textured(0.55f, 0.57f, 0.46f, "metal_plate.png"));
	m.hazard = b.AddMaterial(Textured(1, 1, 1, "hazard_stripe.png"));
	m.light = b.AddMaterial(GlowMaterial(0.55f, 0.9f, 1.0f));
	m.warning = b.AddMaterial(GlowMaterial(1.0f, 0.3f, 0.1f));
	return m;
}

int TopMaterial(const MapMaterials& m, Ground kind) {
	switch (kind) {
	case Ground::Rock: return m.rockTop;
	case Ground::Floor: return m.floor;
	case Ground::DarkFloor: return m.darkFloor;
	case Ground::Plate: return m.plate;
	case Ground::Crate: return m.crate;
	case Ground::Shaft: return m.plate;
	}
	return m.floor;
}

int WallMaterial(const MapMaterials& m, Ground kind) {
	switch (kind) {
	case Ground::Crate: return m.crate;
	case Ground::Plate: return m.plate;
	default: return m.wall;
	}
}

// A horizontal rectangle facing up, texture tiled in world units.
void FloorRect(MeshBuilder& b, float x0, float z0, float x1, float z1, float y, float tile) {
	const Vec3 p[4] = {{x0, y, z0}, {x1, y, z0}, {x1, y, z1}, {x0, y, z1}};
	const Vec2 uv[4] = {{x0 / tile, z0 / tile}, {x1 / tile, z0 / tile}, {x1 / tile, z1 / tile}, {x0 / tile, z1 / tile}};
	b.QuadUv(p, uv, {0, 1, 0});
}

void FlatTops(MeshBuilder& b, const MapMaterials& m, const StageLayout& s) {
	std::vector<uint8_t> done(static_cast<size_t>(StageLayout::kColumns) * StageLayout::kRows, 0);
	auto same = [&](int i, int j, int ri, int rj) {
		return s.RampAt(i, j) < 0 && s.KindAt(i, j) == s.KindAt(ri, rj) && s.HeightAt(i, j) == s.HeightAt(ri, rj);
	};
	for (int j = 0; j < StageLayout::kRows; ++j) {
		for (int i = 0; i < StageLayout::kColumns; ++i) {
			if (done[j * StageLayout::kColumns + i] || s.RampAt(i, j) >= 0) {
				continue;
			}
			// Greedy: widen along x, then grow along z while the whole run matches.
			int i1 = i + 1;
			while (i1 < StageLayout::kColumns && !done[j * StageLayout::kColumns + i1] && same(i1, j, i, j)) {
				++i1;
			}
			int j1 = j + 1;
			for (; j1 < StageLayout::kRows; ++j1) {
				bool rowMatches = true;
				for (int k = i; k < i1 && rowMatches; ++k) {
					rowMatches = !done[j1 * StageLayout::kColumns + k] && same(k, j1, i, j);
				}
				if (!rowMatches) {
					break;
				}
			}
			for (int jj = j; jj < j1; ++jj) {
				for (int ii = i; ii < i1; ++ii) {
					done[jj * StageLayout::kColumns + ii] = 1;
				}
			}
			const Ground kind = s.KindAt(i, j);
			b.SetMaterial(TopMaterial(m, kind));
			FloorRect(b, StageLayout::CellX(i), StageLayout::CellZ(j), StageLayout::CellX(i1), StageLayout::CellZ(j1),
			          s.HeightAt(i, j), kind == Ground::Rock ? 60.0f : 40.0f);
		}
	}
}

void RampTops(MeshBuilder& b, const MapMaterials& m, const StageLayout& s) {
	for (size_t r = 0; r < s.Ramps().size(); ++r) {
		const StageRamp& ramp = s.Ramps()[r];
		int i0 = StageLayout::kColumns, i1 = -1, j0 = StageLayout::kRows, j1 = -1;
		for (int j = 0; j < StageLayout::kRows; ++j) {
			for (int i = 0; i < StageLayout::kColumns; ++i) {
				if (s.RampAt(i, j) == static_cast<int>(r)) {
					i0 = std::min(i0, i), i1 = std::max(i1, i), j0 = std::min(j0, j), j1 = std::max(j1, j);
				}
			}
		}
		if (i1 < 0) {
			continue;
		}
		const float x0 = StageLayout::CellX(i0), x1 = StageLayout::CellX(i1 + 1);
		const float z0 = StageLayout::CellZ(j0), z1 = StageLayout::CellZ(j1 + 1);
		// Three lanes across the slope: warning stripes along both edges.
		const float border = 2 * StageLayout::kCell;
		for (int lane = 0; lane < 3; ++lane) {
			float a0, a1, b0, b1;  // lane rectangle
			if (ramp.alongX) {
				a0 = x0, a1 = x1;
				b0 = lane == 0 ? z0 : lane == 1 ? z0 + border : z1 - border;
				b1 = lane == 0 ? z0 + border : lane == 1 ? z1 - border : z1;
			} else {
				b0 = z0, b1 = z1;
				a0 = lane == 0 ? x0 : lane == 1 ? x0 + border : x1 - border;
				a1 = lane == 0 ? x0 + border : lane == 1 ? x1 - border : x1;
			}
			const Vec3 p[4] = {{a0, ramp.HeightAt(a0, b0), b0}, {a1, ramp.HeightAt(a1, b0), b0},
			                   {a1, ramp.HeightAt(a1, b1), b1}, {a0, ramp.HeightAt(a0, b1), b1}};
			const float tile = lane == 1 ? 40.0f : 10.0f;
			const Vec2 uv[4] = {{a0 / tile, b0 / tile}, {a1 / tile, b0 / tile}, {a1 / tile, b1 / tile}, {a0 / tile, b1 / tile}};
			const Vec3 normal = ramp.alongX ? Vec3{-(ramp.high - ramp.low) / (x1 - x0), 1, 0}
			                                : Vec3{0, 1, -(ramp.high - ramp.low) / (z1 - z0)};
			b.SetMaterial(lane == 1 ? m.floor : m.hazard);
			b.QuadUv(p, uv, normal);
		}
	}
}

// One wall piece on a grid line: `along` runs from a0 to a1 at fixed `at`;
// the wall faces `facing` (+1 or -1 along the grid line's normal axis).
struct WallPiece {
	bool xLine;  // the line is x = at (walls face along x)
	float at, a0, a1;
	float bottom0, bottom1, top0, top1;
	float facing;
	Ground kind;
};

void EmitWall(MeshBuilder& b, const MapMaterials& m, const WallPiece& w) {
	auto point = [&](float along, float y) { return w.xLine ? Vec3{w.at, y, along} : Vec3{along, y, w.at}; };
	const Vec3 p[4] = {point(w.a0, w.bottom0), point(w.a1, w.bottom1), point(w.a1, w.top1), point(w.a0, w.top0)};
	const float tile = 40.0f;
	const Vec2 uv[4] = {{w.a0 / tile, -w.bottom0 / tile}, {w.a1 / tile, -w.bottom1 / tile},
	                    {w.a1 / tile, -w.top1 / tile}, {w.a0 / tile, -w.top0 / tile}};
	const Vec3 normal = w.xLine ? Vec3{w.facing, 0, 0} : Vec3{0, 0, w.facing};
	b.SetMaterial(WallMaterial(m, w.kind));
	b.QuadUv(p, uv, normal);

	// Dashed light strips along tall rock walls above flat floors, and a
	// lit band round each cover block (red ones in the boss's arena).
	const bool flat = w.bottom0 == w.bottom1 && w.top0 == w.top1;
	if (w.kind == Ground::Crate && flat && w.a1 - w.a0 >= 20) {
		const bool arena = (w.xLine ? w.at : w.a0) > 1000;
		b.SetMaterial(arena ? m.warning : m.light);
		const float out = w.at + w.facing * 0.3f;
		auto band = [&](float along, float y) { return w.xLine ? Vec3{out, y, along} : Vec3{along, y, out}; };
		b.Quad(band(w.a0 + 3, w.top0 - 4), band(w.a1 - 3, w.top0 - 4), band(w.a1 - 3, w.top0 - 2.5f),
		       band(w.a0 + 3, w.top0 - 2.5f), normal);
		return;
	}
	if (w.kind != Ground::Rock || !flat || w.top0 - w.bottom0 < 40 || w.a1 - w.a0 < 20) {
		return;
	}
	// A steel skirting along the foot of the wall.
	b.SetMaterial(m.plate);
	const float skirt = w.at + w.facing * 0.25f;
	auto skirting = [&](float along, float y) { return w.xLine ? Vec3{skirt, y, along} : Vec3{along, y, skirt}; };
	b.Quad(skirting(w.a0, w.bottom0), skirting(w.a1, w.bottom0), skirting(w.a1, w.bottom0 + 6),
	       skirting(w.a0, w.bottom0 + 6), normal);
	b.SetMaterial(m.light);
	const float offset = w.at + w.facing * 0.3f;
	for (float start = std::ceil(w.a0 / 40.0f) * 40.0f - 40.0f; start < w.a1; start += 40.0f) {
		const float d0 = std::max(start + 8.0f, w.a0 + 4.0f), d1 = std::min(start + 32.0f, w.a1 - 4.0f);
		if (d1 - d0 < 4) {
			continue;
		}
		auto strip = [&](float along, float y) { return w.xLine ? Vec3{offset, y, along} : Vec3{along, y, offset}; };
		b.Quad(strip(d0, w.bottom0 + 26), strip(d1, w.bottom0 + 26), strip(d1, w.bottom0 + 28.5f),
		       strip(d0, w.bottom0 + 28.5f), normal);
	}
}

// Walks every grid line and emits the walls where one side stands higher,
// merging runs of flat columns into long pieces.
void Walls(MeshBuilder& b, const MapMaterials& m, const StageLayout& s) {
	for (int pass = 0; pass < 2; ++pass) {
		const bool xLine = pass == 0;
		const int lines = xLine ? StageLayout::kColumns : StageLayout::kRows;
		const int cells = xLine ? StageLayout::kRows : StageLayout::kColumns;
		for (int line = 1; line < lines; ++line) {
			bool open = false;
			WallPiece run{};
			auto flush = [&]() {
				if (open) {
					EmitWall(b, m, run);
				}
				open = false;
			};
			for (int c = 0; c < cells; ++c) {
				// Columns on either side of the line: A before it, B after it.
				const int ai = xLine ? line - 1 : c, aj = xLine ? c : line - 1;
				const int bi = xLine ? line : c, bj = xLine ? c : line;
				const float at = xLine ? StageLayout::CellX(line) : StageLayout::CellZ(line);
				const float a0 = xLine ? StageLayout::CellZ(c) : StageLayout::CellX(c);
				const float a1 = a0 + StageLayout::kCell;
				auto surface = [&](int i, int j, float along) {
					return xLine ? s.SurfaceAt(i, j, at, along) : s.SurfaceAt(i, j, along, at);
				};
				const float ha0 = surface(ai, aj, a0), ha1 = surface(ai, aj, a1);
				const float hb0 = surface(bi, bj, a0), hb1 = surface(bi, bj, a1);
				WallPiece piece{};
				const float eps = 0.01f;
				if (ha0 > hb0 + eps || ha1 > hb1 + eps) {
					piece = {xLine, at, a0, a1, hb0, hb1, ha0, ha1, 1.0f, s.KindAt(ai, aj)};
				} else if (hb0 > ha0 + eps || hb1 > ha1 + eps) {
					piece = {xLine, at, a0, a1, ha0, ha1, hb0, hb1, -1.0f, s.KindAt(bi, bj)};
				} else {
					flush();
					continue;
				}
				const bool flat = s.RampAt(ai, aj) < 0 && s.RampAt(bi, bj) < 0;
				if (flat && open && run.facing == piece.facing && run.kind == piece.kind &&
				    run.bottom1 == piece.bottom0 && run.top1 == piece.top0 && run.bottom0 == run.bottom1 &&
				    run.top0 == run.top1 && piece.bottom0 == piece.bottom1 && piece.top0 == piece.top1) {
					run.a1 = piece.a1;
					continue;
				}
				flush();
				if (flat) {
					run = piece;
					open = true;
				} else {
					EmitWall(b, m, piece);
				}
			}
			flush();
		}
	}
}

// Pieces the column grid cannot hold: the rock bridge over the trench's
// mouth (it walls the shaft's east side at the plateau's level and leaves
// the way out open at the bottom), floor lights at the start and around the
// boss.
void Details(MeshBuilder& b, const MapMaterials& m) {
	b.SetUvScale(40);
	b.SetMaterial(m.wall);
	b.Box({850, 25, 2158}, {5, 195, 30});
	// Catch floors under the lift shaft. A fall from the plateau into the
	// empty shaft ends faster than the 5 units a frame the robot's ground ray
	// reaches, so it could pass the floor in one frame; one of these then lies
	// within reach, and the robot climbs back up onto the floor above it.
	b.SetMaterial(m.plate);
	for (float y : {-230.0f, -234.0f, -238.0f, -242.0f}) {
		FloorRect(b, 785, 2128, 845, 2188, y, 40);
	}
	b.SetMaterial(m.light);
	for (int side = 0; side < 4; ++side) {
		const float s = side < 2 ? -1.0f : 1.0f;
		if (side % 2 == 0) {
			FloorRect(b, -30, s * 30 - 1.5f, 30, s * 30 + 1.5f, -19.95f, 10);
		} else {
			FloorRect(b, s * 30 - 1.5f, -28.5f, s * 30 + 1.5f, 28.5f, -19.95f, 10);
		}
	}
	b.Quad({845.3f, -168, 2130}, {845.3f, -168, 2186}, {845.3f, -165.5f, 2186}, {845.3f, -165.5f, 2130}, {-1, 0, 0});
	b.Quad({854.7f, -168, 2130}, {854.7f, -168, 2186}, {854.7f, -165.5f, 2186}, {854.7f, -165.5f, 2130}, {1, 0, 0});
	for (int k = 0; k < 48; ++k) {
		const float a0 = 2 * kPi * k / 48, a1 = a0 + 2 * kPi / 96;
		auto at = [&](float r, float a) { return Vec3{2000 + r * std::cos(a), -179.95f, 2150 + r * std::sin(a)}; };
		b.Quad(at(355, a0), at(355, a1), at(360, a1), at(360, a0), {0, 1, 0});
	}
	b.SetMaterial(m.warning);
	for (int k = 0; k < 24; ++k) {
		const float a0 = 2 * kPi * k / 24, a1 = a0 + 2 * kPi / 48;
		const float r0 = 112, r1 = 118;
		auto at = [&](float r, float a) { return Vec3{2000 + r * std::cos(a), -179.95f, 2150 + r * std::sin(a)}; };
		b.Quad(at(r0, a0), at(r0, a1), at(r1, a1), at(r1, a0), {0, 1, 0});
	}
}

bool WriteMapTextures(AssetOutput& output, const std::string& folder) {
	bool ok = output.WriteFile(folder + "/floor_concrete.png", ConcreteTexturePng(256, {1, 1, 1}, 31));
	ok = output.WriteFile(folder + "/wall_panel.png", PanelTexturePng(256, {1, 1, 1}, {0.35f, 0.36f, 0.4f}, 32)) && ok;
	ok = output.WriteFile(folder + "/metal_plate.png", MetalPlateTexturePng(256, {1, 1, 1}, 33)) && ok;
	ok = output.WriteFile(folder + "/hazard_stripe.png", HazardTexturePng(64, {0.95f, 0.72f, 0.1f}, {0.12f, 0.12f, 0.13f})) && ok;
	return ok;
}

// The lift: a 60 x 60 platform whose deck lies 20 above its origin, so that
// placed at its start it is flush with the plateau around the shaft.
bool WriteLift(AssetOutput& output) {
	MeshBuilder b;
	const int deck = b.AddMaterial(Textured(0.75f, 0.77f, 0.8f, "metal_plate.png"));
	const int hazard = b.AddMaterial(Textured(1, 1, 1, "hazard_stripe.png"));
	const int frame = b.AddMaterial(Textured(0.3f, 0.31f, 0.34f, "metal_plate.png"));
	const int light = b.AddMaterial(GlowMaterial(1.0f, 0.7f, 0.2f));
	b.SetUvScale(20);
	b.SetMaterial(deck);
	FloorRect(b, -25, -25, 25, 25, 20, 20);
	b.SetMaterial(hazard);
	FloorRect(b, -30, -30, 30, -25, 20, 8);
	FloorRect(b, -30, 25, 30, 30, 20, 8);
	FloorRect(b, -30, -25, -25, 25, 20, 8);
	FloorRect(b, 25, -25, 30, 25, 20, 8);
	b.SetMaterial(frame);
	b.Box({0, 17.5f, 0}, {30, 2.45f, 30});
	for (float sx : {-1.0f, 1.0f}) {
		for (float sz : {-1.0f, 1.0f}) {
			b.Box({sx * 26, 10, sz * 26}, {2.5f, 5.2f, 2.5f}, 0.4f);
		}
		b.Box({sx * 26, 13, 0}, {1.5f, 1.5f, 24}, 0.3f);
		b.Box({0, 13, sx * 26}, {24, 1.5f, 1.5f}, 0.3f);
	}
	b.Box({0, 12, 0}, {3, 3, 3}, 0.5f);
	b.SetMaterial(light);
	for (float s : {-1.0f, 1.0f}) {
		b.Box({0, 17.5f, s * 30.02f}, {24, 0.4f, 0.03f});
		b.Box({s * 30.02f, 17.5f, 0}, {0.03f, 0.4f, 24});
	}
	bool ok = WriteMesh(output, "Object/Lift.x", b);
	ok = output.WriteFile("Object/metal_plate.png", MetalPlateTexturePng(256, {1, 1, 1}, 33)) && ok;
	ok = output.WriteFile("Object/hazard_stripe.png", HazardTexturePng(64, {0.95f, 0.72f, 0.1f}, {0.12f, 0.12f, 0.13f})) && ok;
	return ok;
}

}  // namespace

bool GenerateStageMap(AssetOutput& output) {
	const StageLayout layout;
	MeshBuilder b;
	const MapMaterials materials = AddMapMaterials(b);
	b.PushTransform(Mat4::Scaling(kMapScale, kMapScale, kMapScale));
	FlatTops(b, materials, layout);
	RampTops(b, materials, layout);
	Walls(b, materials, layout);
	Details(b, materials);
	b.PopTransform();
	bool ok = WriteMesh(output, "map/Map_01.x", b);
	ok = output.WriteText("map/Map_01.route", FormatRoute(layout.Route())) && ok;
	ok = WriteMapTextures(output, "map") && ok;
	ok = WriteLift(output) && ok;
	return ok;
}
