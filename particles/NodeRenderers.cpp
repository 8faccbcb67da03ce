#include "particles/NodeRenderers.h"

#include <cmath>

namespace particles {

namespace {

constexpr float DEGREES_TO_RADIANS = D3DX_PI / 180.0f;

BatchVertex Vertex(const D3DXVECTOR3& p, D3DCOLOR color, float u, float v) { return {p.x, p.y, p.z, color, u, v}; }

D3DXVECTOR3 Normalized(const D3DXVECTOR3& v, const D3DXVECTOR3& fallback) {
	const float length = D3DXVec3Length(&v);
	return length > 1e-6f ? v / length : fallback;
}

D3DXVECTOR3 Cross(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
	D3DXVECTOR3 out;
	D3DXVec3Cross(&out, &a, &b);
	return out;
}

D3DXVECTOR3 Row(const D3DXMATRIX& m, int row) { return {m.m[row][0], m.m[row][1], m.m[row][2]}; }

}  // namespace

D3DXVECTOR3 BatchNodeRenderer::WorldPosition(const NodeDrawData& data, const Particle& particle) {
	if (!data.node->followInstance) {
		return particle.position;
	}
	D3DXVECTOR3 world;
	D3DXVec3TransformCoord(&world, &particle.position, data.instanceMatrix);
	return world;
}

D3DXVECTOR3 BatchNodeRenderer::WorldVelocity(const NodeDrawData& data, const Particle& particle) {
	if (!data.node->followInstance) {
		return particle.velocity;
	}
	D3DXVECTOR3 world;
	D3DXVec3TransformNormal(&world, &particle.velocity, data.instanceMatrix);
	return world;
}

void SpriteRenderer::Render(const NodeDrawData& data) {
	const NodeDefinition& node = *data.node;
	for (size_t i = 0; i < data.count; ++i) {
		const Particle& particle = data.particles[i];
		if (particle.color.a <= 0.0f || particle.size <= 0.0f) {
			continue;
		}
		const D3DXVECTOR3 center = WorldPosition(data, particle);
		D3DXVECTOR3 right = batch->CameraRight();
		D3DXVECTOR3 up = batch->CameraUp();
		float halfWidth = particle.size * node.aspect * 0.5f;
		float halfHeight = particle.size * 0.5f;
		bool rolled = true;
		switch (node.billboard) {
		case Billboard::Face: break;
		case Billboard::YAxis:
			up = D3DXVECTOR3(0, 1, 0);
			right = Normalized(Cross(up, batch->CameraForward()), D3DXVECTOR3(1, 0, 0));
			rolled = false;
			break;
		case Billboard::Fixed:
			right = Normalized(Row(*data.instanceMatrix, 0), D3DXVECTOR3(1, 0, 0));
			up = Normalized(Row(*data.instanceMatrix, 1), D3DXVECTOR3(0, 1, 0));
			break;
		case Billboard::Velocity: {
			const D3DXVECTOR3 velocity = WorldVelocity(data, particle);
			const float speed = D3DXVec3Length(&velocity);
			up = Normalized(velocity, batch->CameraUp());
			const D3DXVECTOR3 toCamera = batch->CameraPosition() - center;
			right = Normalized(Cross(up, toCamera), batch->CameraRight());
			halfHeight += node.stretch * speed * 0.5f;
			rolled = false;
			break;
		}
		}
		if (rolled && particle.rotation != 0.0f) {
			const float c = std::cos(particle.rotation * DEGREES_TO_RADIANS);
			const float s = std::sin(particle.rotation * DEGREES_TO_RADIANS);
			const D3DXVECTOR3 turnedRight = right * c + up * s;
			up = up * c - right * s;
			right = turnedRight;
		}
		if (!batch->BeginPiece(node.blend, data.texture, center, 1.0f)) {
			return;
		}
		const D3DXVECTOR3 x = right * halfWidth;
		const D3DXVECTOR3 y = up * halfHeight;
		const D3DCOLOR color = PackColor(particle.color);
		batch->AddQuad(Vertex(center - x + y, color, 0, 0), Vertex(center + x + y, color, 1, 0),
		               Vertex(center + x - y, color, 1, 1), Vertex(center - x - y, color, 0, 1));
	}
}

void RibbonRenderer::Render(const NodeDrawData& data) {
	if (data.count < 2) {
		return;
	}
	std::vector<D3DXVECTOR3> points(data.count);
	D3DXVECTOR3 center;
	for (size_t i = 0; i < data.count; ++i) {
		points[i] = WorldPosition(data, data.particles[i]);
		center += points[i];
	}
	center /= static_cast<float>(data.count);
	if (!batch->BeginPiece(data.node->blend, data.texture, center, static_cast<float>(data.count - 1))) {
		return;
	}
	const auto edge = [&](size_t i, D3DXVECTOR3& left, D3DXVECTOR3& right) {
		const D3DXVECTOR3 along = points[std::min(i + 1, data.count - 1)] - points[i > 0 ? i - 1 : 0];
		const D3DXVECTOR3 side =
			Normalized(Cross(along, batch->CameraPosition() - points[i]), batch->CameraRight()) *
			(data.particles[i].size * 0.5f);
		left = points[i] - side;
		right = points[i] + side;
	};
	D3DXVECTOR3 left0, right0;
	edge(0, left0, right0);
	for (size_t i = 1; i < data.count; ++i) {
		D3DXVECTOR3 left1, right1;
		edge(i, left1, right1);
		const float u0 = static_cast<float>(i - 1) / static_cast<float>(data.count - 1);
		const float u1 = static_cast<float>(i) / static_cast<float>(data.count - 1);
		const D3DCOLOR c0 = PackColor(data.particles[i - 1].color);
		const D3DCOLOR c1 = PackColor(data.particles[i].color);
		batch->AddQuad(Vertex(left0, c0, u0, 0), Vertex(left1, c1, u1, 0), Vertex(right1, c1, u1, 1),
		               Vertex(right0, c0, u0, 1));
		left0 = left1;
		right0 = right1;
	}
}

void RingRenderer::Render(const NodeDrawData& data) {
	const NodeDefinition& node = *data.node;
	const int segments = node.ringSegments;
	for (size_t i = 0; i < data.count; ++i) {
		const Particle& particle = data.particles[i];
		if (particle.color.a <= 0.0f || particle.size <= 0.0f) {
			continue;
		}
		const D3DXVECTOR3 center = WorldPosition(data, particle);
		D3DXVECTOR3 axisA = batch->CameraRight();
		D3DXVECTOR3 axisB = batch->CameraUp();
		if (node.billboard == Billboard::Fixed) {
			axisA = Normalized(Row(*data.instanceMatrix, 0), D3DXVECTOR3(1, 0, 0));
			axisB = Normalized(Row(*data.instanceMatrix, 2), D3DXVECTOR3(0, 0, 1));
		}
		if (!batch->BeginPiece(node.blend, data.texture, center, static_cast<float>(segments))) {
			return;
		}
		const float inner = particle.size * 0.5f * node.ringInner;
		const float outer = particle.size * 0.5f * node.ringOuter;
		const D3DCOLOR color = PackColor(particle.color);
		const float start = particle.rotation * DEGREES_TO_RADIANS;
		const auto at = [&](int k, float radius) {
			const float angle = start + 2.0f * D3DX_PI * static_cast<float>(k) / static_cast<float>(segments);
			return center + (axisA * std::cos(angle) + axisB * std::sin(angle)) * radius;
		};
		for (int k = 0; k < segments; ++k) {
			const float u0 = static_cast<float>(k) / static_cast<float>(segments);
			const float u1 = static_cast<float>(k + 1) / static_cast<float>(segments);
			batch->AddQuad(Vertex(at(k, inner), color, u0, 0), Vertex(at(k + 1, inner), color, u1, 0),
			               Vertex(at(k + 1, outer), color, u1, 1), Vertex(at(k, outer), color, u0, 1));
		}
	}
}

void ModelRenderer::Render(const NodeDrawData& data) {
	const auto* model = static_cast<const GpuModel*>(data.model);
	if (model == nullptr || model->corners.empty()) {
		return;
	}
	const NodeDefinition& node = *data.node;
	const float squares = static_cast<float>(model->corners.size()) / 6.0f;
	D3DXMATRIX orientation = *data.instanceMatrix;
	orientation._41 = orientation._42 = orientation._43 = 0.0f;
	for (size_t i = 0; i < data.count; ++i) {
		const Particle& particle = data.particles[i];
		if (particle.color.a <= 0.0f || particle.size <= 0.0f) {
			continue;
		}
		D3DXMATRIX scale, roll, place;
		D3DXMatrixScaling(&scale, particle.size, particle.size, particle.size);
		D3DXMatrixRotationZ(&roll, particle.rotation * DEGREES_TO_RADIANS);
		const D3DXVECTOR3 center = WorldPosition(data, particle);
		D3DXMatrixTranslation(&place, center.x, center.y, center.z);
		const D3DXMATRIX world = scale * roll * orientation * place;
		if (!batch->BeginPiece(node.blend, data.texture, center, squares)) {
			return;
		}
		const D3DCOLOR color = PackColor(particle.color);
		for (size_t c = 0; c + 2 < model->corners.size(); c += 3) {
			BatchVertex v[3];
			for (int k = 0; k < 3; ++k) {
				const GpuModel::Corner& corner = model->corners[c + k];
				D3DXVECTOR3 p;
				D3DXVec3TransformCoord(&p, &corner.position, &world);
				v[k] = Vertex(p, color, corner.u, corner.v);
			}
			batch->AddTriangle(v[0], v[1], v[2]);
		}
	}
}

}  // namespace particles
