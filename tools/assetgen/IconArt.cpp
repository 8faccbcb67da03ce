// The desktop icon: the robot's head on a steel badge, drawn afresh at each
// size the icon theme asks for rather than scaled down, so the small sizes
// stay sharp. Below 48 pixels the fine details would only blur and are left
// out. Written to icons/hicolor/<N>x<N>/apps/vortane.png for the install.

#include "tools/assetgen/TextureArt.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

constexpr int ICON_SIZES[] = { 256, 128, 64, 48, 32, 16 };

// Coordinates below are on a 256-pixel grid; Icon scales them to its size.
class Icon {
public:
	explicit Icon(int size) : canvas(size, size), scale(size / 256.0f), detailed(size >= 48) {}

	Canvas Draw() {
		DrawBadge();
		DrawShoulders();
		DrawHead();
		DrawVisor();
		return canvas;
	}

private:
	float S(float value) const { return value * scale; }
	Point P(float x, float y) const { return { S(x), S(y) }; }
	// Strokes never get thinner than a pixel, or they vanish at 16 pixels.
	float Stroke(float width) const { return std::max(1.0f, S(width)); }
	int Radius(float pixels) const { return std::max(1, static_cast<int>(std::lround(S(pixels)))); }

	void DrawBadge() {
		const Shape badge = BoxShape(S(8), S(8), S(248), S(248), S(44));
		canvas.Fill(badge, VerticalGradient(S(8), palette::steel, S(248), palette::steelDeep));
		if (detailed) {
			canvas.Fill(badge, RadialGradient(S(128), S(112), S(150), palette::blue.WithAlpha(0.35f),
				palette::blue.WithAlpha(0.0f)));
		}
		canvas.Fill(Subtract(badge, Grow(badge, -Stroke(7))), SolidPaint(palette::cyan.WithAlpha(0.9f)));
	}

	void DrawShoulders() {
		const Shape left = PolygonShape({ P(24, 236), P(40, 176), P(92, 160), P(104, 236) });
		const Shape right = PolygonShape({ P(232, 236), P(216, 176), P(164, 160), P(152, 236) });
		const Paint plate = VerticalGradient(S(160), palette::steelLight, S(236), palette::steelDark);
		canvas.Fill(left, plate);
		canvas.Fill(right, plate);
		canvas.Fill(BoxShape(S(104), S(184), S(152), S(236)), SolidPaint(palette::steelDark));
		if (detailed) {
			canvas.Fill(LineShape(P(48, 188), P(88, 176), Stroke(5)), SolidPaint(palette::amber));
			canvas.Fill(LineShape(P(208, 188), P(168, 176), Stroke(5)), SolidPaint(palette::amber));
		}
	}

	void DrawHead() {
		if (detailed) {
			// The antenna stands off the head's right corner, as on the model.
			canvas.Fill(LineShape(P(158, 60), P(180, 32), Stroke(6)), SolidPaint(palette::steelLight));
			canvas.Fill(CircleShape(S(180), S(32), S(8)), SolidPaint(palette::red));
			canvas.Fill(BoxShape(S(56), S(96), S(80), S(150), S(6)), SolidPaint(palette::steelLight));
			canvas.Fill(BoxShape(S(176), S(96), S(200), S(150), S(6)), SolidPaint(palette::steelLight));
		}
		// Small sizes get a brighter head without the dark outline, which
		// would otherwise swallow it.
		const Shape head = ChamferedBox(S(72), S(52), S(184), S(176), S(28));
		if (detailed) {
			canvas.Fill(Grow(head, Stroke(4)), SolidPaint(palette::steelDeep));
		}
		const Color top = palette::steelLight.Scaled(detailed ? 1.6f : 2.4f);
		canvas.Fill(head, VerticalGradient(S(52), top, S(176), detailed ? palette::steel : palette::steelLight));
		if (detailed) {
			for (int i = 0; i < 3; ++i) {
				const float x = 112.0f + 16.0f * static_cast<float>(i);
				canvas.Fill(LineShape(P(x, 146), P(x, 162), Stroke(5)), SolidPaint(palette::steelDeep));
			}
		}
	}

	void DrawVisor() {
		const Shape visor = PolygonShape({ P(86, 96), P(170, 96), P(160, 128), P(96, 128) });
		canvas.Fill(visor, SolidPaint(palette::steelDeep));
		const float inset = detailed ? 8.0f : 4.0f;
		const Shape slit = PolygonShape(
			{ P(86 + inset, 96 + inset), P(170 - inset, 96 + inset), P(160 - inset, 128 - inset), P(96 + inset, 128 - inset) });
		canvas.Glow(slit, palette::cyan.WithAlpha(0.8f), Radius(10));
		canvas.Fill(slit, HorizontalGradient(S(94), palette::cyan, S(162), palette::ice));
		if (detailed) {
			canvas.Fill(CircleShape(S(140), S(112), S(5)), SolidPaint(palette::red));
		}
	}

	Canvas canvas;
	float scale;
	bool detailed;
};

}  // namespace

bool GenerateIcons(AssetOutput& output) {
	bool ok = true;
	for (const int size : ICON_SIZES) {
		const std::string folder = std::to_string(size) + "x" + std::to_string(size);
		ok = WritePng(output, "icons/hicolor/" + folder + "/apps/vortane.png", Icon(size).Draw()) && ok;
	}
	return ok;
}
