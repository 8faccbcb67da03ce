#include "platform/mesh/MeshData.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <unordered_map>

namespace {

constexpr DWORD NO_NEIGHBOUR = 0xFFFFFFFFu;

D3DXVECTOR3 TransformPoint(const D3DVECTOR& p, const D3DMATRIX& m) {
	const float x = p.x * m._11 + p.y * m._21 + p.z * m._31 + m._41;
	const float y = p.x * m._12 + p.y * m._22 + p.z * m._32 + m._42;
	const float z = p.x * m._13 + p.y * m._23 + p.z * m._33 + m._43;
	const float w = p.x * m._14 + p.y * m._24 + p.z * m._34 + m._44;
	if (w != 0.0f && w != 1.0f) {
		return D3DXVECTOR3(x / w, y / w, z / w);
	}
	return D3DXVECTOR3(x, y, z);
}

// Normals follow the inverse transpose of the upper 3x3, which is the
// cofactor matrix up to the determinant's scale; renormalising removes the scale.
D3DXVECTOR3 TransformNormal(const D3DVECTOR& n, const D3DMATRIX& m) {
	const float c11 = m._22 * m._33 - m._23 * m._32, c12 = m._23 * m._31 - m._21 * m._33, c13 = m._21 * m._32 - m._22 * m._31;
	const float c21 = m._13 * m._32 - m._12 * m._33, c22 = m._11 * m._33 - m._13 * m._31, c23 = m._12 * m._31 - m._11 * m._32;
	const float c31 = m._12 * m._23 - m._13 * m._22, c32 = m._13 * m._21 - m._11 * m._23, c33 = m._11 * m._22 - m._12 * m._21;
	const float determinant = m._11 * c11 + m._12 * c12 + m._13 * c13;
	const float x = n.x * c11 + n.y * c21 + n.z * c31;
	const float y = n.x * c12 + n.y * c22 + n.z * c32;
	const float z = n.x * c13 + n.y * c23 + n.z * c33;
	const float length = std::sqrt(x * x + y * y + z * z);
	if (length == 0.0f) {
		return D3DXVECTOR3(0.0f, 0.0f, 0.0f);
	}
	const float scale = (determinant < 0.0f ? -1.0f : 1.0f) / length;
	return D3DXVECTOR3(x * scale, y * scale, z * scale);
}

MeshMaterial DefaultMaterial() {
	MeshMaterial material;
	material.material.Diffuse = D3DCOLORVALUE{0.5f, 0.5f, 0.5f, 1.0f};
	material.material.Ambient = D3DCOLORVALUE{0.0f, 0.0f, 0.0f, 1.0f};
	material.material.Specular = D3DCOLORVALUE{0.0f, 0.0f, 0.0f, 1.0f};
	material.material.Emissive = D3DCOLORVALUE{0.0f, 0.0f, 0.0f, 1.0f};
	return material;
}

}  // namespace

void MeshData::Build(const XFileContents& contents) {
	*this = MeshData();
	bool anyMaterials = false;
	for (const XFileMesh& mesh : contents.meshes) {
		hasNormals = hasNormals || mesh.HasNormals();
		hasTexcoords = hasTexcoords || mesh.HasTexcoords();
		anyMaterials = anyMaterials || !mesh.materials.empty();
	}
	// Meshes without a material list share one grey material, but only when
	// some other mesh has materials; a file without any has none at all.
	DWORD fallbackMaterial = 0;
	bool fallbackAdded = false;
	for (const XFileMesh& mesh : contents.meshes) {
		if (anyMaterials && mesh.materials.empty() && !fallbackAdded) {
			fallbackMaterial = DWORD(materials.size());
			materials.push_back(DefaultMaterial());
			fallbackAdded = true;
		}
		const DWORD firstMaterial = DWORD(materials.size());
		materials.insert(materials.end(), mesh.materials.begin(), mesh.materials.end());
		AppendMesh(mesh, contents.FrameWorld(mesh.frame), firstMaterial, fallbackMaterial);
	}
	SortFacesByAttribute();
}

void MeshData::AppendMesh(const XFileMesh& mesh, const D3DMATRIX& world, DWORD firstMaterial, DWORD fallbackMaterial) {
	const uint32_t base = uint32_t(positions.size());
	const size_t fileVertices = mesh.positions.size();
	for (size_t i = 0; i < fileVertices; ++i) {
		positions.push_back(TransformPoint(mesh.positions[i], world));
		pointReps.push_back(base + uint32_t(i));
		texcoords.push_back(mesh.HasTexcoords() ? D3DXVECTOR2(mesh.texcoords[2 * i], mesh.texcoords[2 * i + 1])
		                                        : D3DXVECTOR2(0.0f, 0.0f));
	}
	normals.resize(positions.size(), D3DXVECTOR3(0.0f, 0.0f, 0.0f));

	// A corner's vertex is its file position, unless that position already
	// carries another normal: then a copy with this normal is made (once per pair).
	std::vector<int64_t> normalOfPosition(fileVertices, -1);
	std::unordered_map<uint64_t, uint32_t> splitVertices;
	auto cornerVertex = [&](size_t corner) -> uint32_t {
		const uint32_t position = mesh.faceCorners[corner];
		if (!mesh.HasNormals()) {
			return base + position;
		}
		const uint32_t normal = mesh.normalCorners[corner];
		if (normalOfPosition[position] < 0) {
			normalOfPosition[position] = normal;
			normals[base + position] = TransformNormal(mesh.normals[normal], world);
		}
		if (normalOfPosition[position] == int64_t(normal)) {
			return base + position;
		}
		const uint64_t key = (uint64_t(position) << 32) | normal;
		const auto found = splitVertices.find(key);
		if (found != splitVertices.end()) {
			return found->second;
		}
		const uint32_t copy = uint32_t(positions.size());
		positions.push_back(positions[base + position]);
		pointReps.push_back(base + position);
		texcoords.push_back(texcoords[base + position]);
		normals.push_back(TransformNormal(mesh.normals[normal], world));
		splitVertices.emplace(key, copy);
		return copy;
	};

	for (size_t face = 0; face < mesh.FaceCount(); ++face) {
		const DWORD attribute = mesh.faceMaterials.empty() ? fallbackMaterial : firstMaterial + mesh.faceMaterials[face];
		const size_t first = mesh.faceStarts[face];
		const size_t end = mesh.faceStarts[face + 1];
		const uint32_t anchor = cornerVertex(first);
		uint32_t previous = cornerVertex(first + 1);
		for (size_t corner = first + 2; corner < end; ++corner) {
			const uint32_t current = cornerVertex(corner);
			indices.insert(indices.end(), {anchor, previous, current});
			attributes.push_back(attribute);
			previous = current;
		}
	}
}

void MeshData::SortFacesByAttribute() {
	std::vector<uint32_t> order(attributes.size());
	std::iota(order.begin(), order.end(), 0u);
	std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return attributes[a] < attributes[b]; });
	std::vector<uint32_t> sortedIndices(indices.size());
	std::vector<DWORD> sortedAttributes(attributes.size());
	for (size_t i = 0; i < order.size(); ++i) {
		std::copy_n(indices.begin() + 3 * order[i], 3, sortedIndices.begin() + 3 * i);
		sortedAttributes[i] = attributes[order[i]];
	}
	indices = std::move(sortedIndices);
	attributes = std::move(sortedAttributes);
}

std::vector<DWORD> MeshData::Adjacency() const {
	std::vector<DWORD> adjacency(indices.size(), NO_NEIGHBOUR);
	// Open edges waiting for a partner, keyed by their two file positions.
	std::unordered_map<uint64_t, uint32_t> openEdges;
	openEdges.reserve(indices.size());
	for (uint32_t slot = 0; slot < indices.size(); ++slot) {
		const uint32_t face = slot / 3;
		const uint32_t a = pointReps[indices[slot]];
		const uint32_t b = pointReps[indices[face * 3 + (slot % 3 + 1) % 3]];
		if (a == b) {
			continue;
		}
		const uint64_t key = (uint64_t(std::min(a, b)) << 32) | std::max(a, b);
		const auto found = openEdges.find(key);
		if (found != openEdges.end() && found->second / 3 != face) {
			adjacency[slot] = found->second / 3;
			adjacency[found->second] = face;
			openEdges.erase(found);
		} else if (found == openEdges.end()) {
			openEdges.emplace(key, slot);
		}
	}
	return adjacency;
}
