#include "tests/assets/MeshTestSupport.h"

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

std::string ReadTextFile(const std::string& path) {
	std::ifstream file(path, std::ios::binary);
	std::ostringstream text;
	text << file.rdbuf();
	return text.str();
}

namespace {

// The first unsigned number at or after `from`, and where it ended.
std::optional<size_t> NumberAfter(const std::string& text, size_t& from) {
	const size_t start = text.find_first_of("0123456789", from);
	if (start == std::string::npos) {
		return std::nullopt;
	}
	size_t end = start;
	while (end < text.size() && text[end] >= '0' && text[end] <= '9') {
		++end;
	}
	from = end;
	return std::strtoull(text.c_str() + start, nullptr, 10);
}

Vec3 ToVec3(const aiVector3D& v) { return {v.x, v.y, v.z}; }

void Gather(const aiScene* scene, const aiNode* node, const aiMatrix4x4& parent, const Mat4& placement,
            LoadedMesh& out) {
	const aiMatrix4x4 frame = parent * node->mTransformation;
	aiMatrix3x3 normalFrame(frame);
	normalFrame.Inverse().Transpose();
	for (unsigned m = 0; m < node->mNumMeshes; ++m) {
		const aiMesh* mesh = scene->mMeshes[node->mMeshes[m]];
		for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
			const aiFace& face = mesh->mFaces[f];
			if (face.mNumIndices != 3) {
				continue;
			}
			Vec3 corner[3];
			for (int k = 0; k < 3; ++k) {
				corner[k] = placement.TransformPoint(ToVec3(frame * mesh->mVertices[face.mIndices[k]]));
			}
			Vec3 normal;
			if (mesh->HasNormals()) {
				normal = placement.TransformNormal(ToVec3(normalFrame * mesh->mNormals[face.mIndices[0]]));
			}
			Triangle triangle{corner[0], corner[1], corner[2], normal, static_cast<int>(mesh->mMaterialIndex), {}};
			if (mesh->HasTextureCoords(0)) {
				for (int k = 0; k < 3; ++k) {
					const aiVector3D uv = mesh->mTextureCoords[0][face.mIndices[k]];
					triangle.uv[k] = {uv.x, uv.y};
				}
			}
			out.triangles.push_back(triangle);
			for (const Vec3& p : corner) {
				out.low = {std::fmin(out.low.x, p.x), std::fmin(out.low.y, p.y), std::fmin(out.low.z, p.z)};
				out.high = {std::fmax(out.high.x, p.x), std::fmax(out.high.y, p.y), std::fmax(out.high.z, p.z)};
			}
		}
	}
	for (unsigned c = 0; c < node->mNumChildren; ++c) {
		Gather(scene, node->mChildren[c], frame, placement, out);
	}
}

}  // namespace

std::optional<MeshCounts> CountsFromXText(const std::string& text) {
	size_t at = text.find("Mesh {");
	if (at == std::string::npos) {
		return std::nullopt;
	}
	MeshCounts counts;
	const auto vertices = NumberAfter(text, at);
	if (!vertices) {
		return std::nullopt;
	}
	counts.vertices = *vertices;
	// Skip the position list: it ends at the first ";;" after the count.
	at = text.find(";;", at);
	const auto faces = NumberAfter(text, at);
	size_t list = text.find("MeshMaterialList {");
	if (!faces || list == std::string::npos) {
		return std::nullopt;
	}
	counts.faces = *faces;
	const auto materials = NumberAfter(text, list);
	if (!materials) {
		return std::nullopt;
	}
	counts.materials = *materials;
	return counts;
}

LoadedMesh LoadMesh(const std::string& path, const Mat4& placement) {
	LoadedMesh out;
	Assimp::Importer importer;
	const aiScene* scene =
	    importer.ReadFile(path, aiProcess_ConvertToLeftHanded | aiProcess_JoinIdenticalVertices | aiProcess_Triangulate);
	if (!scene || !scene->mRootNode) {
		return out;
	}
	out.loaded = true;
	const size_t slash = path.find_last_of('/');
	out.folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
	for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
		out.counts.vertices += scene->mMeshes[m]->mNumVertices;
		out.counts.faces += scene->mMeshes[m]->mNumFaces;
	}
	out.counts.materials = scene->mNumMaterials;
	for (unsigned m = 0; m < scene->mNumMaterials; ++m) {
		aiString texture;
		const bool has = scene->mMaterials[m]->GetTexture(aiTextureType_DIFFUSE, 0, &texture) == AI_SUCCESS;
		out.textureFiles.push_back(has ? texture.C_Str() : "");
		aiColor3D diffuse(1, 1, 1), emissive(0, 0, 0);
		scene->mMaterials[m]->Get(AI_MATKEY_COLOR_DIFFUSE, diffuse);
		scene->mMaterials[m]->Get(AI_MATKEY_COLOR_EMISSIVE, emissive);
		out.diffuse.push_back({diffuse.r, diffuse.g, diffuse.b});
		out.emissive.push_back({emissive.r, emissive.g, emissive.b});
	}
	Gather(scene, scene->mRootNode, aiMatrix4x4(), placement, out);
	return out;
}

RayHit CastRay(const std::vector<Triangle>& triangles, const Vec3& origin, const Vec3& direction) {
	RayHit best;
	for (size_t i = 0; i < triangles.size(); ++i) {
		const Triangle& t = triangles[i];
		const Vec3 e1 = t.b - t.a, e2 = t.c - t.a;
		const Vec3 p = Cross(direction, e2);
		const float det = Dot(e1, p);
		if (std::fabs(det) < 1e-12f) {
			continue;
		}
		const float inv = 1.0f / det;
		const Vec3 s = origin - t.a;
		const float u = Dot(s, p) * inv;
		if (u < 0 || u > 1) {
			continue;
		}
		const Vec3 q = Cross(s, e1);
		const float v = Dot(direction, q) * inv;
		if (v < 0 || u + v > 1) {
			continue;
		}
		const float distance = Dot(e2, q) * inv;
		if (distance > 0 && (!best.hit || distance < best.distance)) {
			best = {true, distance, static_cast<int>(i)};
		}
	}
	return best;
}

float SignedVolume(const std::vector<Triangle>& triangles) {
	double volume = 0;
	for (const Triangle& t : triangles) {
		volume += Dot(t.a, Cross(t.b - t.a, t.c - t.a));
	}
	return static_cast<float>(volume / 6.0);
}
