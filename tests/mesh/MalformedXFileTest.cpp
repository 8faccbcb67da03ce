// Hostile and broken X files are refused with a reason, never followed.
// Run under AddressSanitizer (-DVORTANE_SANITIZE=ON) to catch any read past the end.

#include "XFileSamples.h"

#include "platform/mesh/XFileDecompressor.h"
#include "platform/mesh/XFileParser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

using xsamples::Bytes;
using xsamples::LoadedMesh;

namespace {

// Parses a copy exactly as long as the data, so that the sanitizer sees
// any read beyond it.
bool Parses(const std::vector<uint8_t>& file, std::string& why) {
	std::vector<uint8_t> exact(file);
	exact.shrink_to_fit();
	XFileContents contents;
	return XFileParser().Parse(exact, contents, why);
}

std::string ReasonFor(const std::string& text) {
	std::string why;
	EXPECT_FALSE(Parses(Bytes(text), why)) << text;
	EXPECT_FALSE(why.empty());
	return why;
}

std::string NestedFrames(int depth) {
	std::string text = "xof 0303txt 0032\n";
	for (int i = 0; i < depth; ++i) {
		text += "Frame {\n";
	}
	text += "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }\n";
	for (int i = 0; i < depth; ++i) {
		text += "}\n";
	}
	return text;
}

}  // namespace

TEST(MalformedXFile, EveryTruncationFailsCleanly) {
	const std::vector<std::vector<uint8_t>> files = {
		Bytes(xsamples::QUAD_AND_TRIANGLE), xsamples::QuadAndTriangleBinary(false), xsamples::QuadAndTriangleBinary(true)};
	for (const std::vector<uint8_t>& file : files) {
		std::string why;
		ASSERT_TRUE(Parses(file, why)) << why;
		for (size_t length = 0; length < file.size(); length += 7) {
			const std::vector<uint8_t> truncated(file.begin(), file.begin() + length);
			// A cut inside the trailing comments or whitespace of a text file
			// may still leave a whole mesh; anything else must fail.
			const bool ok = Parses(truncated, why);
			if (ok) {
				EXPECT_GE(length, file.size() - 2) << "truncated at " << length << " still parsed";
			}
			const LoadedMesh loaded(truncated);
			EXPECT_EQ(SUCCEEDED(loaded.result), ok);
			EXPECT_EQ(loaded.mesh != nullptr, ok);
		}
	}
}

TEST(MalformedXFile, HugeCountsAreCheckedAgainstTheBytesLeft) {
	EXPECT_NE(ReasonFor("xof 0303txt 0032 Mesh { 4000000000; 0;0;0;; 1; 3;0,0,0;; }").find("vertices"),
	          std::string::npos);
	ReasonFor("xof 0303txt 0032 Mesh { 1000000; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }");
	ReasonFor("xof 0303txt 0032 Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 99999999; 3;0,1,2;; }");
	ReasonFor("xof 0303txt 0032 Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 4000000;0,1,2;; }");
	ReasonFor("xof 0303txt 0032 Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; MeshNormals { 900000000; 0;0;1;; } }");

	// Binary: a list that claims more elements than the file holds.
	xsamples::BinaryXFile binary;
	binary.Name("Mesh").Open().Word(6).Dword(0x40000000u).Dword(3);
	std::string why;
	EXPECT_FALSE(Parses(binary.bytes, why));
	EXPECT_NE(why.find("past the end"), std::string::npos) << why;
}

TEST(MalformedXFile, IndicesOutOfRangeAreRefused) {
	ReasonFor("xof 0303txt 0032 Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,3;; }");
	ReasonFor("xof 0303txt 0032 Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,-1;; }");
	ReasonFor("xof 0303txt 0032 Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;"
	          " MeshNormals { 1; 0;0;1;; 1; 3;0,0,1;; } }");
	ReasonFor("xof 0303txt 0032 Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;"
	          " MeshMaterialList { 1; 1; 1;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } } }");
	// A normal face with another corner count than its face.
	ReasonFor("xof 0303txt 0032 Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;"
	          " MeshNormals { 1; 0;0;1;; 1; 4;0,0,0,0;; } }");
	// Texture coordinates for fewer vertices than the mesh has.
	ReasonFor("xof 0303txt 0032 Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; MeshTextureCoords { 2; 0;0;, 1;1;; } }");
	// A material list naming more materials than it holds, or an unknown one.
	ReasonFor("xof 0303txt 0032 Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; MeshMaterialList { 2; 1; 1;; } }");
	ReasonFor("xof 0303txt 0032 Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; MeshMaterialList { 1; 1; 0;; { Nowhere } } }");
	// Faces of fewer than three corners and non-finite numbers.
	ReasonFor("xof 0303txt 0032 Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 2;0,1;; }");
	ReasonFor("xof 0303txt 0064 Mesh { 3; 0;0;0;, 1e999;0;0;, 0;1;0;; 1; 3;0,1,2;; }");
}

TEST(MalformedXFile, NestingDepthIsBounded) {
	std::string why;
	EXPECT_TRUE(Parses(Bytes(NestedFrames(60)), why)) << why;
	EXPECT_FALSE(Parses(Bytes(NestedFrames(100)), why));
	EXPECT_NE(why.find("deep"), std::string::npos) << why;
	// Skipped objects are bounded too, and a flood of braces cannot recurse.
	EXPECT_FALSE(Parses(Bytes("xof 0303txt 0032 Unknown " + std::string(200000, '{')), why));
	EXPECT_NE(why.find("deep"), std::string::npos) << why;
}

TEST(MalformedXFile, BadHeadersAndTokensAreRefused) {
	ReasonFor("");
	ReasonFor("xof 0303txt");
	ReasonFor("xof 0303tzip0032 whatever");
	ReasonFor("xof 0303txt 0016 Mesh { }");
	ReasonFor("xof 0303txt 0032 Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; } TextureFilename { \"open");
	ReasonFor("xof 0303txt 0032 Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; } Name " + std::string(10000, 'a'));
	ReasonFor("xof 0303txt 0032 Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; } @");
	ReasonFor("xof 0303txt 0032 Mesh { 3; 0;0;0;, 1.2.3;0;0;, 0;1;0;; 1; 3;0,1,2;; }");
	// A file with only templates holds no mesh.
	EXPECT_NE(ReasonFor("xof 0303txt 0032 template A { <0-0-0-0-0> DWORD x; }").find("no mesh"), std::string::npos);
	// Binary: unknown token codes and strings without their terminator.
	xsamples::BinaryXFile unknown;
	unknown.Word(999);
	std::string why;
	EXPECT_FALSE(Parses(unknown.bytes, why));
	xsamples::BinaryXFile unterminated;
	unterminated.Name("Material").Open().Word(2).Dword(3).Word('a').Word('b');
	EXPECT_FALSE(Parses(unterminated.bytes, why));
}

TEST(MalformedXFile, RandomGarbageNeverCrashes) {
	std::mt19937 random(1234);
	const std::vector<uint8_t> good = xsamples::QuadAndTriangleBinary(false);
	int refused = 0;
	for (int round = 0; round < 400; ++round) {
		std::vector<uint8_t> file = good;
		if (round % 2 == 0) {
			// Garbage after a valid header.
			file.resize(16 + random() % 400);
			for (size_t i = 16; i < file.size(); ++i) {
				file[i] = uint8_t(random());
			}
		} else {
			// A good file with a few bytes flipped.
			for (int flips = 0; flips < 4; ++flips) {
				file[16 + random() % (file.size() - 16)] = uint8_t(random());
			}
		}
		const LoadedMesh loaded(file);
		if (FAILED(loaded.result)) {
			++refused;
			EXPECT_EQ(loaded.mesh, nullptr);
		} else {
			ASSERT_NE(loaded.mesh, nullptr);
			// Whatever was accepted is internally consistent.
			for (uint32_t index : loaded.Indices()) {
				EXPECT_LT(index, loaded.mesh->GetNumVertices());
			}
		}
	}
	// Pure garbage must never pass as a mesh.
	EXPECT_GE(refused, 200);
}

TEST(MalformedXFile, BrokenCompressedFilesAreRefusedWithAReason) {
	// Layout: header, inflated size at 16, then the first block's inflated
	// size at 20, its packed size at 22, "CK" at 24 and DEFLATE data from 26.
	const std::vector<uint8_t> good = xsamples::Mszip(Bytes(xsamples::QUAD_AND_TRIANGLE), 64);
	std::string why;
	ASSERT_TRUE(Parses(good, why)) << why;
	for (size_t length = 0; length < good.size(); ++length) {
		EXPECT_FALSE(Parses(std::vector<uint8_t>(good.begin(), good.begin() + length), why)) << length;
	}
	const auto reason = [&](size_t offset, std::initializer_list<uint8_t> bytes) {
		std::vector<uint8_t> file = good;
		std::copy(bytes.begin(), bytes.end(), file.begin() + offset);
		std::string reason;
		EXPECT_FALSE(Parses(file, reason)) << offset;
		return reason;
	};
	const uint32_t size = uint32_t(std::strlen(xsamples::QUAD_AND_TRIANGLE));
	const uint32_t more = size + 1, less = size - 1;
	EXPECT_NE(reason(16, {0xFF, 0xFF, 0xFF, 0xFF}).find("limit"), std::string::npos);
	EXPECT_NE(reason(16, {8, 0, 0, 0}).find("smaller than its header"), std::string::npos);
	EXPECT_NE(reason(16, {uint8_t(more), uint8_t(more >> 8), 0, 0}).find("ends before"), std::string::npos);
	EXPECT_NE(reason(16, {uint8_t(less), uint8_t(less >> 8), 0, 0}).find("disagrees"), std::string::npos);
	EXPECT_NE(reason(24, {'C', 'J'}).find("CK"), std::string::npos);
	EXPECT_NE(reason(22, {0xFF, 0xFF}).find("past the end"), std::string::npos);
	EXPECT_NE(reason(20, {65, 0}).find("less than"), std::string::npos);
	EXPECT_NE(reason(20, {63, 0}).find("more than"), std::string::npos);
	// Block type 3 does not exist in DEFLATE.
	EXPECT_NE(reason(26, {uint8_t(good[26] | 0x06)}).find("corrupt"), std::string::npos);
}

TEST(MalformedXFile, FailedInflationKeepsNothing) {
	// Two whole blocks, then the file stops short of its stated size.
	const std::vector<uint8_t> file = xsamples::Mszip(Bytes(xsamples::QUAD_AND_TRIANGLE), 64);
	const size_t afterFirst = 20 + 4 + (file[22] | (file[23] << 8));
	const size_t afterSecond = afterFirst + 4 + (file[afterFirst + 2] | (file[afterFirst + 3] << 8));
	const std::span<const uint8_t> body(file.data() + 16, afterSecond - 16);
	std::vector<uint8_t> inflated = {1, 2, 3};
	std::string why;
	EXPECT_FALSE(XFileDecompressor(1u << 20).Inflate(body, inflated, why));
	EXPECT_NE(why.find("ends before"), std::string::npos) << why;
	EXPECT_TRUE(inflated.empty());
	ASSERT_TRUE(XFileDecompressor(1u << 20).Inflate(std::span<const uint8_t>(file).subspan(16), inflated, why)) << why;
	EXPECT_EQ(Bytes(std::string(xsamples::QUAD_AND_TRIANGLE).substr(16)), inflated);
}

TEST(MalformedXFile, DamagedCompressedFilesNeverCrash) {
	std::mt19937 random(99);
	const std::vector<uint8_t> good = xsamples::Mszip(xsamples::QuadAndTriangleBinary(false), 40);
	for (int round = 0; round < 300; ++round) {
		std::vector<uint8_t> file = good;
		for (int flips = 0; flips < 3; ++flips) {
			file[16 + random() % (file.size() - 16)] = uint8_t(random());
		}
		const LoadedMesh loaded(file);
		if (SUCCEEDED(loaded.result)) {
			ASSERT_NE(loaded.mesh, nullptr);
			for (uint32_t index : loaded.Indices()) {
				EXPECT_LT(index, loaded.mesh->GetNumVertices());
			}
		} else {
			EXPECT_EQ(loaded.mesh, nullptr);
		}
	}
}
