#pragma once
// An RGBA picture in floating point with antialiased shape filling. Shapes
// are signed distance functions in pixels (negative inside), so every edge
// gets exact one-pixel coverage whatever its angle; paints colour each pixel
// from its position, which is how gradients are made.

#include <cstdint>
#include <functional>
#include <vector>

struct Color {
	float r = 0.0f;
	float g = 0.0f;
	float b = 0.0f;
	float a = 0.0f;

	static Color Rgb(uint32_t rgb, float alpha = 1.0f);
	Color WithAlpha(float alpha) const { return { r, g, b, alpha }; }
	Color Scaled(float factor) const { return { r * factor, g * factor, b * factor, a }; }
};

Color Mix(const Color& from, const Color& to, float t);

// Pixel-space rectangle that bounds a shape; x1 and y1 are exclusive.
struct Bounds {
	float x0 = 0.0f;
	float y0 = 0.0f;
	float x1 = 0.0f;
	float y1 = 0.0f;
};

struct Shape {
	Bounds bounds;
	std::function<float(float x, float y)> distance;
};

using Paint = std::function<Color(float x, float y)>;

Paint SolidPaint(const Color& color);
Paint VerticalGradient(float y0, const Color& top, float y1, const Color& bottom);
Paint HorizontalGradient(float x0, const Color& left, float x1, const Color& right);
Paint RadialGradient(float cx, float cy, float radius, const Color& inner, const Color& outer);

// A coverage grid (0..1): shapes and glyphs drawn once, then blurred for glows
// or used as a stencil for a paint.
class Mask {
public:
	Mask(int width, int height);

	int Width() const { return width; }
	int Height() const { return height; }
	float At(int x, int y) const { return coverage[static_cast<size_t>(y) * width + x]; }
	void Set(int x, int y, float value) { coverage[static_cast<size_t>(y) * width + x] = value; }

	// Union with the shape's coverage.
	void Add(const Shape& shape);
	// Three box passes approximate a Gaussian of about the given radius.
	void Blur(int radius);
	void Scale(float factor);

private:
	int width;
	int height;
	std::vector<float> coverage;
};

class Canvas {
public:
	Canvas(int width, int height, const Color& background = Color{});

	int Width() const { return width; }
	int Height() const { return height; }
	const Color& At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }

	// Source-over blending of a colour with the given coverage.
	void Blend(int x, int y, const Color& color, float coverage);
	// Adds light: colour times coverage added to the pixel, alpha raised too.
	void AddLight(int x, int y, const Color& color, float coverage);

	void Fill(const Shape& shape, const Paint& paint);
	void Fill(const Mask& mask, const Paint& paint, int offsetX = 0, int offsetY = 0);
	void AddGlow(const Mask& mask, const Color& color, int offsetX = 0, int offsetY = 0);
	// A soft halo around the shape: drawn into a mask, blurred, added as light.
	void Glow(const Shape& shape, const Color& color, int radius);
	// Copies another canvas over this one with source-over blending.
	void Composite(const Canvas& source, int offsetX, int offsetY);

	// Straight-alpha 8-bit RGBA, rows top to bottom.
	std::vector<uint8_t> ToRgba8() const;

private:
	int width;
	int height;
	std::vector<Color> pixels;
};
