#pragma once
// Small X files for the mesh tests, written in both encodings, and helpers
// to load them into CPU-only meshes.

#include "platform/mesh/D3DX9Mesh.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace xsamples {

inline std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

// A quad (file face 0, material 1) and a triangle (file face 1, material 0)
// sharing the edge 1-2. Material 0 is declared at the top level and
// referenced; material 1 is inline with a texture.
inline const char* QUAD_AND_TRIANGLE = R"(xof 0303txt 0032
// written by hand
template Mesh {
 <3D82AB44-62DA-11cf-AB39-0020AF71E433>
 DWORD nVertices;
 array Vector vertices[nVertices];
 DWORD nFaces;
 array MeshFace faces[nFaces];
 [...]
}
Header { 1; 0; 1; }
Material Red {
 1.000000;0.000000;0.000000;1.000000;;
 5.0;
 0.25;0.25;0.25;;
 0.0;0.0;0.0;;
}
Mesh Quad {
 5;
 0.0;0.0;0.0;,
 1.0;0.0;0.0;,
 1.0;1.0;0.0;,
 0.0;1.0;0.0;,
 2.0;0.5;0.0;;
 2;
 4;0,1,2,3;,
 3;1,4,2;;
 MeshTextureCoords {
  5;
  0.0;1.0;, 1.0;1.0;, 1.0;0.0;, 0.0;0.0;, 0.5;0.5;;
 }
 MeshMaterialList {
  2;
  2;
  1,
  0;;
  { Red }
  Material Blue {
   0.0;0.0;1.0;0.5;;
   20.0;
   1.0;1.0;1.0;;
   0.0;0.0;0.5;;
   TextureFilename { "tex\\blue.png"; }
  }
 }
 VertexDuplicationIndices { 5; 5; 0, 1, 2, 3, 4; }
}
)";

// Writes the binary encoding token by token.
class BinaryXFile {
public:
	explicit BinaryXFile(bool doubles = false) : doubles(doubles) {
		const std::string header = doubles ? "xof 0303bin 0064" : "xof 0303bin 0032";
		bytes.assign(header.begin(), header.end());
	}

	BinaryXFile& Name(const std::string& name) {
		Word(1);
		Dword(uint32_t(name.size()));
		bytes.insert(bytes.end(), name.begin(), name.end());
		return *this;
	}
	BinaryXFile& String(const std::string& text) {
		Word(2);
		Dword(uint32_t(text.size()));
		bytes.insert(bytes.end(), text.begin(), text.end());
		Word(20);
		return *this;
	}
	BinaryXFile& Open() { Word(10); return *this; }
	BinaryXFile& Close() { Word(11); return *this; }
	BinaryXFile& Guid() {
		Word(5);
		bytes.insert(bytes.end(), 16, 0xAB);
		return *this;
	}
	BinaryXFile& Integers(std::initializer_list<uint32_t> values) {
		Word(6);
		Dword(uint32_t(values.size()));
		for (uint32_t value : values) {
			Dword(value);
		}
		return *this;
	}
	BinaryXFile& Floats(std::initializer_list<double> values) {
		Word(7);
		Dword(uint32_t(values.size()));
		for (double value : values) {
			if (doubles) {
				uint8_t raw[8];
				std::memcpy(raw, &value, 8);
				bytes.insert(bytes.end(), raw, raw + 8);
			} else {
				const float single = float(value);
				uint8_t raw[4];
				std::memcpy(raw, &single, 4);
				bytes.insert(bytes.end(), raw, raw + 4);
			}
		}
		return *this;
	}
	BinaryXFile& Word(uint16_t value) {
		bytes.push_back(uint8_t(value));
		bytes.push_back(uint8_t(value >> 8));
		return *this;
	}
	BinaryXFile& Dword(uint32_t value) {
		for (int shift = 0; shift < 32; shift += 8) {
			bytes.push_back(uint8_t(value >> shift));
		}
		return *this;
	}

	std::vector<uint8_t> bytes;

private:
	bool doubles;
};

// The same content as QUAD_AND_TRIANGLE, in the binary encoding, with a
// template (as exporters write them) in front.
inline std::vector<uint8_t> QuadAndTriangleBinary(bool doubles) {
	BinaryXFile file(doubles);
	file.Word(31).Name("Mesh").Open().Guid().Word(41).Name("nVertices").Word(20).Word(14).Word(18).Word(18).Word(18)
		.Word(15).Close();
	file.Name("Material").Name("Red").Open()
		.Floats({1, 0, 0, 1}).Floats({5}).Floats({0.25, 0.25, 0.25}).Floats({0, 0, 0}).Close();
	file.Name("Mesh").Name("Quad").Open()
		.Integers({5})
		.Floats({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 2, 0.5, 0})
		.Integers({2, 4, 0, 1, 2, 3, 3, 1, 4, 2});
	file.Name("MeshTextureCoords").Open().Integers({5}).Floats({0, 1, 1, 1, 1, 0, 0, 0, 0.5, 0.5}).Close();
	file.Name("MeshMaterialList").Open().Integers({2, 2, 1, 0})
		.Open().Name("Red").Close()
		.Name("Material").Name("Blue").Open()
		.Floats({0, 0, 1, 0.5}).Floats({20}).Floats({1, 1, 1}).Floats({0, 0, 0.5})
		.Name("TextureFilename").Open().String("tex\\blue.png").Close()
		.Close()
		.Close();
	file.Close();
	return file.bytes;
}

// Compresses a plain X file the way the DirectX exporters do: "txt " becomes
// "tzip", "bin " becomes "bzip", then the inflated file size (header
// included) and MSZIP blocks of blockSize bytes. Chained blocks are deflated
// with the 32 KiB before them as history, so they refer back across blocks.
inline std::vector<uint8_t> Mszip(const std::vector<uint8_t>& plain, size_t blockSize = 32768, bool chained = true) {
	constexpr size_t HEADER = 16;
	std::vector<uint8_t> out(plain.begin(), plain.begin() + HEADER);
	std::memcpy(out.data() + 8, plain[8] == 't' ? "tzip" : "bzip", 4);
	auto put = [&out](uint32_t value, int bytes) {
		for (int i = 0; i < bytes; ++i) {
			out.push_back(uint8_t(value >> (8 * i)));
		}
	};
	put(uint32_t(plain.size()), 4);
	for (size_t start = HEADER; start < plain.size(); start += blockSize) {
		const size_t size = std::min(blockSize, plain.size() - start);
		z_stream stream{};
		deflateInit2(&stream, 9, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY);
		const size_t history = chained ? std::min<size_t>(start - HEADER, 32768) : 0;
		if (history > 0) {
			deflateSetDictionary(&stream, plain.data() + start - history, uInt(history));
		}
		std::vector<uint8_t> packed(deflateBound(&stream, uLong(size)));
		stream.next_in = const_cast<Bytef*>(plain.data() + start);
		stream.avail_in = uInt(size);
		stream.next_out = packed.data();
		stream.avail_out = uInt(packed.size());
		deflate(&stream, Z_FINISH);
		packed.resize(stream.total_out);
		deflateEnd(&stream);
		put(uint32_t(size), 2);
		put(uint32_t(packed.size() + 2), 2);
		out.push_back('C');
		out.push_back('K');
		out.insert(out.end(), packed.begin(), packed.end());
	}
	return out;
}

// A mesh loaded without a device; every output the loader offers is kept.
struct LoadedMesh {
	HRESULT result = E_FAIL;
	ID3DXMesh* mesh = nullptr;
	ID3DXBuffer* adjacency = nullptr;
	ID3DXBuffer* materials = nullptr;
	DWORD materialCount = 0;

	explicit LoadedMesh(const std::vector<uint8_t>& file, DWORD options = D3DXMESH_MANAGED) {
		result = D3DXLoadMeshFromXInMemory(file.data(), DWORD(file.size()), options, nullptr, &adjacency, &materials,
		                                   nullptr, &materialCount, &mesh);
	}
	~LoadedMesh() {
		SafeRelease(mesh);
		SafeRelease(adjacency);
		SafeRelease(materials);
	}
	LoadedMesh(const LoadedMesh&) = delete;
	LoadedMesh& operator=(const LoadedMesh&) = delete;

	const D3DXMATERIAL& Material(DWORD i) const {
		return static_cast<const D3DXMATERIAL*>(materials->GetBufferPointer())[i];
	}
	std::vector<uint32_t> Indices() const;
	D3DXVECTOR3 Position(uint32_t vertex) const;
	D3DXVECTOR3 Normal(uint32_t vertex) const;  // only for meshes with normals
};

inline std::vector<uint32_t> LoadedMesh::Indices() const {
	void* data = nullptr;
	mesh->LockIndexBuffer(D3DLOCK_READONLY, &data);
	std::vector<uint32_t> indices(mesh->GetNumFaces() * 3);
	const bool wide = (mesh->GetOptions() & D3DXMESH_32BIT) != 0;
	for (size_t i = 0; i < indices.size(); ++i) {
		indices[i] = wide ? static_cast<const uint32_t*>(data)[i] : static_cast<const uint16_t*>(data)[i];
	}
	mesh->UnlockIndexBuffer();
	return indices;
}

inline D3DXVECTOR3 LoadedMesh::Position(uint32_t vertex) const {
	void* data = nullptr;
	mesh->LockVertexBuffer(D3DLOCK_READONLY, &data);
	D3DXVECTOR3 p;
	std::memcpy(&p, static_cast<const uint8_t*>(data) + vertex * mesh->GetNumBytesPerVertex(), 12);
	mesh->UnlockVertexBuffer();
	return p;
}

inline D3DXVECTOR3 LoadedMesh::Normal(uint32_t vertex) const {
	void* data = nullptr;
	mesh->LockVertexBuffer(D3DLOCK_READONLY, &data);
	D3DXVECTOR3 n;
	std::memcpy(&n, static_cast<const uint8_t*>(data) + vertex * mesh->GetNumBytesPerVertex() + 12, 12);
	mesh->UnlockVertexBuffer();
	return n;
}

}  // namespace xsamples
