#include "tools/assetgen/TextureArt.h"

#include "tools/assetgen/Noise.h"
#include "tools/assetgen/PngEncoder.h"

#include <algorithm>
#include <cstdio>

void DrawGlowText(Canvas& canvas, const FontRenderer& font, const std::string& text, const TextStyle& style,
	float centreX, float baselineY, const Paint& paint, const Color& glow, int glowRadius) {
	Mask letters = font.Render(text, style, centreX, baselineY, canvas.Width(), canvas.Height());
	if (glowRadius > 0 && glow.a > 0.0f) {
		Mask halo = letters;
		halo.Blur(glowRadius);
		canvas.AddGlow(halo, glow);
	}
	canvas.Fill(letters, paint);
}

void FillSteel(Canvas& canvas, const Shape& shape, const Color& top, const Color& bottom, uint32_t seed) {
	const float y0 = shape.bounds.y0;
	const float y1 = shape.bounds.y1;
	canvas.Fill(shape, [=](float x, float y) {
		// Long horizontal streaks read as brushed metal.
		const float streak = FractalNoise(x * 0.01f, y * 0.6f, 0.0f, 3, seed) - 0.5f;
		const Color base = Mix(top, bottom, (y - y0) / std::max(1.0f, y1 - y0));
		return base.Scaled(1.0f + streak * 0.25f);
	});
}

Shape ChamferedBox(float x0, float y0, float x1, float y1, float c) {
	return PolygonShape({ { x0 + c, y0 }, { x1 - c, y0 }, { x1, y0 + c }, { x1, y1 - c }, { x1 - c, y1 },
		{ x0 + c, y1 }, { x0, y1 - c }, { x0, y0 + c } });
}

void DrawGrid(Canvas& canvas, int spacing, const Color& color) {
	for (int y = 0; y < canvas.Height(); ++y) {
		for (int x = 0; x < canvas.Width(); ++x) {
			if (x % spacing == 0 || y % spacing == 0) {
				canvas.Blend(x, y, color, 1.0f);
			}
		}
	}
}

void DrawCornerBrackets(Canvas& canvas, float x0, float y0, float x1, float y1, float length, float width,
	const Color& color) {
	const Paint paint = SolidPaint(color);
	const float corners[4][4] = { { x0, y0, 1, 1 }, { x1, y0, -1, 1 }, { x0, y1, 1, -1 }, { x1, y1, -1, -1 } };
	for (const auto& c : corners) {
		const Point corner { c[0], c[1] };
		canvas.Fill(LineShape(corner, { c[0] + c[2] * length, c[1] }, width), paint);
		canvas.Fill(LineShape(corner, { c[0], c[1] + c[3] * length }, width), paint);
	}
}

bool WritePng(AssetOutput& output, const std::string& path, const Canvas& canvas) {
	const std::vector<uint8_t> bytes = PngEncoder::Encode(canvas);
	if (bytes.empty()) {
		std::fprintf(stderr, "assetgen: cannot encode %s\n", path.c_str());
		return false;
	}
	return output.WriteFile(path, bytes);
}
