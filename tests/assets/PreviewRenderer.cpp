#include "tests/assets/PreviewRenderer.h"

#include <stb_image.h>
#include <stb_image_write.h>

#include <algorithm>
#include <cmath>

PreviewRenderer::PreviewRenderer(int width_, int height_)
    : width(width_), height(height_), sampleWidth(width_ * 2), sampleHeight(height_ * 2) {
	Clear();
}

void PreviewRenderer::SetView(const Vec3& centre_, float extent, const Vec3& viewDirection) {
	centre = centre_;
	forward = Normalize(viewDirection);
	right = Normalize(Cross({0, 1, 0}, forward));
	up = Cross(forward, right);
	scale = sampleHeight * 0.5f / extent;
	perspective = false;
}

void PreviewRenderer::SetPerspective(const Vec3& eye, const Vec3& target, float fovY) {
	centre = eye;
	forward = Normalize(target - eye);
	right = Normalize(Cross({0, 1, 0}, forward));
	up = Cross(forward, right);
	focal = sampleHeight * 0.5f / std::tan(fovY * 0.5f);
	perspective = true;
}

void PreviewRenderer::Clear() {
	const size_t samples = static_cast<size_t>(sampleWidth) * sampleHeight;
	depth.assign(samples, 1e30f);
	covered.assign(samples, 0);
	colour.resize(samples);
	for (int y = 0; y < sampleHeight; ++y) {
		const float t = static_cast<float>(y) / sampleHeight;
		for (int x = 0; x < sampleWidth; ++x) {
			colour[static_cast<size_t>(y) * sampleWidth + x] = {0.07f + 0.1f * t, 0.08f + 0.11f * t, 0.12f + 0.14f * t};
		}
	}
}

const PreviewRenderer::Image* PreviewRenderer::TextureFor(const std::string& path) {
	for (const auto& [name, image] : textures) {
		if (name == path) {
			return image.rgb.empty() ? nullptr : &image;
		}
	}
	Image image;
	int channels = 0;
	if (unsigned char* pixels = stbi_load(path.c_str(), &image.width, &image.height, &channels, 3)) {
		image.rgb.assign(pixels, pixels + static_cast<size_t>(image.width) * image.height * 3);
		stbi_image_free(pixels);
	}
	textures.emplace_back(path, std::move(image));
	return textures.back().second.rgb.empty() ? nullptr : &textures.back().second;
}

void PreviewRenderer::Fill(const Vec3& a, const Vec3& b, const Vec3& c, const Shading& shading) {
	struct Corner {
		Vec3 view;  // camera space: x right, y up, z ahead
		Vec2 uv;
	};
	auto toView = [&](const Vec3& p) {
		const Vec3 d = p - centre;
		return Vec3{Dot(d, right), Dot(d, up), Dot(d, forward)};
	};
	std::vector<Corner> polygon = {{toView(a), shading.uv[0]}, {toView(b), shading.uv[1]}, {toView(c), shading.uv[2]}};
	if (perspective) {
		// Clip against the near plane so large floor faces keep their near part.
		const float nearZ = 0.5f;
		std::vector<Corner> clipped;
		for (size_t i = 0; i < polygon.size(); ++i) {
			const Corner& p = polygon[i];
			const Corner& q = polygon[(i + 1) % polygon.size()];
			if (p.view.z >= nearZ) {
				clipped.push_back(p);
			}
			if ((p.view.z >= nearZ) != (q.view.z >= nearZ)) {
				const float t = (nearZ - p.view.z) / (q.view.z - p.view.z);
				clipped.push_back({p.view + (q.view - p.view) * t,
				                   {p.uv.x + (q.uv.x - p.uv.x) * t, p.uv.y + (q.uv.y - p.uv.y) * t}});
			}
		}
		polygon.swap(clipped);
	}
	if (polygon.size() < 3) {
		return;
	}
	// Screen position plus w (1/z in perspective, 1 in orthographic) so depth
	// and texture coordinates interpolate correctly.
	struct Screen {
		float x, y, w, zw, uw, vw;
	};
	std::vector<Screen> screen;
	for (const Corner& corner : polygon) {
		const Vec3& v = corner.view;
		if (perspective) {
			const float w = 1.0f / v.z;
			screen.push_back({sampleWidth * 0.5f + v.x * w * focal, sampleHeight * 0.5f - v.y * w * focal, w, 1.0f,
			                  corner.uv.x * w, corner.uv.y * w});
		} else {
			screen.push_back({sampleWidth * 0.5f + v.x * scale, sampleHeight * 0.5f - v.y * scale, 1.0f, v.z, corner.uv.x,
			                  corner.uv.y});
		}
	}
	for (size_t k = 1; k + 1 < screen.size(); ++k) {
		const Screen& p0 = screen[0];
		const Screen& p1 = screen[k];
		const Screen& p2 = screen[k + 1];
		const float area = (p1.x - p0.x) * (p2.y - p0.y) - (p1.y - p0.y) * (p2.x - p0.x);
		if (std::fabs(area) < 1e-8f) {
			continue;
		}
		const int x0 = std::max(0, static_cast<int>(std::floor(std::min({p0.x, p1.x, p2.x}))));
		const int x1 = std::min(sampleWidth - 1, static_cast<int>(std::ceil(std::max({p0.x, p1.x, p2.x}))));
		const int y0 = std::max(0, static_cast<int>(std::floor(std::min({p0.y, p1.y, p2.y}))));
		const int y1 = std::min(sampleHeight - 1, static_cast<int>(std::ceil(std::max({p0.y, p1.y, p2.y}))));
		for (int y = y0; y <= y1; ++y) {
			for (int x = x0; x <= x1; ++x) {
				const float px = x + 0.5f, py = y + 0.5f;
				const float w0 = ((p1.x - px) * (p2.y - py) - (p1.y - py) * (p2.x - px)) / area;
				const float w1 = ((p2.x - px) * (p0.y - py) - (p2.y - py) * (p0.x - px)) / area;
				const float w2 = 1 - w0 - w1;
				if (w0 < 0 || w1 < 0 || w2 < 0) {
					continue;
				}
				const float w = w0 * p0.w + w1 * p1.w + w2 * p2.w;
				const float z = (w0 * p0.zw + w1 * p1.zw + w2 * p2.zw) / w;
				const size_t i = static_cast<size_t>(y) * sampleWidth + x;
				if (z >= depth[i]) {
					continue;
				}
				Vec3 texel{1, 1, 1};
				if (shading.texture) {
					const Image& t = *shading.texture;
					const float u = (w0 * p0.uw + w1 * p1.uw + w2 * p2.uw) / w;
					const float v = (w0 * p0.vw + w1 * p1.vw + w2 * p2.vw) / w;
					const int tx = ((static_cast<int>(std::floor(u * t.width)) % t.width) + t.width) % t.width;
					const int ty = ((static_cast<int>(std::floor(v * t.height)) % t.height) + t.height) % t.height;
					const uint8_t* texture = &t.rgb[(static_cast<size_t>(ty) * t.width + tx) * 3];
					texel = {texture[0] / 255.0f, texture[1] / 255.0f, texture[2] / 255.0f};
				}
				const Vec3 lit{shading.tint.x * texel.x + shading.glow.x, shading.tint.y * texel.y + shading.glow.y,
				               shading.tint.z * texel.z + shading.glow.z};
				depth[i] = z;
				colour[i] = {std::fmin(lit.x, 1.0f), std::fmin(lit.y, 1.0f), std::fmin(lit.z, 1.0f)};
				covered[i] = 1;
			}
		}
	}
}

void PreviewRenderer::Draw(const LoadedMesh& mesh) {
	const Vec3 light = Normalize({-0.45f, 0.8f, -0.4f});
	const Vec3 fill = Normalize({0.6f, 0.2f, 0.5f});
	for (const Triangle& t : mesh.triangles) {
		const Vec3 normal = Normalize(Cross(t.b - t.a, t.c - t.a));
		const bool facing = Dot(normal, perspective ? t.a - centre : forward) < 0;
		if (cull && !facing) {
			continue;  // the game culls counter-clockwise faces
		}
		const Vec3 base = t.material < static_cast<int>(mesh.diffuse.size()) ? mesh.diffuse[t.material] : Vec3{1, 1, 1};
		const Vec3 glow = t.material < static_cast<int>(mesh.emissive.size()) ? mesh.emissive[t.material] : Vec3{};
		const float lambert = 0.28f + 0.72f * std::fmax(0.0f, Dot(normal, light)) + 0.2f * std::fmax(0.0f, Dot(normal, fill));
		Shading shading{base * lambert, glow * 1.2f, nullptr, {t.uv[0], t.uv[1], t.uv[2]}};
		if (t.material < static_cast<int>(mesh.textureFiles.size()) && !mesh.textureFiles[t.material].empty()) {
			shading.texture = TextureFor(mesh.folder + mesh.textureFiles[t.material]);
		}
		Fill(t.a, t.b, t.c, shading);
	}
}

void PreviewRenderer::DrawFloor(const Vec3& floorCentre, float size, float y) {
	const int tiles = 8;
	const float step = 2 * size / tiles;
	for (int i = 0; i < tiles; ++i) {
		for (int j = 0; j < tiles; ++j) {
			const float x0 = floorCentre.x - size + i * step, z0 = floorCentre.z - size + j * step;
			const Vec3 shade = (i + j) % 2 ? Vec3{0.22f, 0.24f, 0.27f} : Vec3{0.17f, 0.18f, 0.21f};
			const Vec3 a{x0, y, z0}, b{x0 + step, y, z0}, c{x0 + step, y, z0 + step}, d{x0, y, z0 + step};
			const Shading shading{shade, {}, nullptr, {}};
			Fill(a, b, c, shading);
			Fill(a, c, d, shading);
		}
	}
}

size_t PreviewRenderer::CoveredSamples() const { return static_cast<size_t>(std::count(covered.begin(), covered.end(), 1)); }

std::vector<uint8_t> PreviewRenderer::Picture() const {
	std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
	for (int y = 0; y < height; ++y) {
		for (int x = 0; x < width; ++x) {
			Vec3 sum;
			for (int k = 0; k < 4; ++k) {
				sum = sum + colour[static_cast<size_t>(2 * y + k / 2) * sampleWidth + 2 * x + k % 2];
			}
			const size_t o = (static_cast<size_t>(y) * width + x) * 3;
			rgb[o] = static_cast<uint8_t>(std::clamp(sum.x * 0.25f, 0.0f, 1.0f) * 255);
			rgb[o + 1] = static_cast<uint8_t>(std::clamp(sum.y * 0.25f, 0.0f, 1.0f) * 255);
			rgb[o + 2] = static_cast<uint8_t>(std::clamp(sum.z * 0.25f, 0.0f, 1.0f) * 255);
		}
	}
	return rgb;
}

bool WritePreviewPng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb) {
	return stbi_write_png(path.c_str(), width, height, 3, rgb.data(), width * 3) != 0;
}
