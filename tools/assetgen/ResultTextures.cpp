// The two outcome pictures: cool blue for a won battle, alarm red for a lost
// one, each readable from across the room.

#include "tools/assetgen/TextureArt.h"

namespace {

constexpr int WIDTH = 800;
constexpr int HEIGHT = 600;

struct Outcome {
	const char* headline;
	const char* detail;
	Color accent;
	Color light;
	Color backgroundTop;
	Color backgroundBottom;
	bool hazardStripes;
};

void DrawHazardBand(Canvas& canvas, float y0, float y1, const Color& color) {
	canvas.Fill(BoxShape(0, y0, WIDTH, y1), SolidPaint(Color::Rgb(0x0a0404)));
	const float height = y1 - y0;
	for (float x = -height; x < WIDTH + height; x += 40.0f) {
		canvas.Fill(PolygonShape({ { x, y1 }, { x + height, y0 }, { x + height + 18, y0 }, { x + 18, y1 } }),
			SolidPaint(color));
	}
}

Canvas OutcomePicture(const ArtFonts& fonts, const Outcome& outcome) {
	Canvas canvas(WIDTH, HEIGHT, outcome.backgroundBottom);
	FillSteel(canvas, BoxShape(0, 0, WIDTH, HEIGHT), outcome.backgroundTop, outcome.backgroundBottom, 31);
	DrawGrid(canvas, 40, outcome.accent.WithAlpha(0.05f));
	canvas.Fill(CircleShape(400, 270, 340),
		RadialGradient(400, 270, 340, outcome.accent.WithAlpha(0.25f), outcome.accent.WithAlpha(0.0f)));

	if (outcome.hazardStripes) {
		DrawHazardBand(canvas, 0, 34, outcome.accent.WithAlpha(0.85f));
		DrawHazardBand(canvas, HEIGHT - 34, HEIGHT, outcome.accent.WithAlpha(0.85f));
	} else {
		canvas.Fill(BoxShape(0, 0, WIDTH, 6), SolidPaint(outcome.accent));
		canvas.Fill(BoxShape(0, HEIGHT - 6, WIDTH, HEIGHT), SolidPaint(outcome.accent));
	}
	DrawCornerBrackets(canvas, 30, 54, WIDTH - 30, HEIGHT - 54, 44, 4, outcome.accent);

	DrawGlowText(canvas, fonts.regular, "MISSION", { 56, 22.0f }, 400, 196, SolidPaint(outcome.light), Color {}, 0);
	// A band behind the headline makes it stand out against any screen.
	canvas.Fill(BoxShape(0, 224, WIDTH, 344), SolidPaint(Color::Rgb(0x000000, 0.45f)));
	canvas.Fill(BoxShape(0, 224, WIDTH, 227), SolidPaint(outcome.accent));
	canvas.Fill(BoxShape(0, 341, WIDTH, 344), SolidPaint(outcome.accent));
	DrawGlowText(canvas, fonts.bold, outcome.headline, { 104, 8.0f }, 400, 322,
		VerticalGradient(248, outcome.light, 322, outcome.accent), outcome.accent.WithAlpha(0.6f), 16);
	DrawGlowText(canvas, fonts.bold, outcome.detail, { 30, 8.0f }, 400, 404, SolidPaint(outcome.light), Color {}, 0);
	DrawGlowText(canvas, fonts.regular, "CLICK TO RETURN TO TITLE", { 22, 6.0f }, 400, 500,
		SolidPaint(outcome.light.WithAlpha(0.75f)), Color {}, 0);
	return canvas;
}

}  // namespace

bool WriteResultTextures(AssetOutput& output, const ArtFonts& fonts) {
	const Outcome success { "COMPLETE", "ALL TARGETS DESTROYED", palette::cyan, palette::ice,
		Color::Rgb(0x0c1a2a), palette::steelDeep, false };
	const Outcome failure { "FAILED", "UNIT DESTROYED", palette::red, Color::Rgb(0xffe0dc),
		Color::Rgb(0x2a0808), Color::Rgb(0x090303), true };
	bool ok = WritePng(output, "Texture/Result/Result.png", OutcomePicture(fonts, success));
	ok = WritePng(output, "Texture/Result/Failed.png", OutcomePicture(fonts, failure)) && ok;
	return ok;
}
