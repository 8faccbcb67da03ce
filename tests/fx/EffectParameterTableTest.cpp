#include "platform/fx/EffectParameterTable.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Counts references so the table's AddRef/Release pairing can be checked.
class CountedTexture : public IDirect3DBaseTexture9 {
public:
	ULONG AddRef() override { return ++references; }
	ULONG Release() override { return --references; }
	HRESULT GetDevice(IDirect3DDevice9** device) override {
		*device = nullptr;
		return E_NOTIMPL;
	}
	D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
	DWORD GetLevelCount() override { return 1; }

	ULONG references = 1;
};

std::vector<EffectParameterDecl> Declarations() {
	std::vector<EffectParameterDecl> declarations(5);
	declarations[0].name = "LightDir";
	declarations[0].type = EffectParameterType::Float4;
	declarations[0].initial = {0, 0, 0, 7};
	declarations[1].name = "mW";
	declarations[1].type = EffectParameterType::Float4x4;
	declarations[2].name = "Size";
	declarations[2].type = EffectParameterType::Float;
	declarations[3].name = "Tex";
	declarations[3].type = EffectParameterType::Texture;
	declarations[4].name = "Pos";
	declarations[4].type = EffectParameterType::Float3;
	return declarations;
}

}  // namespace

TEST(EffectParameterTable, TwelveByteValueSetsXyzAndKeepsW) {
	EffectParameterTable table(Declarations());
	const float direction[3] = {1, 2, 3};
	ASSERT_EQ(table.SetValue("LightDir", direction, 12), S_OK);
	const auto& value = table.At(0).value;
	EXPECT_EQ(value[0], 1.0f);
	EXPECT_EQ(value[1], 2.0f);
	EXPECT_EQ(value[2], 3.0f);
	EXPECT_EQ(value[3], 7.0f) << "the declared initial w stays";
}

TEST(EffectParameterTable, RefusesValuesLargerThanTheParameter) {
	EffectParameterTable table(Declarations());
	const float five[5] = {1, 2, 3, 4, 5};
	EXPECT_EQ(table.SetValue("LightDir", five, 20), D3DERR_INVALIDCALL);
	EXPECT_EQ(table.SetValue("Pos", five, 16), D3DERR_INVALIDCALL);
	EXPECT_EQ(table.SetValue("Size", five, 0), D3DERR_INVALIDCALL);
	EXPECT_EQ(table.SetValue("Tex", five, 4), D3DERR_INVALIDCALL);
	EXPECT_EQ(table.At(0).value[0], 0.0f);
	EXPECT_EQ(table.At(4).value[0], 0.0f);
	EXPECT_EQ(table.SetValue("Pos", five, 12), S_OK);
	EXPECT_EQ(table.At(4).value[2], 3.0f);
}

TEST(EffectParameterTable, UnknownNamesAndWrongKindsChangeNothing) {
	EffectParameterTable table(Declarations());
	const uint64_t serial = table.At(1).serial;
	D3DXMATRIX identity;
	D3DXMatrixIdentity(&identity);
	const D3DXVECTOR4 vector(1, 2, 3, 4);
	EXPECT_EQ(table.SetMatrix("mWorld", &identity), D3DERR_INVALIDCALL);
	EXPECT_EQ(table.SetMatrix(nullptr, &identity), D3DERR_INVALIDCALL);
	EXPECT_EQ(table.SetMatrix("LightDir", &identity), D3DERR_INVALIDCALL);
	EXPECT_EQ(table.SetVector("mW", &vector), D3DERR_INVALIDCALL);
	EXPECT_EQ(table.SetFloat("mW", 1.0f), D3DERR_INVALIDCALL);
	EXPECT_EQ(table.SetVector("Tex", &vector), D3DERR_INVALIDCALL);
	EXPECT_EQ(table.SetVector("Missing", &vector), D3DERR_INVALIDCALL);
	EXPECT_EQ(table.SetMatrix("mW", nullptr), D3DERR_INVALIDCALL);
	EXPECT_EQ(table.At(1).serial, serial);
	EXPECT_EQ(table.At(0).value[0], 0.0f);
}

TEST(EffectParameterTable, VectorsFillWhatFitsAndMatricesKeepTheirLayout) {
	EffectParameterTable table(Declarations());
	const D3DXVECTOR4 vector(1, 2, 3, 4);
	ASSERT_EQ(table.SetVector("Pos", &vector), S_OK);
	EXPECT_EQ(table.At(4).value[2], 3.0f);
	EXPECT_EQ(table.At(4).value[3], 0.0f);
	ASSERT_EQ(table.SetVector("Size", &vector), S_OK);
	EXPECT_EQ(table.At(2).value[0], 1.0f);
	ASSERT_EQ(table.SetFloat("LightDir", 9.0f), S_OK);
	EXPECT_EQ(table.At(0).value[0], 9.0f);

	D3DXMATRIX translation;
	D3DXMatrixTranslation(&translation, 5, 6, 7);
	ASSERT_EQ(table.SetMatrix("mW", &translation), S_OK);
	EXPECT_EQ(table.At(1).value[12], 5.0f) << "row-major: translation in elements 12..14";
	EXPECT_EQ(table.At(1).value[14], 7.0f);
}

TEST(EffectParameterTable, HandlesAreFoundByPointerAndEveryChangeIsNewer) {
	EffectParameterTable table(Declarations());
	const D3DXHANDLE handle = table.HandleOf(2);
	EXPECT_EQ(table.Find(handle), 2);
	EXPECT_EQ(table.Find("Size"), 2);
	EXPECT_EQ(table.Find("size"), -1);
	const uint64_t before = table.At(2).serial;
	ASSERT_EQ(table.SetFloat(handle, 0.5f), S_OK);
	const uint64_t after = table.At(2).serial;
	EXPECT_GT(after, before);
	ASSERT_EQ(table.SetFloat("LightDir", 0.5f), S_OK);
	EXPECT_GT(table.At(0).serial, after);
}

TEST(EffectParameterTable, ANameBufferRewrittenWithAnotherNameFindsTheNewName) {
	EffectParameterTable table(Declarations());
	char name[16] = "Size";
	EXPECT_EQ(table.Find(name), 2);
	EXPECT_EQ(table.Find(name), 2);
	std::strcpy(name, "Pos");
	EXPECT_EQ(table.Find(name), 4) << "the same pointer now names another parameter";
	std::strcpy(name, "Missing");
	EXPECT_EQ(table.Find(name), -1);
	std::strcpy(name, "Size");
	ASSERT_EQ(table.SetFloat(name, 0.25f), S_OK);
	EXPECT_EQ(table.At(2).value[0], 0.25f);
}

TEST(EffectParameterTable, HoldsOneReferencePerBoundTexture) {
	CountedTexture first;
	CountedTexture second;
	{
		EffectParameterTable table(Declarations());
		ASSERT_EQ(table.SetTexture("Tex", &first), S_OK);
		EXPECT_EQ(first.references, 2u);
		ASSERT_EQ(table.SetTexture("Tex", &first), S_OK);
		EXPECT_EQ(first.references, 2u);
		ASSERT_EQ(table.SetTexture("Tex", &second), S_OK);
		EXPECT_EQ(first.references, 1u);
		EXPECT_EQ(second.references, 2u);
		EXPECT_EQ(table.SetTexture("Size", &first), D3DERR_INVALIDCALL);
		EXPECT_EQ(first.references, 1u);
		ASSERT_EQ(table.SetTexture("Tex", nullptr), S_OK);
		EXPECT_EQ(second.references, 1u);
		EXPECT_EQ(table.At(3).texture, nullptr);
		ASSERT_EQ(table.SetTexture("Tex", &second), S_OK);
	}
	EXPECT_EQ(second.references, 1u) << "the table lets go when destroyed";
}
