#pragma once
// Reads the meshes of an X file (text or binary, plain or MSZIP compressed,
// 32- or 64-bit floats) from a byte span. Frames with their
// FrameTransformMatrix place the meshes they hold; templates and data objects
// of other types are skipped. Hostile input is refused: every count is
// checked against the bytes left, every index against its array, and
// nesting, token lengths and the inflated size are bounded.

#include "platform/mesh/XFileMesh.h"
#include "platform/mesh/XFileTokenStream.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

struct XFileLimits {
	size_t maxBytes = 64u * 1024u * 1024u;
	int maxDepth = 64;
	size_t maxTokenLength = 4096;
	size_t maxVerticesPerMesh = 1u << 22;
	size_t maxFacesPerMesh = 1u << 22;
	size_t maxCornersPerFace = 4096;
	size_t maxMaterialsPerMesh = 65536;
	size_t maxMeshes = 4096;
	size_t maxFrames = 65536;
};

struct XFileFrame {
	int parent = -1;
	D3DMATRIX local{};
};

struct XFileContents {
	std::vector<XFileMesh> meshes;
	std::vector<XFileFrame> frames;  // parents come before their children

	// World transform of a frame: its local matrix times its parents'.
	D3DMATRIX FrameWorld(int frame) const;
};

class XFileParser {
public:
	explicit XFileParser(const XFileLimits& limits = XFileLimits());

	// False with a reason when the bytes are not a readable X file or hold no mesh.
	bool Parse(std::span<const uint8_t> bytes, XFileContents& contents, std::string& why);

private:
	bool OpenStream(std::span<const uint8_t> bytes);
	bool ParseTopLevel();
	bool ParseObject(const std::string& type, int depth, int frame);
	// What follows an object's header, by its type.
	bool ParseObjectBody(const std::string& type, const std::string& name, int depth, int frame);
	using ChildParser = std::function<bool(const std::string& type, const std::string& name)>;
	using ReferenceParser = std::function<bool(const std::string& name)>;
	bool ParseChildren(int depth, const char* inside, const ChildParser& parseChild,
	                   const ReferenceParser& parseReference = {});
	bool ReadObjectHeader(std::string& name);
	bool ParseFrame(int depth, int parentFrame);
	bool ParseFrameTransform(int depth, D3DMATRIX& local);
	bool ParseMesh(int depth, int frame);
	bool ParseMeshNormals(int depth, XFileMesh& mesh);
	bool ParseTextureCoords(int depth, XFileMesh& mesh);
	bool ParseMaterialList(int depth, XFileMesh& mesh);
	bool ParseMaterial(int depth, MeshMaterial& material);
	bool ParseNamedMaterial(int depth, const std::string& name, MeshMaterial& material);
	bool ParseTextureFilename(int depth, std::string& filename);
	bool ReadReference(std::string& name);
	bool SkipBody(int depth);
	bool SkipTemplate(int depth);
	bool SkipToObjectEnd(int depth);

	bool ReadCount(uint32_t& count, size_t numbersPerItem, size_t limit, const char* what);
	bool ReadIndex(uint32_t& index, size_t bound, const char* what);
	bool ReadFloat(float& value);
	bool ReadFloats(float* values, size_t count);
	bool ReadVector(D3DVECTOR& v);
	// A count followed by that many vectors, the count bounded by the bytes left.
	bool ReadVectorList(std::vector<D3DVECTOR>& vectors, const char* what);
	bool ReadColor(D3DCOLORVALUE& color, bool withAlpha);

	XFileToken NextToken();
	XFileToken NextSignificant();  // skips separators
	void Unread(const XFileToken& token);
	bool Fail(const std::string& why);
	bool CheckDepth(int depth);

	XFileLimits limits;
	std::vector<uint8_t> inflated;  // a compressed file's body, which the stream reads
	std::unique_ptr<XFileTokenStream> stream;
	XFileToken pending;
	bool hasPending = false;
	XFileContents* contents = nullptr;
	std::map<std::string, MeshMaterial> namedMaterials;
	std::string error;
};
