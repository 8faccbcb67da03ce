// The battle overlay: the cockpit frame over the 3D view, the reticle, and
// the health, weapon and charge images. Each image is made at the size the
// HUD draws it, so nothing is stretched except the two fills, which are
// plain along their length because the HUD squeezes them to the value shown.

#include "tools/assetgen/TextureArt.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float PI = 3.14159265358979f;
constexpr float DEG = PI / 180.0f;

// The frame over the whole view: a darkened rim, corner brackets and a few
// instrument marks, clear in the middle and where the HUD images sit.
Canvas CockpitFrame() {
	const int width = 1280;
	const int height = 720;
	Canvas canvas(width, height, palette::steelDeep.WithAlpha(0.0f));
	for (int y = 0; y < height; ++y) {
		for (int x = 0; x < width; ++x) {
			const float u = (x + 0.5f) / width * 2.0f - 1.0f;
			const float v = (y + 0.5f) / height * 2.0f - 1.0f;
			const float r = std::sqrt(u * u * 0.85f + v * v);
			// The rim stays near the edges: clear texels cost the sprite nothing.
			const float t = std::clamp((r - 0.9f) / 0.45f, 0.0f, 1.0f);
			canvas.Blend(x, y, palette::steelDeep, t * t * 0.7f);
		}
	}

	// Top bar: a steel plate with a lit lower edge and a heading scale.
	const Shape topPlate = PolygonShape({ { 400, 0 }, { 880, 0 }, { 850, 30 }, { 430, 30 } });
	FillSteel(canvas, topPlate, palette::steel.WithAlpha(0.85f), palette::steelDark.WithAlpha(0.85f), 41);
	canvas.Fill(LineShape({ 430, 30 }, { 850, 30 }, 2.0f), SolidPaint(palette::cyan.WithAlpha(0.8f)));
	for (int i = 0; i <= 24; ++i) {
		const float x = 448.0f + i * 16.0f;
		const float length = i % 4 == 0 ? 12.0f : 6.0f;
		canvas.Fill(LineShape({ x, 27 - length }, { x, 27 }, 2.0f), SolidPaint(palette::cyan.WithAlpha(0.6f)));
	}
	canvas.Fill(PolygonShape({ { 634, 36 }, { 646, 36 }, { 640, 44 } }), SolidPaint(palette::cyan));

	// Bottom centre plate.
	const Shape bottomPlate = PolygonShape({ { 500, 720 }, { 780, 720 }, { 760, 700 }, { 520, 700 } });
	FillSteel(canvas, bottomPlate, palette::steelDark.WithAlpha(0.85f), palette::steel.WithAlpha(0.85f), 42);
	canvas.Fill(LineShape({ 520, 700 }, { 760, 700 }, 2.0f), SolidPaint(palette::cyan.WithAlpha(0.8f)));
	canvas.Fill(BoxShape(600, 708, 680, 712), SolidPaint(palette::red.WithAlpha(0.8f)));

	DrawCornerBrackets(canvas, 24, 24, width - 24, height - 24, 70, 3, palette::cyan.WithAlpha(0.75f));
	DrawCornerBrackets(canvas, 34, 34, width - 34, height - 34, 24, 2, palette::cyan.WithAlpha(0.35f));

	// Side scales, faint enough not to compete with the targets.
	for (int i = 0; i <= 12; ++i) {
		const float y = 200.0f + i * 16.0f;
		const float length = i % 4 == 0 ? 16.0f : 8.0f;
		const Paint paint = SolidPaint(palette::cyan.WithAlpha(i % 4 == 0 ? 0.5f : 0.3f));
		canvas.Fill(LineShape({ 56, y }, { 56 + length, y }, 2.0f), paint);
		canvas.Fill(LineShape({ width - 56.0f, y }, { width - 56.0f - length, y }, 2.0f), paint);
	}
	canvas.Fill(LineShape({ 54, 200 }, { 54, 392 }, 2.0f), SolidPaint(palette::cyan.WithAlpha(0.3f)));
	canvas.Fill(LineShape({ width - 54.0f, 200 }, { width - 54.0f, 392 }, 2.0f),
		SolidPaint(palette::cyan.WithAlpha(0.3f)));
	return canvas;
}

Canvas Reticle() {
	const int size = 120;
	const float c = size * 0.5f;
	Canvas canvas(size, size, palette::cyan.WithAlpha(0.0f));
	std::vector<Shape> parts;
	for (int i = 0; i < 4; ++i) {
		const float start = (i * 90.0f + 12.0f) * DEG;
		parts.push_back(ArcShape(c, c, 36.0f, 39.0f, start, start + 66.0f * DEG));
		const float a = i * 90.0f * DEG;
		parts.push_back(LineShape({ c + std::cos(a) * 12.0f, c + std::sin(a) * 12.0f },
			{ c + std::cos(a) * 28.0f, c + std::sin(a) * 28.0f }, 2.5f));
		const float b = (i * 90.0f + 45.0f) * DEG;
		parts.push_back(PolygonShape({ { c + std::cos(b) * 44.0f, c + std::sin(b) * 44.0f },
			{ c + std::cos(b - 0.09f) * 52.0f, c + std::sin(b - 0.09f) * 52.0f },
			{ c + std::cos(b + 0.09f) * 52.0f, c + std::sin(b + 0.09f) * 52.0f } }));
	}
	parts.push_back(CircleShape(c, c, 2.5f));
	// A dark rim under every stroke keeps the reticle visible on bright ground.
	for (const Shape& part : parts) {
		canvas.Fill(Grow(part, 1.5f), SolidPaint(Color::Rgb(0x02080c, 0.55f)));
	}
	for (const Shape& part : parts) {
		canvas.Fill(part, SolidPaint(palette::cyan));
	}
	return canvas;
}

// The health frame: a plate with a tab and a window whose inside starts at
// (21, 23) and holds the 300 x 13 fill.
Canvas HealthFrame(const ArtFonts& fonts) {
	Canvas canvas(326, 60, palette::steelDark.WithAlpha(0.0f));
	const Shape plate = PolygonShape({ { 0, 1 }, { 88, 1 }, { 100, 13 }, { 326, 13 }, { 326, 50 }, { 314, 59 },
		{ 0, 59 } });
	FillSteel(canvas, plate, palette::steel.WithAlpha(0.9f), palette::steelDark.WithAlpha(0.9f), 51);
	const Paint edge = SolidPaint(palette::cyan.WithAlpha(0.9f));
	canvas.Fill(LineShape({ 0, 1 }, { 88, 1 }, 2.0f), edge);
	canvas.Fill(LineShape({ 88, 1 }, { 100, 13 }, 2.0f), edge);
	canvas.Fill(LineShape({ 100, 13 }, { 326, 13 }, 2.0f), edge);
	DrawGlowText(canvas, fonts.bold, "ARMOR", { 12, 3.0f }, 46, 14, SolidPaint(palette::ice), Color {}, 0);
	canvas.Fill(BoxShape(18, 20, 324, 39), SolidPaint(palette::cyan.WithAlpha(0.9f)));
	canvas.Fill(BoxShape(20, 22, 322, 37), SolidPaint(Color::Rgb(0x030a10, 0.95f)));
	for (int i = 0; i <= 10; ++i) {
		const float x = 21.0f + i * 30.0f;
		canvas.Fill(LineShape({ x, 42 }, { x, i % 5 == 0 ? 51.0f : 47.0f }, 2.0f),
			SolidPaint(palette::cyan.WithAlpha(0.7f)));
	}
	return canvas;
}

Canvas HealthFill() {
	Canvas canvas(300, 13, palette::cyan);
	canvas.Fill(BoxShape(0, 0, 300, 13), VerticalGradient(0, Color::Rgb(0xa8f2ff), 13, Color::Rgb(0x0a64d0)));
	canvas.Fill(BoxShape(0, 2, 300, 4), SolidPaint(palette::ice.WithAlpha(0.55f)));
	return canvas;
}

// The charge gauge frame: a window whose inside starts at (5, 2) and holds
// the 200 x 10 gauge, with an end cap.
Canvas GaugeFrame() {
	Canvas canvas(230, 14, palette::steelDark.WithAlpha(0.0f));
	canvas.Fill(BoxShape(0, 0, 230, 14, 2), SolidPaint(palette::steel.WithAlpha(0.9f)));
	canvas.Fill(BoxShape(3, 0, 207, 14), SolidPaint(palette::cyan.WithAlpha(0.85f)));
	canvas.Fill(BoxShape(5, 2, 205, 12), SolidPaint(Color::Rgb(0x030a10, 0.95f)));
	canvas.Fill(PolygonShape({ { 212, 2 }, { 224, 7 }, { 212, 12 } }), SolidPaint(palette::cyan));
	return canvas;
}

Canvas GaugeFill() {
	Canvas canvas(200, 10, palette::cyan);
	canvas.Fill(BoxShape(0, 0, 200, 10), VerticalGradient(0, Color::Rgb(0xd0c8ff), 10, Color::Rgb(0x5a48f0)));
	canvas.Fill(BoxShape(0, 1, 200, 3), SolidPaint(palette::ice.WithAlpha(0.5f)));
	return canvas;
}

// An icon plate 160 x 56: chamfered steel with a lit edge.
Canvas IconPlate(const Color& edge) {
	Canvas canvas(160, 56, palette::steelDark.WithAlpha(0.0f));
	const Shape plate = ChamferedBox(1, 1, 159, 55, 10);
	FillSteel(canvas, plate, palette::steel.WithAlpha(0.88f), palette::steelDark.WithAlpha(0.88f), 61);
	canvas.Fill(Subtract(plate, ChamferedBox(3, 3, 157, 53, 9)), SolidPaint(edge));
	return canvas;
}

Canvas GunIcon(const ArtFonts& fonts) {
	Canvas canvas = IconPlate(palette::cyan.WithAlpha(0.9f));
	const Shape rifle = PolygonShape({ { 12, 24 }, { 30, 20 }, { 74, 20 }, { 74, 24 }, { 86, 24 }, { 86, 28 },
		{ 60, 28 }, { 54, 40 }, { 44, 40 }, { 46, 30 }, { 32, 30 }, { 22, 38 }, { 12, 38 } });
	canvas.Glow(rifle, palette::cyan.WithAlpha(0.5f), 6);
	canvas.Fill(rifle, VerticalGradient(20, palette::ice, 40, palette::cyan));
	DrawGlowText(canvas, fonts.bold, "GUN", { 24, 3.0f }, 122, 37, SolidPaint(palette::ice),
		palette::cyan.WithAlpha(0.4f), 4);
	return canvas;
}

// The launcher icon, lit when ready and dark while recharging: the same
// drawing in two palettes so the swap reads as the same device turning on.
Canvas PlasmaIcon(const ArtFonts& fonts, bool ready) {
	const Color edge = ready ? palette::cyan.WithAlpha(0.9f) : palette::dim.WithAlpha(0.9f);
	const Color core = ready ? palette::ice : Color::Rgb(0x323b46);
	const Color shell = ready ? Color::Rgb(0x9a8cff) : Color::Rgb(0x3a434e);
	const Color label = ready ? palette::ice : Color::Rgb(0x56606c);
	Canvas canvas = IconPlate(edge);
	if (ready) {
		canvas.Glow(CircleShape(30, 28, 14), Color::Rgb(0x8a7cff, 0.8f), 10);
	}
	canvas.Fill(RingShape(30, 28, 15, 18), SolidPaint(shell));
	canvas.Fill(CircleShape(30, 28, 10), RadialGradient(30, 28, 10, core, shell));
	for (int i = 0; i < 3; ++i) {
		const float a = (i * 120.0f - 90.0f) * DEG;
		canvas.Fill(ArcShape(30, 28, 20, 23, a, a + 60.0f * DEG), SolidPaint(shell));
	}
	DrawGlowText(canvas, fonts.bold, "PLASMA", { 20, 2.0f }, 102, 31, SolidPaint(label),
		ready ? palette::cyan.WithAlpha(0.4f) : Color {}, ready ? 4 : 0);
	DrawGlowText(canvas, fonts.regular, ready ? "READY" : "CHARGING", { 12, 3.0f }, 102, 46,
		SolidPaint(ready ? palette::cyan : palette::amber.WithAlpha(0.6f)), Color {}, 0);
	return canvas;
}

}  // namespace

bool WriteHudTextures(AssetOutput& output, const ArtFonts& fonts) {
	bool ok = WritePng(output, "Texture/back.png", CockpitFrame());
	ok = WritePng(output, "Texture/Reticle2.png", Reticle()) && ok;
	ok = WritePng(output, "Texture/Game/HPBar_Blue.png", HealthFrame(fonts)) && ok;
	ok = WritePng(output, "Texture/Game/HP.png", HealthFill()) && ok;
	ok = WritePng(output, "Texture/Game/PGage_Bar.png", GaugeFrame()) && ok;
	ok = WritePng(output, "Texture/Game/PGage.png", GaugeFill()) && ok;
	ok = WritePng(output, "Texture/Game/Gun_Gage.png", GunIcon(fonts)) && ok;
	ok = WritePng(output, "Texture/Game/Plasma_launcher.png", PlasmaIcon(fonts, true)) && ok;
	ok = WritePng(output, "Texture/Game/Plasma_Black.png", PlasmaIcon(fonts, false)) && ok;
	return ok;
}
