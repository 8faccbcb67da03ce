#pragma once
// Shared look of the game's pictures: the palette, the fonts and the few
// drawing idioms (glowing text, steel plates, frames) that every picture
// family builds on. Each family writes its own files.

#include "tools/assetgen/AssetOutput.h"
#include "tools/assetgen/Canvas.h"
#include "tools/assetgen/FontRenderer.h"
#include "tools/assetgen/Shapes.h"

#include <string>

namespace palette {
inline const Color steelDeep = Color::Rgb(0x070b10);
inline const Color steelDark = Color::Rgb(0x101821);
inline const Color steel = Color::Rgb(0x1d2935);
inline const Color steelLight = Color::Rgb(0x3b4c5c);
inline const Color cyan = Color::Rgb(0x46dcff);
inline const Color blue = Color::Rgb(0x1f74ff);
inline const Color ice = Color::Rgb(0xe6f8ff);
inline const Color red = Color::Rgb(0xff3434);
inline const Color redDark = Color::Rgb(0x4a0808);
inline const Color amber = Color::Rgb(0xffb02e);
inline const Color dim = Color::Rgb(0x3c4652);
}  // namespace palette

struct ArtFonts {
	FontRenderer bold;
	FontRenderer regular;
};

// Text with a soft halo: the halo (if any) is added as light first, the
// letters are painted over it.
void DrawGlowText(Canvas& canvas, const FontRenderer& font, const std::string& text, const TextStyle& style,
	float centreX, float baselineY, const Paint& paint, const Color& glow, int glowRadius);

// A plate of brushed dark steel filling the shape.
void FillSteel(Canvas& canvas, const Shape& shape, const Color& top, const Color& bottom, uint32_t seed);

// A polygon with its corners cut at 45 degrees by the given amount.
Shape ChamferedBox(float x0, float y0, float x1, float y1, float chamfer);

// A faint square grid of lines across the whole canvas.
void DrawGrid(Canvas& canvas, int spacing, const Color& color);

// Corner brackets: two strokes at each corner of a rectangle.
void DrawCornerBrackets(Canvas& canvas, float x0, float y0, float x1, float y1, float length, float width,
	const Color& color);

// Encodes and writes one picture; false when encoding or writing fails.
bool WritePng(AssetOutput& output, const std::string& path, const Canvas& canvas);

bool WriteTitleTextures(AssetOutput& output, const ArtFonts& fonts);
bool WriteResultTextures(AssetOutput& output, const ArtFonts& fonts);
bool WriteHudTextures(AssetOutput& output, const ArtFonts& fonts);
bool WriteShadingTextures(AssetOutput& output);
