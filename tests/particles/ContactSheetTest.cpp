// Every game effect drawn in flight, played the way its owner plays it,
// from a fixed camera. Each must show clearly against the background; with
// VORTANE_CONTACT_SHEET set to a file name the cells are also written there
// as one labelled PNG picture.

#include "app/Application.h"
#include "effect/GameEffect.h"
#include "platform/image/Image.h"
#include "tests/gpu/GpuTestFixture.h"

#include <cstdlib>
#include <filesystem>

namespace {

enum class Playing { Once, Restarted, Oriented, EveryFrame, RotatedEveryFrame, TrailEveryFrame };

struct Shot {
	const char* file;
	Playing playing;
	int frames;             // updates before the picture
	float distance;         // camera distance, looking along +z
	D3DXVECTOR3 target;     // what the camera looks at
	D3DXVECTOR3 motion;     // per frame, for effects that follow a moving owner
	float yaw;              // oriented and rotated plays
};

const Shot SHOTS[] = {
	{"Flash", Playing::Oriented, 2, 12, {2, 0, 0}, {}, 90},
	{"Red_Flash", Playing::Oriented, 2, 12, {2, 0, 0}, {}, -90},
	{"Boost_2", Playing::RotatedEveryFrame, 12, 14, {-2, 0, 0}, {0.3f, 0, 0}, 90},
	{"Foot_Vernier", Playing::EveryFrame, 12, 10, {1, -1, 0}, {0.3f, 0, 0}, 0},
	{"Smoke", Playing::EveryFrame, 40, 35, {6, 2, 0}, {0.5f, 0, 0}, 0},
	{"Damage_Smoke", Playing::EveryFrame, 100, 45, {0, 14, 0}, {}, 0},
	{"Hit_SparkRed", Playing::Once, 5, 15, {}, {}, 0},
	{"Hit_SparkBlue", Playing::Restarted, 5, 15, {}, {}, 0},
	{"Hit_Bomb2", Playing::Restarted, 6, 30, {}, {}, 0},
	{"Hit_Bomb_Big", Playing::Once, 8, 45, {}, {}, 0},
	{"Bomb", Playing::Restarted, 12, 110, {0, 5, 0}, {}, 0},
	{"Missile_Bomb", Playing::Once, 14, 200, {0, 25, 0}, {}, 0},
	{"Missile_Smoke", Playing::EveryFrame, 40, 70, {0, 20, 0}, {0, 1, 0}, 0},
	{"Red_Line", Playing::EveryFrame, 10, 260, {0, -150, 0}, {}, 0},
	{"Plasma_Shot", Playing::Restarted, 4, 30, {}, {}, 0},
	{"Plasma_line", Playing::TrailEveryFrame, 30, 45, {40, 0, 0}, {2, 0, 0}, 0},
	{"PlasmaWind", Playing::TrailEveryFrame, 10, 25, {10, 0, 0}, {2, 0, 0}, 0},
	{"Mist", Playing::Restarted, 12, 100, {}, {}, 0},
	{"Blue_Raser", Playing::Oriented, 100, 70, {0, 0, 0}, {}, -90},
	{"Blue_Raser", Playing::Oriented, 220, 130, {90, 0, 0}, {}, -90},
};

constexpr UINT CELL_WIDTH = 320;
constexpr UINT CELL_HEIGHT = 180;
constexpr UINT COLUMNS = 4;
constexpr uint8_t BACKGROUND[3] = {74, 80, 92};

// 5 x 7 capitals, digits and a few signs for the labels.
const char* Glyph(char c) {
	static const struct {
		char c;
		const char* rows;
	} glyphs[] = {
		{'A', "01110100011000111111100011000110001"}, {'B', "11110100011000111110100011000111110"},
		{'C', "01110100011000010000100001000101110"}, {'D', "11110100011000110001100011000111110"},
		{'E', "11111100001000011110100001000011111"}, {'F', "11111100001000011110100001000010000"},
		{'G', "01110100011000010111100011000101111"}, {'H', "10001100011000111111100011000110001"},
		{'I', "01110001000010000100001000010001110"}, {'J', "00111000100001000010000101001001100"},
		{'K', "10001100101010011000101001001010001"}, {'L', "10000100001000010000100001000011111"},
		{'M', "10001110111010110101100011000110001"}, {'N', "10001100011100110101100111000110001"},
		{'O', "01110100011000110001100011000101110"}, {'P', "11110100011000111110100001000010000"},
		{'Q', "01110100011000110001101011001001101"}, {'R', "11110100011000111110101001001010001"},
		{'S', "01111100001000001110000010000111110"}, {'T', "11111001000010000100001000010000100"},
		{'U', "10001100011000110001100011000101110"}, {'V', "10001100011000110001100010101000100"},
		{'W', "10001100011000110101101011010101010"}, {'X', "10001100010101000100010101000110001"},
		{'Y', "10001100010101000100001000010000100"}, {'Z', "11111000010001000100010001000011111"},
		{'0', "01110100011001110101110011000101110"}, {'1', "00100011000010000100001000010001110"},
		{'2', "01110100010000100010001000100011111"}, {'3', "11111000100010000010000011000101110"},
		{'4', "00010001100101010010111110001000010"}, {'5', "11111100001111000001000011000101110"},
		{'6', "00110010001000011110100011000101110"}, {'7', "11111000010001000100010000100001000"},
		{'8', "01110100011000101110100011000101110"}, {'9', "01110100011000101111000010001001100"},
		{'_', "00000000000000000000000000000011111"}, {'.', "00000000000000000000000000110001100"},
		{'(', "00010001000100001000010000010000010"}, {')', "01000001000001000010000100010001000"},
	};
	for (const auto& glyph : glyphs) {
		if (glyph.c == c) {
			return glyph.rows;
		}
	}
	return nullptr;
}

void DrawLabel(std::vector<uint8_t>& sheet, UINT sheetWidth, UINT left, UINT top, const std::string& text) {
	UINT x = left;
	for (char c : text) {
		const char* rows = Glyph(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
		for (int gy = 0; rows != nullptr && gy < 7; ++gy) {
			for (int gx = 0; gx < 5; ++gx) {
				if (rows[gy * 5 + gx] != '1') {
					continue;
				}
				for (int s = 0; s < 4; ++s) {
					const size_t at = (size_t(top + gy * 2 + s / 2) * sheetWidth + x + gx * 2 + s % 2) * 4;
					sheet[at] = sheet[at + 1] = sheet[at + 2] = 235;
				}
			}
		}
		x += 12;
	}
}

class ContactSheetTest : public GpuTest {};

// Plays one shot through a GameEffect as its owner would and draws it.
void RenderShot(const Shot& shot) {
	Application& application = Application::Get();
	application.clientWidth = 1280;
	application.clientHeight = 720;
	application.cameraTarget = shot.target;
	application.cameraEye = shot.target + D3DXVECTOR3(0, shot.distance * 0.15f, -shot.distance);
	GameEffect effect;
	effect.Load(std::string("data/Effect_data/") + shot.file + ".efk", "data/Effect_data/");
	ASSERT_TRUE(effect.IsLoaded()) << shot.file;
	D3DXVECTOR3 position;
	for (int frame = 0; frame < shot.frames; ++frame) {
		effect.SetPosition(position);
		switch (shot.playing) {
		case Playing::Once: if (frame == 0) effect.Play(); break;
		case Playing::Restarted: if (frame == 0) effect.Restart(); break;
		case Playing::Oriented: if (frame == 0) effect.PlayOriented(shot.yaw, 0); break;
		case Playing::EveryFrame: effect.Play(); break;
		case Playing::RotatedEveryFrame: effect.PlayRotatedY(shot.yaw); break;
		case Playing::TrailEveryFrame:
			effect.SetRotation(D3DXVECTOR3(0, 0, 1), static_cast<float>(frame) * 10.0f);
			effect.Move();
			effect.Play();
			break;
		}
		effect.Update();
		position += shot.motion;
	}
	GraphicsDevice::Get().device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER,
	                                    D3DCOLOR_XRGB(BACKGROUND[0], BACKGROUND[1], BACKGROUND[2]), 1.0f, 0);
	if (shot.playing == Playing::Restarted || shot.playing == Playing::Oriented) {
		effect.DrawCurrent();
	} else {
		effect.Draw();
	}
	effect.Release();
}

TEST_F(ContactSheetTest, EveryEffectShowsInFlight) {
	const UINT rows = (std::size(SHOTS) + COLUMNS - 1) / COLUMNS;
	const UINT sheetWidth = CELL_WIDTH * COLUMNS;
	const UINT sheetHeight = CELL_HEIGHT * rows;
	std::vector<uint8_t> sheet(size_t(sheetWidth) * sheetHeight * 4, 255);
	for (size_t index = 0; index < std::size(SHOTS); ++index) {
		const Shot& shot = SHOTS[index];
		RenderShot(shot);
		const PixelImage frame = ReadBackBuffer();
		ASSERT_EQ(frame.Width(), 1280u);
		const UINT left = UINT(index % COLUMNS) * CELL_WIDTH;
		const UINT top = UINT(index / COLUMNS) * CELL_HEIGHT;
		size_t changed = 0;
		for (UINT y = 0; y < CELL_HEIGHT; ++y) {
			for (UINT x = 0; x < CELL_WIDTH; ++x) {
				// 4 x 4 box filter from the full frame.
				unsigned sum[3] = {0, 0, 0};
				for (UINT s = 0; s < 16; ++s) {
					const Pixel p = frame.At(x * 4 + s % 4, y * 4 + s / 4);
					sum[0] += p.r;
					sum[1] += p.g;
					sum[2] += p.b;
				}
				uint8_t* out = &sheet[(size_t(top + y) * sheetWidth + left + x) * 4];
				bool differs = false;
				for (int c = 0; c < 3; ++c) {
					out[c] = uint8_t(sum[c] / 16);
					differs = differs || std::abs(int(out[c]) - int(BACKGROUND[c])) > 24;
				}
				changed += differs ? 1 : 0;
			}
		}
		EXPECT_GT(changed, 150u) << shot.file << " after " << shot.frames << " frames is hardly visible";
		DrawLabel(sheet, sheetWidth, left + 6, top + 6,
		          std::string(shot.file) + ".efk  F" + std::to_string(shot.frames));
	}
	if (const char* path = std::getenv("VORTANE_CONTACT_SHEET")) {
		std::filesystem::create_directories(std::filesystem::path(path).parent_path());
		std::string why;
		EXPECT_TRUE(WritePngFile(path, sheetWidth, sheetHeight, sheet.data(), why)) << why;
	}
}

}  // namespace
