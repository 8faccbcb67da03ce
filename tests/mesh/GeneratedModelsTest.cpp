// Every X file the asset generator wrote beside the executable loads, and
// the textures its materials name are found in the file's own folder.

#include "platform/mesh/D3DX9Mesh.h"
#include "platform/system/DataPath.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

TEST(GeneratedModels, EveryXFileLoadsWithItsTextures) {
	const fs::path data = fs::path(DataRoot()) / "data";
	std::error_code error;
	if (!fs::is_directory(data, error)) {
		GTEST_SKIP() << "no generated data beside the executable";
	}
	size_t files = 0;
	for (fs::recursive_directory_iterator it(data, error), end; !error && it != end; it.increment(error)) {
		if (it->path().extension() != ".x") {
			continue;
		}
		++files;
		const std::string relative = fs::relative(it->path(), DataRoot()).string();
		ID3DXMesh* mesh = nullptr;
		ID3DXBuffer* materials = nullptr;
		DWORD count = 0;
		ASSERT_EQ(D3DXLoadMeshFromXA(relative.c_str(), D3DXMESH_MANAGED, nullptr, nullptr, &materials, nullptr, &count,
		                             &mesh),
		          S_OK)
			<< relative;
		EXPECT_GT(mesh->GetNumFaces(), 0u) << relative;
		const auto* entries = static_cast<const D3DXMATERIAL*>(materials->GetBufferPointer());
		const std::string folder = relative.substr(0, relative.find_last_of('/') + 1);
		for (DWORD i = 0; i < count; ++i) {
			if (entries[i].pTextureFilename != nullptr) {
				EXPECT_TRUE(fs::exists(ResolveDataPath(folder + entries[i].pTextureFilename)))
					<< relative << " names " << entries[i].pTextureFilename;
			}
		}
		materials->Release();
		mesh->Release();
	}
	EXPECT_GT(files, 0u);
}
