#include "platform/mesh/XFileParser.h"

#include "platform/mesh/XFileBinaryReader.h"
#include "platform/mesh/XFileDecompressor.h"
#include "platform/mesh/XFileTokenizer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr size_t HEADER_BYTES = 16;

D3DMATRIX IdentityMatrix() {
	D3DMATRIX m{};
	m._11 = m._22 = m._33 = m._44 = 1.0f;
	return m;
}

// Row vectors: a * b applies a first.
D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
	D3DMATRIX out{};
	for (int row = 0; row < 4; ++row) {
		for (int column = 0; column < 4; ++column) {
			float sum = 0.0f;
			for (int k = 0; k < 4; ++k) {
				sum += a.m[row][k] * b.m[k][column];
			}
			out.m[row][column] = sum;
		}
	}
	return out;
}

bool HeaderField(std::span<const uint8_t> bytes, size_t offset, const char* expected) {
	return std::memcmp(bytes.data() + offset, expected, 4) == 0;
}

}  // namespace

D3DMATRIX XFileContents::FrameWorld(int frame) const {
	D3DMATRIX world = IdentityMatrix();
	// Parents precede children, so the walk up the tree always terminates.
	while (frame >= 0 && size_t(frame) < frames.size()) {
		world = Multiply(world, frames[frame].local);
		const int parent = frames[frame].parent;
		frame = parent < frame ? parent : -1;
	}
	return world;
}

XFileParser::XFileParser(const XFileLimits& limits_) : limits(limits_) {}

bool XFileParser::Fail(const std::string& why) {
	if (error.empty()) {
		error = why;
	}
	return false;
}

bool XFileParser::CheckDepth(int depth) {
	if (depth > limits.maxDepth) {
		return Fail("objects nested too deeply");
	}
	return true;
}

bool XFileParser::Parse(std::span<const uint8_t> bytes, XFileContents& out, std::string& why) {
	out = XFileContents();
	contents = &out;
	namedMaterials.clear();
	error.clear();
	hasPending = false;
	const bool parsed = OpenStream(bytes) && ParseTopLevel();
	contents = nullptr;
	stream.reset();
	inflated = std::vector<uint8_t>();
	if (parsed && out.meshes.empty()) {
		Fail("the file holds no mesh");
	}
	if (!error.empty()) {
		why = error;
		out = XFileContents();
		return false;
	}
	return true;
}

bool XFileParser::OpenStream(std::span<const uint8_t> bytes) {
	if (bytes.size() > limits.maxBytes) {
		return Fail("file too large");
	}
	if (bytes.size() < HEADER_BYTES || !HeaderField(bytes, 0, "xof ")) {
		return Fail("not an X file");
	}
	size_t floatBytes = 0;
	if (HeaderField(bytes, 12, "0032")) {
		floatBytes = 4;
	} else if (HeaderField(bytes, 12, "0064")) {
		floatBytes = 8;
	} else {
		return Fail("unknown float size");
	}
	std::span<const uint8_t> body = bytes.subspan(HEADER_BYTES);
	const bool compressed = HeaderField(bytes, 8, "tzip") || HeaderField(bytes, 8, "bzip");
	if (compressed) {
		std::string why;
		if (!XFileDecompressor(limits.maxBytes).Inflate(body, inflated, why)) {
			return Fail(why);
		}
		body = inflated;
	}
	if (HeaderField(bytes, 8, "txt ") || HeaderField(bytes, 8, "tzip")) {
		stream = std::make_unique<XFileTokenizer>(body, limits.maxTokenLength);
	} else if (HeaderField(bytes, 8, "bin ") || HeaderField(bytes, 8, "bzip")) {
		stream = std::make_unique<XFileBinaryReader>(body, floatBytes, limits.maxTokenLength);
	} else {
		return Fail("unsupported X file encoding");
	}
	return true;
}

XFileToken XFileParser::NextToken() {
	if (hasPending) {
		hasPending = false;
		return pending;
	}
	XFileToken token = stream->Next();
	if (token.kind == XFileTokenKind::Error) {
		Fail(stream->Error());
	}
	return token;
}

XFileToken XFileParser::NextSignificant() {
	XFileToken token = NextToken();
	while (token.kind == XFileTokenKind::Separator) {
		token = NextToken();
	}
	return token;
}

void XFileParser::Unread(const XFileToken& token) {
	pending = token;
	hasPending = true;
}

bool XFileParser::ParseTopLevel() {
	for (;;) {
		const XFileToken token = NextSignificant();
		switch (token.kind) {
		case XFileTokenKind::End: return true;
		case XFileTokenKind::Template:
			if (!SkipTemplate(1)) {
				return false;
			}
			break;
		case XFileTokenKind::Name:
			if (!ParseObject(token.text, 1, -1)) {
				return false;
			}
			break;
		default: return Fail("unexpected token at the top level");
		}
	}
}

bool XFileParser::SkipTemplate(int depth) {
	const XFileToken name = NextToken();
	if (name.kind != XFileTokenKind::Name || NextToken().kind != XFileTokenKind::OpenBrace) {
		return Fail("malformed template");
	}
	return SkipBody(depth);
}

// Called just after an opening brace; consumes through the matching close.
// Iterative, so depth is the only bound that matters.
bool XFileParser::SkipBody(int depth) {
	int open = 1;
	while (open > 0) {
		const XFileToken token = NextToken();
		switch (token.kind) {
		case XFileTokenKind::OpenBrace:
			++open;
			if (!CheckDepth(depth + open - 1)) {
				return false;
			}
			break;
		case XFileTokenKind::CloseBrace: --open; break;
		case XFileTokenKind::End: return Fail("file ends inside an object");
		case XFileTokenKind::Error: return false;
		default: break;
		}
	}
	return true;
}

// Reads "[name] [<guid>] {" after an object's type, and the optional GUID
// that may open the body.
bool XFileParser::ReadObjectHeader(std::string& name) {
	XFileToken token = NextToken();
	if (token.kind == XFileTokenKind::Name) {
		name = token.text;
		token = NextToken();
	}
	if (token.kind == XFileTokenKind::Guid) {
		token = NextToken();
	}
	if (token.kind != XFileTokenKind::OpenBrace) {
		return Fail("expected '{' after an object's type");
	}
	token = NextToken();
	if (token.kind != XFileTokenKind::Guid) {
		Unread(token);
	}
	return error.empty();
}

bool XFileParser::ReadReference(std::string& name) {
	const XFileToken token = NextToken();
	if (token.kind != XFileTokenKind::Name) {
		return Fail("malformed reference");
	}
	name = token.text;
	XFileToken close = NextToken();
	if (close.kind == XFileTokenKind::Guid) {
		close = NextToken();
	}
	if (close.kind != XFileTokenKind::CloseBrace) {
		return Fail("malformed reference");
	}
	return true;
}

bool XFileParser::ParseObject(const std::string& type, int depth, int frame) {
	std::string name;
	return CheckDepth(depth) && ReadObjectHeader(name) && ParseObjectBody(type, name, depth, frame);
}

bool XFileParser::ParseObjectBody(const std::string& type, const std::string& name, int depth, int frame) {
	if (type == "Frame") {
		return ParseFrame(depth, frame);
	}
	if (type == "Mesh") {
		return ParseMesh(depth, frame);
	}
	if (type == "Material") {
		MeshMaterial ignored;
		return ParseNamedMaterial(depth, name, ignored);
	}
	return SkipBody(depth);
}

// The children of an object through its closing brace. A named child's
// header is read, then parseChild reads its body; references go to
// parseReference, or are skipped without one.
bool XFileParser::ParseChildren(int depth, const char* inside, const ChildParser& parseChild,
                                const ReferenceParser& parseReference) {
	for (;;) {
		const XFileToken token = NextSignificant();
		switch (token.kind) {
		case XFileTokenKind::CloseBrace: return true;
		case XFileTokenKind::Name: {
			std::string name;
			if (!CheckDepth(depth + 1) || !ReadObjectHeader(name) || !parseChild(token.text, name)) {
				return false;
			}
			break;
		}
		case XFileTokenKind::OpenBrace: {
			std::string name;
			if (!ReadReference(name) || (parseReference && !parseReference(name))) {
				return false;
			}
			break;
		}
		case XFileTokenKind::Error: return false;
		case XFileTokenKind::End: return Fail(std::string("file ends inside ") + inside);
		default: return Fail(std::string("unexpected data in ") + inside);
		}
	}
}

// Consumes what follows an object's own data: nested objects that are
// skipped, references, separators, then the closing brace.
bool XFileParser::SkipToObjectEnd(int depth) {
	return ParseChildren(depth, "an object", [&](const std::string&, const std::string&) { return SkipBody(depth + 1); });
}

bool XFileParser::ParseFrame(int depth, int parentFrame) {
	if (contents->frames.size() >= limits.maxFrames) {
		return Fail("too many frames");
	}
	const int frame = int(contents->frames.size());
	contents->frames.push_back(XFileFrame{parentFrame, IdentityMatrix()});
	// A mesh shared by reference is not instanced.
	return ParseChildren(depth, "a frame", [&](const std::string& type, const std::string& name) {
		if (type == "FrameTransformMatrix") {
			return ParseFrameTransform(depth + 1, contents->frames[frame].local);
		}
		return ParseObjectBody(type, name, depth + 1, frame);
	});
}

bool XFileParser::ParseFrameTransform(int depth, D3DMATRIX& local) {
	return ReadFloats(&local._11, 16) && SkipToObjectEnd(depth);
}

bool XFileParser::ReadCount(uint32_t& count, size_t numbersPerItem, size_t limit, const char* what) {
	const XFileToken token = NextSignificant();
	if (token.kind != XFileTokenKind::Integer || token.number < 0.0 || token.number > double(UINT32_MAX)) {
		return Fail(std::string("expected the number of ") + what);
	}
	count = uint32_t(token.number);
	if (count > limit) {
		return Fail(std::string("too many ") + what);
	}
	// Each item needs its numbers present: a hostile count cannot make us
	// allocate more than the file could fill.
	const size_t needed = size_t(count) * numbersPerItem;
	if (needed > stream->BytesLeft() / stream->MinimumBytesPerNumber()) {
		return Fail(std::string("the file is too short for its ") + what);
	}
	return true;
}

bool XFileParser::ReadIndex(uint32_t& index, size_t bound, const char* what) {
	const XFileToken token = NextSignificant();
	if (token.kind != XFileTokenKind::Integer || token.number < 0.0 || token.number >= double(bound)) {
		return Fail(std::string(what) + " index out of range");
	}
	index = uint32_t(token.number);
	return true;
}

bool XFileParser::ReadFloat(float& value) {
	const XFileToken token = NextSignificant();
	if (token.kind != XFileTokenKind::Float && token.kind != XFileTokenKind::Integer) {
		return Fail("expected a number");
	}
	value = float(token.number);
	if (!std::isfinite(value)) {
		return Fail("number out of range");
	}
	return true;
}

bool XFileParser::ReadFloats(float* values, size_t count) {
	for (size_t i = 0; i < count; ++i) {
		if (!ReadFloat(values[i])) {
			return false;
		}
	}
	return true;
}

bool XFileParser::ReadVector(D3DVECTOR& v) { return ReadFloat(v.x) && ReadFloat(v.y) && ReadFloat(v.z); }

bool XFileParser::ReadVectorList(std::vector<D3DVECTOR>& vectors, const char* what) {
	uint32_t count = 0;
	if (!ReadCount(count, 3, limits.maxVerticesPerMesh, what)) {
		return false;
	}
	vectors.resize(count);
	for (D3DVECTOR& v : vectors) {
		if (!ReadVector(v)) {
			return false;
		}
	}
	return true;
}

bool XFileParser::ReadColor(D3DCOLORVALUE& color, bool withAlpha) {
	color.a = 1.0f;
	return ReadFloat(color.r) && ReadFloat(color.g) && ReadFloat(color.b) && (!withAlpha || ReadFloat(color.a));
}

bool XFileParser::ParseMesh(int depth, int frame) {
	if (contents->meshes.size() >= limits.maxMeshes) {
		return Fail("too many meshes");
	}
	XFileMesh mesh;
	mesh.frame = frame;
	if (!ReadVectorList(mesh.positions, "vertices")) {
		return false;
	}
	uint32_t faceCount = 0;
	if (!ReadCount(faceCount, 4, limits.maxFacesPerMesh, "faces")) {
		return false;
	}
	mesh.faceStarts.reserve(size_t(faceCount) + 1);
	for (uint32_t face = 0; face < faceCount; ++face) {
		uint32_t corners = 0;
		if (!ReadCount(corners, 1, limits.maxCornersPerFace, "face corners")) {
			return false;
		}
		if (corners < 3) {
			return Fail("a face has fewer than three corners");
		}
		for (uint32_t corner = 0; corner < corners; ++corner) {
			uint32_t index = 0;
			if (!ReadIndex(index, uint32_t(mesh.positions.size()), "vertex")) {
				return false;
			}
			mesh.faceCorners.push_back(index);
		}
		mesh.faceStarts.push_back(uint32_t(mesh.faceCorners.size()));
	}
	const bool children = ParseChildren(depth, "a mesh", [&](const std::string& type, const std::string&) {
		if (type == "MeshNormals") {
			return ParseMeshNormals(depth + 1, mesh);
		}
		if (type == "MeshTextureCoords") {
			return ParseTextureCoords(depth + 1, mesh);
		}
		if (type == "MeshMaterialList") {
			return ParseMaterialList(depth + 1, mesh);
		}
		return SkipBody(depth + 1);
	});
	if (!children) {
		return false;
	}
	contents->meshes.push_back(std::move(mesh));
	return true;
}

bool XFileParser::ParseMeshNormals(int depth, XFileMesh& mesh) {
	if (!ReadVectorList(mesh.normals, "normals")) {
		return false;
	}
	uint32_t faceCount = 0;
	if (!ReadCount(faceCount, 4, limits.maxFacesPerMesh, "normal faces")) {
		return false;
	}
	if (faceCount != mesh.FaceCount()) {
		return Fail("normal faces do not match the mesh's faces");
	}
	mesh.normalCorners.clear();
	mesh.normalCorners.reserve(mesh.faceCorners.size());
	for (size_t face = 0; face < faceCount; ++face) {
		const uint32_t expected = mesh.faceStarts[face + 1] - mesh.faceStarts[face];
		uint32_t corners = 0;
		if (!ReadCount(corners, 1, limits.maxCornersPerFace, "normal face corners")) {
			return false;
		}
		if (corners != expected) {
			return Fail("a normal face has a different corner count from its face");
		}
		for (uint32_t corner = 0; corner < corners; ++corner) {
			uint32_t index = 0;
			if (!ReadIndex(index, uint32_t(mesh.normals.size()), "normal")) {
				return false;
			}
			mesh.normalCorners.push_back(index);
		}
	}
	return SkipToObjectEnd(depth);
}

bool XFileParser::ParseTextureCoords(int depth, XFileMesh& mesh) {
	uint32_t count = 0;
	if (!ReadCount(count, 2, limits.maxVerticesPerMesh, "texture coordinates")) {
		return false;
	}
	if (count != mesh.positions.size()) {
		return Fail("texture coordinates do not match the vertices");
	}
	mesh.texcoords.resize(size_t(count) * 2);
	return ReadFloats(mesh.texcoords.data(), mesh.texcoords.size()) && SkipToObjectEnd(depth);
}

bool XFileParser::ParseMaterialList(int depth, XFileMesh& mesh) {
	uint32_t materialCount = 0;
	uint32_t indexCount = 0;
	if (!ReadCount(materialCount, 11, limits.maxMaterialsPerMesh, "materials") ||
	    !ReadCount(indexCount, 1, limits.maxFacesPerMesh, "face materials")) {
		return false;
	}
	if (indexCount > mesh.FaceCount()) {
		return Fail("more face materials than faces");
	}
	if (materialCount == 0 && mesh.FaceCount() > 0) {
		return Fail("a material list without materials");
	}
	mesh.faceMaterials.clear();
	for (uint32_t i = 0; i < indexCount; ++i) {
		uint32_t index = 0;
		if (!ReadIndex(index, materialCount, "material")) {
			return false;
		}
		mesh.faceMaterials.push_back(index);
	}
	// A short list repeats its last entry for the remaining faces.
	const uint32_t last = mesh.faceMaterials.empty() ? 0 : mesh.faceMaterials.back();
	mesh.faceMaterials.resize(mesh.FaceCount(), last);

	mesh.materials.clear();
	const auto add = [&](const MeshMaterial& material) {
		mesh.materials.push_back(material);
		return mesh.materials.size() <= materialCount || Fail("more materials than the material list declares");
	};
	const auto parseMaterial = [&](const std::string& type, const std::string& name) {
		MeshMaterial material;
		if (type != "Material") {
			return SkipBody(depth + 1);
		}
		return ParseNamedMaterial(depth + 1, name, material) && add(material);
	};
	const auto referMaterial = [&](const std::string& name) {
		const auto found = namedMaterials.find(name);
		if (found == namedMaterials.end()) {
			return Fail("reference to an unknown material '" + name + "'");
		}
		return add(found->second);
	};
	if (!ParseChildren(depth, "a material list", parseMaterial, referMaterial)) {
		return false;
	}
	if (mesh.materials.size() != materialCount) {
		return Fail("fewer materials than the material list declares");
	}
	return true;
}

bool XFileParser::ParseMaterial(int depth, MeshMaterial& material) {
	D3DMATERIAL9& m = material.material;
	m = D3DMATERIAL9{};
	if (!ReadColor(m.Diffuse, true) || !ReadFloat(m.Power) || !ReadColor(m.Specular, false) ||
	    !ReadColor(m.Emissive, false)) {
		return false;
	}
	m.Ambient = D3DCOLORVALUE{0.0f, 0.0f, 0.0f, 1.0f};
	return ParseChildren(depth, "a material", [&](const std::string& type, const std::string&) {
		return type == "TextureFilename" ? ParseTextureFilename(depth + 1, material.textureFilename)
		                                 : SkipBody(depth + 1);
	});
}

// A material that later ones may refer to by its name.
bool XFileParser::ParseNamedMaterial(int depth, const std::string& name, MeshMaterial& material) {
	if (!ParseMaterial(depth, material)) {
		return false;
	}
	if (!name.empty()) {
		namedMaterials[name] = material;
	}
	return true;
}

bool XFileParser::ParseTextureFilename(int depth, std::string& filename) {
	const XFileToken token = NextSignificant();
	if (token.kind != XFileTokenKind::String) {
		return Fail("expected a texture file name");
	}
	filename = token.text;
	// Files written on Windows separate folders with backslashes, which text
	// files often double.
	std::replace(filename.begin(), filename.end(), '\\', '/');
	filename.erase(std::unique(filename.begin(), filename.end(), [](char a, char b) { return a == '/' && b == '/'; }),
	               filename.end());
	return SkipToObjectEnd(depth);
}
