#include "tools/assetgen/XFileWriter.h"

#include <cstdio>

namespace {

void AppendNumber(std::string& out, float value) {
	char text[32];
	// Five decimals is well below a texel or a hundredth of a unit; -0 is
	// printed as 0 so mirrored parts give tidy files.
	if (value > -0.000005f && value < 0.000005f) {
		value = 0;
	}
	std::snprintf(text, sizeof text, "%.5f", value);
	out += text;
}

void AppendVector(std::string& out, const Vec3& v) {
	AppendNumber(out, v.x);
	out += ';';
	AppendNumber(out, v.y);
	out += ';';
	AppendNumber(out, v.z);
	out += ';';
}

void AppendFaces(std::string& out, const XMesh& mesh) {
	out += "  " + std::to_string(mesh.triangles.size()) + ";\n";
	for (size_t i = 0; i < mesh.triangles.size(); ++i) {
		const XTriangle& t = mesh.triangles[i];
		out += "  3;" + std::to_string(t.index[0]) + ',' + std::to_string(t.index[1]) + ',' +
		       std::to_string(t.index[2]) + ';';
		out += i + 1 < mesh.triangles.size() ? ",\n" : ";\n";
	}
}

void AppendMaterial(std::string& out, const XMaterial& material) {
	out += "  Material {\n   ";
	for (float c : material.diffuse) {
		AppendNumber(out, c);
		out += ';';
	}
	out += ";\n   ";
	AppendNumber(out, material.power);
	out += ";\n   ";
	for (float c : material.specular) {
		AppendNumber(out, c);
		out += ';';
	}
	out += ";\n   ";
	for (float c : material.emissive) {
		AppendNumber(out, c);
		out += ';';
	}
	out += ";\n";
	if (!material.textureFile.empty()) {
		out += "   TextureFilename {\n    \"" + material.textureFile + "\";\n   }\n";
	}
	out += "  }\n";
}

}  // namespace

std::string WriteXFile(const XMesh& mesh) {
	std::string out = "xof 0303txt 0032\n\nMesh {\n";
	out.reserve(mesh.vertices.size() * 96 + mesh.triangles.size() * 40 + 4096);

	out += "  " + std::to_string(mesh.vertices.size()) + ";\n";
	for (size_t i = 0; i < mesh.vertices.size(); ++i) {
		out += "  ";
		AppendVector(out, mesh.vertices[i].position);
		out += i + 1 < mesh.vertices.size() ? ",\n" : ";\n";
	}
	AppendFaces(out, mesh);

	out += " MeshNormals {\n  " + std::to_string(mesh.vertices.size()) + ";\n";
	for (size_t i = 0; i < mesh.vertices.size(); ++i) {
		out += "  ";
		AppendVector(out, mesh.vertices[i].normal);
		out += i + 1 < mesh.vertices.size() ? ",\n" : ";\n";
	}
	AppendFaces(out, mesh);
	out += " }\n";

	out += " MeshTextureCoords {\n  " + std::to_string(mesh.vertices.size()) + ";\n";
	for (size_t i = 0; i < mesh.vertices.size(); ++i) {
		out += "  ";
		AppendNumber(out, mesh.vertices[i].uv.x);
		out += ';';
		AppendNumber(out, mesh.vertices[i].uv.y);
		out += ';';
		out += i + 1 < mesh.vertices.size() ? ",\n" : ";\n";
	}
	out += " }\n";

	out += " MeshMaterialList {\n  " + std::to_string(mesh.materials.size()) + ";\n  " +
	       std::to_string(mesh.triangles.size()) + ";\n";
	for (size_t i = 0; i < mesh.triangles.size(); ++i) {
		out += "  " + std::to_string(mesh.triangles[i].material);
		out += i + 1 < mesh.triangles.size() ? ",\n" : ";\n";
	}
	for (const XMaterial& material : mesh.materials) {
		AppendMaterial(out, material);
	}
	out += " }\n}\n";
	return out;
}
