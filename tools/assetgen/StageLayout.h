#pragma once
// The stage as a grid of 5-unit columns in world units: every column is
// either rock (a tall block) or a floor at some height, with ramps between
// levels, cover blocks and the lift shaft. The map mesh is built from this
// grid and drawn by the game at five times the mesh's size.
//
// The stage, in the order the battle runs: a start hall at the origin, a
// corridor north with a ramp up into the walkers' yard (rock outcrops and
// pillars for cover), a ramp east up to
// the turret's plateau, the lift shaft down to a trench, and a ramp up into
// the boss's arena.

#include <cstdint>
#include <string>
#include <vector>

enum class Ground : uint8_t { Rock, Floor, DarkFloor, Plate, Crate, Shaft };

struct StageRamp {
	float x0, z0, x1, z1;  // world rectangle
	bool alongX;           // rises along x (else along z)
	float low, high;       // heights at the low and high coordinate ends
	float HeightAt(float x, float z) const;
};

struct RoutePoint {
	std::string name;
	bool ride;  // reached on the lift (else on foot)
	float x, ground, z;
};

class StageLayout {
public:
	static constexpr float kCell = 5.0f;
	static constexpr float kOriginX = -450.0f;
	static constexpr float kOriginZ = -152.0f;  // puts the lift shaft on grid lines
	static constexpr int kColumns = 570;
	static constexpr int kRows = 540;

	StageLayout();

	Ground KindAt(int i, int j) const { return kinds[Index(i, j)]; }
	int RampAt(int i, int j) const { return ramps[Index(i, j)]; }
	float HeightAt(int i, int j) const { return heights[Index(i, j)]; }
	// Surface height of column (i, j) at a world point on its boundary.
	float SurfaceAt(int i, int j, float x, float z) const;
	const std::vector<StageRamp>& Ramps() const { return rampList; }
	const std::vector<RoutePoint>& Route() const { return route; }

	static float CellX(int i) { return kOriginX + i * kCell; }
	static float CellZ(int j) { return kOriginZ + j * kCell; }

private:
	size_t Index(int i, int j) const { return static_cast<size_t>(j) * kColumns + i; }
	void Fill(float x0, float z0, float x1, float z1, Ground kind, float height);
	void FillDisc(float cx, float cz, float radius, Ground kind, float height);
	void AddRamp(const StageRamp& ramp);
	void AddYardCover();
	void AddButtresses();

	std::vector<Ground> kinds;
	std::vector<float> heights;
	std::vector<int16_t> ramps;
	std::vector<StageRamp> rampList;
	std::vector<RoutePoint> route;
};

// The route file beside the map: a header of comments, then one point per
// line as "name kind x ground z", kind "walk" or "ride".
std::string FormatRoute(const std::vector<RoutePoint>& route);
