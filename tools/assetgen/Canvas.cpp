#include "tools/assetgen/Canvas.h"

#include <algorithm>
#include <cmath>

namespace {

float Clamp01(float value) {
	return std::clamp(value, 0.0f, 1.0f);
}

// Coverage of a pixel whose centre lies at signed distance d from an edge.
float CoverageFromDistance(float d) {
	return Clamp01(0.5f - d);
}

struct PixelRange {
	int x0, y0, x1, y1;
};

PixelRange Clip(const Bounds& bounds, int width, int height) {
	PixelRange range;
	range.x0 = std::max(0, static_cast<int>(std::floor(bounds.x0)) - 1);
	range.y0 = std::max(0, static_cast<int>(std::floor(bounds.y0)) - 1);
	range.x1 = std::min(width, static_cast<int>(std::ceil(bounds.x1)) + 1);
	range.y1 = std::min(height, static_cast<int>(std::ceil(bounds.y1)) + 1);
	return range;
}

// One box-filter pass along rows (horizontal) or columns, clamped at the edges.
void BoxPass(std::vector<float>& values, int width, int height, int radius, bool horizontal) {
	const int length = horizontal ? width : height;
	const int lines = horizontal ? height : width;
	std::vector<float> line(length);
	const float norm = 1.0f / static_cast<float>(2 * radius + 1);
	for (int l = 0; l < lines; ++l) {
		auto index = [&](int i) {
			return horizontal ? static_cast<size_t>(l) * width + i : static_cast<size_t>(i) * width + l;
		};
		for (int i = 0; i < length; ++i) {
			line[i] = values[index(i)];
		}
		float sum = 0.0f;
		for (int i = -radius; i <= radius; ++i) {
			sum += line[std::clamp(i, 0, length - 1)];
		}
		for (int i = 0; i < length; ++i) {
			values[index(i)] = sum * norm;
			sum += line[std::min(i + radius + 1, length - 1)] - line[std::max(i - radius, 0)];
		}
	}
}

}  // namespace

Color Color::Rgb(uint32_t rgb, float alpha) {
	return { static_cast<float>((rgb >> 16) & 0xFF) / 255.0f, static_cast<float>((rgb >> 8) & 0xFF) / 255.0f,
		static_cast<float>(rgb & 0xFF) / 255.0f, alpha };
}

Color Mix(const Color& from, const Color& to, float t) {
	t = Clamp01(t);
	return { from.r + (to.r - from.r) * t, from.g + (to.g - from.g) * t, from.b + (to.b - from.b) * t,
		from.a + (to.a - from.a) * t };
}

Paint SolidPaint(const Color& color) {
	return [color](float, float) { return color; };
}

Paint VerticalGradient(float y0, const Color& top, float y1, const Color& bottom) {
	return [=](float, float y) { return Mix(top, bottom, (y - y0) / (y1 - y0)); };
}

Paint HorizontalGradient(float x0, const Color& left, float x1, const Color& right) {
	return [=](float x, float) { return Mix(left, right, (x - x0) / (x1 - x0)); };
}

Paint RadialGradient(float cx, float cy, float radius, const Color& inner, const Color& outer) {
	return [=](float x, float y) { return Mix(inner, outer, std::hypot(x - cx, y - cy) / radius); };
}

Mask::Mask(int width_, int height_)
	: width(width_), height(height_), coverage(static_cast<size_t>(width_) * height_, 0.0f) {}

void Mask::Add(const Shape& shape) {
	const PixelRange range = Clip(shape.bounds, width, height);
	for (int y = range.y0; y < range.y1; ++y) {
		for (int x = range.x0; x < range.x1; ++x) {
			const float c = CoverageFromDistance(shape.distance(x + 0.5f, y + 0.5f));
			float& cell = coverage[static_cast<size_t>(y) * width + x];
			cell = std::max(cell, c);
		}
	}
}

void Mask::Blur(int radius) {
	if (radius <= 0) {
		return;
	}
	const int passRadius = std::max(1, radius / 2);
	for (int pass = 0; pass < 3; ++pass) {
		BoxPass(coverage, width, height, passRadius, true);
		BoxPass(coverage, width, height, passRadius, false);
	}
}

void Mask::Scale(float factor) {
	for (float& value : coverage) {
		value = Clamp01(value * factor);
	}
}

Canvas::Canvas(int width_, int height_, const Color& background)
	: width(width_), height(height_), pixels(static_cast<size_t>(width_) * height_, background) {}

void Canvas::Blend(int x, int y, const Color& color, float coverage) {
	if (x < 0 || y < 0 || x >= width || y >= height) {
		return;
	}
	const float sa = Clamp01(color.a * coverage);
	if (sa <= 0.0f) {
		return;
	}
	Color& d = pixels[static_cast<size_t>(y) * width + x];
	const float outA = sa + d.a * (1.0f - sa);
	const float keep = d.a * (1.0f - sa);
	d.r = (color.r * sa + d.r * keep) / outA;
	d.g = (color.g * sa + d.g * keep) / outA;
	d.b = (color.b * sa + d.b * keep) / outA;
	d.a = outA;
}

void Canvas::AddLight(int x, int y, const Color& color, float coverage) {
	if (x < 0 || y < 0 || x >= width || y >= height) {
		return;
	}
	const float amount = Clamp01(color.a * coverage);
	if (amount <= 0.0f) {
		return;
	}
	Color& d = pixels[static_cast<size_t>(y) * width + x];
	// Light added over a transparent pixel shows as the light colour with the
	// light's strength as its opacity.
	const float outA = Clamp01(d.a + amount * (1.0f - d.a));
	const float weight = amount / std::max(outA, 1e-6f);
	d.r = std::min(1.0f, d.r * d.a / std::max(outA, 1e-6f) + color.r * weight);
	d.g = std::min(1.0f, d.g * d.a / std::max(outA, 1e-6f) + color.g * weight);
	d.b = std::min(1.0f, d.b * d.a / std::max(outA, 1e-6f) + color.b * weight);
	d.a = outA;
}

void Canvas::Fill(const Shape& shape, const Paint& paint) {
	const PixelRange range = Clip(shape.bounds, width, height);
	for (int y = range.y0; y < range.y1; ++y) {
		for (int x = range.x0; x < range.x1; ++x) {
			const float px = x + 0.5f;
			const float py = y + 0.5f;
			const float c = CoverageFromDistance(shape.distance(px, py));
			if (c > 0.0f) {
				Blend(x, y, paint(px, py), c);
			}
		}
	}
}

void Canvas::Fill(const Mask& mask, const Paint& paint, int offsetX, int offsetY) {
	for (int y = 0; y < mask.Height(); ++y) {
		for (int x = 0; x < mask.Width(); ++x) {
			const float c = mask.At(x, y);
			if (c > 0.0f) {
				const int cx = x + offsetX;
				const int cy = y + offsetY;
				Blend(cx, cy, paint(cx + 0.5f, cy + 0.5f), c);
			}
		}
	}
}

void Canvas::AddGlow(const Mask& mask, const Color& color, int offsetX, int offsetY) {
	for (int y = 0; y < mask.Height(); ++y) {
		for (int x = 0; x < mask.Width(); ++x) {
			const float c = mask.At(x, y);
			if (c > 0.0f) {
				AddLight(x + offsetX, y + offsetY, color, c);
			}
		}
	}
}

void Canvas::Glow(const Shape& shape, const Color& color, int radius) {
	Mask mask(width, height);
	mask.Add(shape);
	mask.Blur(radius);
	AddGlow(mask, color);
}

void Canvas::Composite(const Canvas& source, int offsetX, int offsetY) {
	for (int y = 0; y < source.Height(); ++y) {
		for (int x = 0; x < source.Width(); ++x) {
			Blend(x + offsetX, y + offsetY, source.At(x, y), 1.0f);
		}
	}
}

std::vector<uint8_t> Canvas::ToRgba8() const {
	std::vector<uint8_t> bytes(pixels.size() * 4);
	auto quantise = [](float value) { return static_cast<uint8_t>(std::lround(Clamp01(value) * 255.0f)); };
	for (size_t i = 0; i < pixels.size(); ++i) {
		const Color& p = pixels[i];
		// Transparent pixels keep their colour so filtering does not pull dark
		// fringes into the edges of sprites.
		bytes[i * 4 + 0] = quantise(p.r);
		bytes[i * 4 + 1] = quantise(p.g);
		bytes[i * 4 + 2] = quantise(p.b);
		bytes[i * 4 + 3] = quantise(p.a);
	}
	return bytes;
}
