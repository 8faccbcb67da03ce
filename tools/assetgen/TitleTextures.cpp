// The title picture, the three rings that turn behind its top-left corner and
// the loading picture. The rings are centred in their images because the
// title scene spins each about its image centre placed on the picture's
// corner; the picture leaves a quarter disc open there so they show through.

#include "tools/assetgen/TextureArt.h"

#include <cmath>

namespace {

constexpr float PI = 3.14159265358979f;
constexpr float DEG = PI / 180.0f;
constexpr float NOTCH_RADIUS = 214.0f;

void DrawRadialTicks(Canvas& canvas, float c, float r0, float r1, float stepDegrees, float width, const Color& color,
	float skipEvery = 0.0f) {
	const Paint paint = SolidPaint(color);
	for (float a = 0.0f; a < 360.0f - 0.01f; a += stepDegrees) {
		if (skipEvery > 0.0f && std::fmod(a, skipEvery) < 0.01f) {
			continue;
		}
		const float cs = std::cos(a * DEG);
		const float sn = std::sin(a * DEG);
		canvas.Fill(LineShape({ c + cs * r0, c + sn * r0 }, { c + cs * r1, c + sn * r1 }, width), paint);
	}
}

Canvas InnerRing() {
	const int size = 256;
	const float c = size * 0.5f;
	Canvas canvas(size, size, palette::cyan.WithAlpha(0.0f));
	for (int i = 0; i < 3; ++i) {
		const float start = (i * 120.0f + 8.0f) * DEG;
		const float end = (i * 120.0f + 100.0f) * DEG;
		const Shape arc = ArcShape(c, c, 96.0f, 112.0f, start, end);
		canvas.Glow(arc, palette::cyan.WithAlpha(0.5f), 8);
		canvas.Fill(arc, RadialGradient(c, c, 112.0f, palette::blue, palette::cyan));
	}
	canvas.Fill(RingShape(c, c, 82.0f, 85.0f), SolidPaint(palette::cyan.WithAlpha(0.85f)));
	DrawRadialTicks(canvas, c, 68.0f, 76.0f, 15.0f, 2.0f, palette::ice.WithAlpha(0.8f));
	// A marker that makes the spin readable.
	canvas.Fill(PolygonShape({ { c + 118.0f, c }, { c + 126.0f, c - 7.0f }, { c + 126.0f, c + 7.0f } }),
		SolidPaint(palette::ice));
	return canvas;
}

Canvas MiddleRing() {
	const int size = 400;
	const float c = size * 0.5f;
	Canvas canvas(size, size, palette::cyan.WithAlpha(0.0f));
	for (int i = 0; i < 36; ++i) {
		const float start = (i * 10.0f + 1.5f) * DEG;
		const float end = (i * 10.0f + 7.5f) * DEG;
		canvas.Fill(ArcShape(c, c, 152.0f, 160.0f, start, end), SolidPaint(palette::cyan.WithAlpha(0.9f)));
	}
	for (int i = 0; i < 2; ++i) {
		const Shape band = ArcShape(c, c, 168.0f, 184.0f, (i * 180.0f + 20.0f) * DEG, (i * 180.0f + 130.0f) * DEG);
		canvas.Glow(band, palette::blue.WithAlpha(0.6f), 10);
		canvas.Fill(band, SolidPaint(palette::blue.WithAlpha(0.95f)));
		canvas.Fill(ArcShape(c, c, 181.0f, 184.0f, (i * 180.0f + 20.0f) * DEG, (i * 180.0f + 130.0f) * DEG),
			SolidPaint(palette::ice));
	}
	canvas.Fill(ArcShape(c, c, 190.0f, 196.0f, 150.0f * DEG, 175.0f * DEG), SolidPaint(palette::red));
	return canvas;
}

// At most 236 pixels in radius: the left margin beside the picture is 240
// pixels in the 1280-wide window, so the whole ring stays on screen.
Canvas OuterRing() {
	const int size = 480;
	const float c = size * 0.5f;
	Canvas canvas(size, size, palette::cyan.WithAlpha(0.0f));
	canvas.Fill(RingShape(c, c, 222.0f, 225.0f), SolidPaint(palette::cyan.WithAlpha(0.9f)));
	DrawRadialTicks(canvas, c, 208.0f, 218.0f, 5.0f, 2.0f, palette::cyan.WithAlpha(0.7f), 30.0f);
	DrawRadialTicks(canvas, c, 198.0f, 220.0f, 30.0f, 4.0f, palette::ice);
	for (int i = 0; i < 4; ++i) {
		const float start = (i * 90.0f + 35.0f) * DEG;
		canvas.Fill(ArcShape(c, c, 229.0f, 236.0f, start, start + 40.0f * DEG),
			SolidPaint(palette::blue.WithAlpha(0.95f)));
	}
	canvas.Fill(ArcShape(c, c, 229.0f, 236.0f, 300.0f * DEG, 318.0f * DEG), SolidPaint(palette::red));
	return canvas;
}

void DrawChevron(Canvas& canvas, float x, float y, float size, float direction, const Color& color) {
	canvas.Fill(PolygonShape({ { x, y - size }, { x + direction * size, y }, { x, y + size },
		{ x + direction * size * 0.45f, y } }), SolidPaint(color));
}

Canvas TitlePicture(const ArtFonts& fonts) {
	const int width = 800;
	const int height = 600;
	Canvas art(width, height, palette::steelDeep);
	FillSteel(art, BoxShape(0, 0, width, height), palette::steelDark, palette::steelDeep, 11);
	DrawGrid(art, 40, palette::cyan.WithAlpha(0.05f));
	art.Fill(CircleShape(470.0f, 290.0f, 330.0f),
		RadialGradient(470.0f, 290.0f, 330.0f, palette::blue.WithAlpha(0.22f), palette::blue.WithAlpha(0.0f)));

	// A floor grid running to the horizon under the logo gives the picture depth.
	const float horizon = 452.0f;
	for (int i = -14; i <= 14; ++i) {
		const float spread = static_cast<float>(i) * 70.0f;
		art.Fill(LineShape({ 470.0f + spread * 0.08f, horizon }, { 470.0f + spread, 548.0f }, 1.2f),
			VerticalGradient(horizon, palette::cyan.WithAlpha(0.0f), 548.0f, palette::cyan.WithAlpha(0.35f)));
	}
	for (int k = 1; k <= 6; ++k) {
		const float y = horizon + 96.0f * (k * k) / 36.0f;
		art.Fill(LineShape({ 0.0f, y }, { static_cast<float>(width), y }, 1.2f),
			SolidPaint(palette::cyan.WithAlpha(0.05f + 0.05f * k)));
	}

	// Frame: a bright inset line and darker plates along top and bottom.
	FillSteel(art, BoxShape(0, 548, width, height), palette::steel, palette::steelDark, 12);
	art.Fill(BoxShape(0, 546, width, 548), SolidPaint(palette::cyan.WithAlpha(0.8f)));
	art.Fill(Subtract(BoxShape(8, 8, width - 8, height - 8), BoxShape(10, 10, width - 10, height - 10)),
		SolidPaint(palette::cyan.WithAlpha(0.35f)));
	DrawCornerBrackets(art, 16, 16, width - 16, height - 16, 36, 3, palette::cyan);
	art.Fill(BoxShape(width - 190, 26, width - 40, 32), SolidPaint(palette::red));
	art.Fill(BoxShape(width - 190, 38, width - 120, 41), SolidPaint(palette::red.WithAlpha(0.6f)));

	// Logo.
	const float logoX = 450.0f;
	TextStyle logo { 132, 10.0f };
	while (logo.pixelHeight > 40 && fonts.bold.MeasureWidth("VORTANE", logo) > 600.0f) {
		logo.pixelHeight -= 2;
	}
	Mask shadow = fonts.bold.Render("VORTANE", logo, logoX + 5, 318 + 6, width, height);
	shadow.Blur(6);
	art.Fill(shadow, SolidPaint(Color::Rgb(0x000000, 0.8f)));
	DrawGlowText(art, fonts.bold, "VORTANE", logo, logoX, 318,
		VerticalGradient(205, palette::ice, 318, palette::cyan), palette::cyan.WithAlpha(0.55f), 18);
	art.Fill(BoxShape(logoX - 280, 340, logoX + 280, 344),
		HorizontalGradient(logoX - 280, palette::cyan.WithAlpha(0.0f), logoX, palette::cyan));
	art.Fill(BoxShape(logoX, 340, logoX + 280, 344),
		HorizontalGradient(logoX, palette::cyan, logoX + 280, palette::cyan.WithAlpha(0.0f)));
	DrawGlowText(art, fonts.regular, "ARMORED COMBAT UNIT", { 24, 9.0f }, logoX, 382, SolidPaint(palette::ice),
		Color {}, 0);

	DrawGlowText(art, fonts.regular, "STAGE 01   //   HOSTILES 9   //   HEAVY TANK CONFIRMED", { 14, 3.0f }, logoX, 420,
		SolidPaint(palette::cyan.WithAlpha(0.7f)), Color {}, 0);

	// Prompt.
	const TextStyle prompt { 30, 6.0f };
	DrawGlowText(art, fonts.bold, "CLICK TO START", prompt, width * 0.5f, 584, SolidPaint(palette::cyan),
		palette::cyan.WithAlpha(0.5f), 8);
	const float promptHalf = fonts.bold.MeasureWidth("CLICK TO START", prompt) * 0.5f;
	DrawChevron(art, width * 0.5f - promptHalf - 30, 573, 9, 1.0f, palette::cyan);
	DrawChevron(art, width * 0.5f + promptHalf + 30, 573, 9, -1.0f, palette::cyan);

	// The open quarter disc where the rings turn, edged with a lit rim.
	Canvas picture(width, height, palette::steelDeep.WithAlpha(0.0f));
	const Shape opening = CircleShape(0.0f, 0.0f, NOTCH_RADIUS);
	const Shape body = Subtract(BoxShape(0, 0, width, height), opening);
	picture.Fill(body, [&art](float x, float y) {
		return art.At(static_cast<int>(x), static_cast<int>(y));
	});
	const Shape rim = ArcShape(0.0f, 0.0f, NOTCH_RADIUS, NOTCH_RADIUS + 5.0f, 0.0f, PI * 0.5f);
	picture.Glow(rim, palette::cyan.WithAlpha(0.7f), 14);
	picture.Fill(rim, SolidPaint(palette::cyan));
	picture.Fill(ArcShape(0.0f, 0.0f, NOTCH_RADIUS + 12.0f, NOTCH_RADIUS + 15.0f, 0.0f, PI * 0.5f),
		SolidPaint(palette::cyan.WithAlpha(0.4f)));
	return picture;
}

Canvas LoadingPicture(const ArtFonts& fonts) {
	const int width = 1280;
	const int height = 720;
	Canvas canvas(width, height, palette::steelDeep);
	FillSteel(canvas, BoxShape(0, 0, width, height), palette::steelDark, palette::steelDeep, 21);
	DrawGrid(canvas, 48, palette::cyan.WithAlpha(0.04f));
	canvas.Fill(CircleShape(640, 360, 420), RadialGradient(640, 360, 420, palette::blue.WithAlpha(0.18f),
		palette::blue.WithAlpha(0.0f)));
	DrawCornerBrackets(canvas, 40, 40, width - 40, height - 40, 60, 4, palette::cyan.WithAlpha(0.8f));

	DrawGlowText(canvas, fonts.bold, "NOW LOADING", { 72, 12.0f }, 640, 350,
		VerticalGradient(300, palette::ice, 350, palette::cyan), palette::cyan.WithAlpha(0.5f), 14);
	// A segmented bar, brighter towards its leading end.
	const int segments = 24;
	for (int i = 0; i < segments; ++i) {
		const float x0 = 400.0f + i * 20.0f;
		const float t = static_cast<float>(i) / (segments - 1);
		const Color color = Mix(palette::blue, palette::cyan, t).WithAlpha(0.35f + 0.65f * t);
		canvas.Fill(PolygonShape({ { x0 + 6, 392 }, { x0 + 18, 392 }, { x0 + 12, 408 }, { x0, 408 } }),
			SolidPaint(color));
	}
	canvas.Fill(Subtract(BoxShape(392, 384, 888, 416, 2), BoxShape(394, 386, 886, 414, 2)),
		SolidPaint(palette::cyan.WithAlpha(0.5f)));
	DrawGlowText(canvas, fonts.regular, "PREPARING COMBAT AREA", { 24, 8.0f }, 640, 460,
		SolidPaint(palette::ice.WithAlpha(0.8f)), Color {}, 0);
	return canvas;
}

}  // namespace

bool WriteTitleTextures(AssetOutput& output, const ArtFonts& fonts) {
	bool ok = WritePng(output, "Texture/Title/Title.png", TitlePicture(fonts));
	ok = WritePng(output, "Texture/Title/Circle.png", InnerRing()) && ok;
	ok = WritePng(output, "Texture/Title/MidCircle.png", MiddleRing()) && ok;
	ok = WritePng(output, "Texture/Title/OutCircle.png", OuterRing()) && ok;
	ok = WritePng(output, "Texture/Title/Loading.png", LoadingPicture(fonts)) && ok;
	return ok;
}
