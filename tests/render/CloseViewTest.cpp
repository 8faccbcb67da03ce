// Close views of the game's own models drawn the way the battle draws them:
// shadow pass, toon pass with the glow target bound, outlines on enemy
// parts, then the blurred glow added over the picture. With
// VORTANE_SHOT_DIR set the pictures are also written there as PNGs.

#include "render/BlurFilter.h"
#include "render/ModelShader.h"
#include "render/ModelTable.h"
#include "render/ShadowMap.h"
#include "tests/render/RenderTestSupport.h"

#include "platform/image/Image.h"

#include <cmath>
#include <cstdlib>
#include <map>

namespace {

constexpr float DEGREE = 0.017453f;
const D3DCOLOR BACKGROUND = 0xFF000032;

D3DXMATRIX T(float x, float y, float z) {
	D3DXMATRIX m;
	return *D3DXMatrixTranslation(&m, x, y, z);
}
D3DXMATRIX RX(float a) {
	D3DXMATRIX m;
	return *D3DXMatrixRotationX(&m, a);
}
D3DXMATRIX RY(float a) {
	D3DXMATRIX m;
	return *D3DXMatrixRotationY(&m, a);
}
D3DXMATRIX RZ(float a) {
	D3DXMATRIX m;
	return *D3DXMatrixRotationZ(&m, a);
}
D3DXMATRIX Identity() {
	D3DXMATRIX m;
	return *D3DXMatrixIdentity(&m);
}

struct PlacedPart {
	int slot;
	D3DXMATRIX matrix;
};

// The robot standing idle at the origin, its aim pitched by 25 degrees: the
// part chain of the robot's pose code.
std::vector<PlacedPart> RobotAtRest() {
	const float aim = 25;
	const D3DXMATRIX world = Identity();
	const D3DXMATRIX underBody = T(0, -3.5f, 0) * world;
	const D3DXMATRIX backPack = T(0, 0, -2) * world;
	const D3DXMATRIX shoulderLeft = RX(-aim * DEGREE) * T(-2, 0.5f, -0.5f) * world;
	const D3DXMATRIX upperArmLeft = RZ(1.57077f) * T(-0.5f, 0, 0) * shoulderLeft;
	const D3DXMATRIX shoulderRight = RX(aim * DEGREE) * RY(3.14154f) * T(2, 0.5f, -0.5f) * world;
	const D3DXMATRIX upperArmRight = RZ(1.57077f) * RY(-0.017453f) * T(-0.5f, 0, 0) * shoulderRight;
	const D3DXMATRIX thighLeft = RZ(-0.087265f) * T(-1.2f, -1.5f, 0) * underBody;
	const D3DXMATRIX thighRight = RZ(0.087265f) * T(1.2f, -1.5f, 0) * underBody;
	return {
	    {MODEL_ROBOT_BODY, world},
	    {MODEL_ROBOT_UNDER_BODY, underBody},
	    {MODEL_ROBOT_BACKPACK, backPack},
	    {MODEL_ROBOT_VERNIER, T(0.5f, -1.2f, -0.7f) * backPack},
	    {MODEL_ROBOT_VERNIER, T(-0.5f, -1.2f, -0.7f) * backPack},
	    {MODEL_ROBOT_LEFT_SHOULDER, shoulderLeft},
	    {MODEL_ROBOT_UPPER_ARM, upperArmLeft},
	    {MODEL_ROBOT_RIGHT_LOWER_ARM, RY(1.13444f) * T(-2.65f, 0, 0) * upperArmLeft},
	    {MODEL_ROBOT_RIGHT_SHOULDER, shoulderRight},
	    {MODEL_ROBOT_UPPER_ARM, upperArmRight},
	    {MODEL_ROBOT_LEFT_LOWER_ARM, RY(-1.13444f) * T(-2.65f, 0, 0) * upperArmRight},
	    {MODEL_ROBOT_PLASMA, RX(-25 * DEGREE) * shoulderRight},
	    {MODEL_ROBOT_UPPER_LEG, thighLeft},
	    {MODEL_ROBOT_LOWER_LEG, T(0, -3.5f, 0) * thighLeft},
	    {MODEL_ROBOT_UPPER_LEG, thighRight},
	    {MODEL_ROBOT_LOWER_LEG, T(0, -3.5f, 0) * thighRight},
	};
}

std::vector<PlacedPart> WalkerAtRest() {
	const D3DXMATRIX world = Identity();
	const D3DXMATRIX leftUpper = T(3.2f, -5.0f, 1.5f) * world;
	const D3DXMATRIX rightUpper = T(-3.2f, -5.0f, 1.5f) * world;
	return {
	    {MODEL_WALKER_BODY, world},
	    {MODEL_WALKER_LEFT_UPPER, leftUpper},
	    {MODEL_WALKER_RIGHT_UPPER, rightUpper},
	    {MODEL_WALKER_LEFT_LOWER, T(1.0f, -3.4f, 1.2f) * leftUpper},
	    {MODEL_WALKER_RIGHT_LOWER, T(-1.0f, -3.4f, 1.2f) * rightUpper},
	};
}

struct Bounds {
	D3DXVECTOR3 low{1e9f, 1e9f, 1e9f};
	D3DXVECTOR3 high{-1e9f, -1e9f, -1e9f};
	D3DXVECTOR3 Centre() const { return 0.5f * (low + high); }
	float Radius() const {
		const D3DXVECTOR3 size = high - low;
		return 0.5f * D3DXVec3Length(&size);
	}
};

void AddToBounds(const Model& model, const D3DXMATRIX& matrix, Bounds& bounds) {
	void* data = nullptr;
	if (model.mesh == nullptr || FAILED(model.mesh->LockVertexBuffer(0, &data))) {
		return;
	}
	const DWORD stride = model.mesh->GetNumBytesPerVertex();
	for (DWORD i = 0; i < model.mesh->GetNumVertices(); ++i) {
		const float* p = reinterpret_cast<const float*>(static_cast<const uint8_t*>(data) + size_t(i) * stride);
		D3DXVECTOR3 world;
		const D3DXVECTOR3 local(p[0], p[1], p[2]);
		D3DXVec3TransformCoord(&world, &local, &matrix);
		bounds.low = D3DXVECTOR3(std::min(bounds.low.x, world.x), std::min(bounds.low.y, world.y),
		                         std::min(bounds.low.z, world.z));
		bounds.high = D3DXVECTOR3(std::max(bounds.high.x, world.x), std::max(bounds.high.y, world.y),
		                          std::max(bounds.high.z, world.z));
	}
	model.mesh->UnlockVertexBuffer();
}

struct Shot {
	RenderImage image;
	size_t outlinePixels = 0;   // close to the enemy outline colour
	size_t modelPixels = 0;     // anything but the background
	size_t glowingPixels = 0;   // lifted by the glow composite
};

class CloseViewTest : public RenderTest {
protected:
	void SetUp() override {
		RenderTest::SetUp();
		UseBattleLight();
		modelShader.Init();
		blurFilter.Init();
		shadowMap.Init();
		ASSERT_NE(modelShader.effect, nullptr);
		ASSERT_NE(blurFilter.effect, nullptr);
		ASSERT_TRUE(shadowMap.IsReady());
		ASSERT_TRUE(glowTarget.Create(1280, 720, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT));
		table.LoadAll();
		ASSERT_TRUE(floor.Load(WriteFile("floor.x", QuadXFile({PlainMaterial(0.55f, 0.57f, 0.6f)}))));
	}

	void TearDown() override {
		table.ReleaseAll();
		floor.Release();
		glowTarget.Release();
		shadowMap.Release();
		blurFilter.Release();
		modelShader.Release();
		RenderTest::TearDown();
	}

	// Frames the parts from the given direction (pointing from the camera
	// to the model) and draws them as the battle does.
	Shot Draw(const std::vector<PlacedPart>& parts, bool outlined, D3DXVECTOR3 viewDirection, float zoom = 1.0f,
	          bool onFloor = false) {
		Bounds bounds;
		for (const PlacedPart& part : parts) {
			AddToBounds(table[part.slot], part.matrix, bounds);
		}
		D3DXVec3Normalize(&viewDirection, &viewDirection);
		const D3DXVECTOR3 centre = bounds.Centre();
		const float distance = bounds.Radius() / std::tan(30 * DEGREE) * 1.05f / zoom;
		const D3DXVECTOR3 eye = centre - distance * viewDirection;
		const D3DXVECTOR3 up(0, 1, 0);
		D3DXMATRIX view, projection, inverseView;
		D3DXMatrixLookAtLH(&view, &eye, &centre, &up);
		D3DXMatrixPerspectiveFovLH(&projection, 1.0471976f, 1280.0f / 720.0f, 0.01f, 1000.0f);
		D3DXMatrixInverse(&inverseView, nullptr, &view);

		IDirect3DDevice9* device = Device();
		device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, BACKGROUND, 1.0f, 0);
		glowTarget.SetAsRenderTarget(0);
		device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
		device->SetRenderTarget(0, Graphics().backBuffer);
		device->BeginScene();

		D3DLIGHT9 light{};
		Graphics().GetLight(&light, 0);
		ID3DXEffect* effect = modelShader.effect;
		effect->SetMatrix("mV", &view);
		effect->SetMatrix("mP", &projection);
		const D3DXVECTOR4 lightDir(light.Direction, light.Range);
		const D3DXVECTOR4 diffuse(light.Diffuse.r, light.Diffuse.g, light.Diffuse.b, light.Diffuse.a);
		const D3DXVECTOR4 ambient(light.Ambient.r, light.Ambient.g, light.Ambient.b, light.Ambient.a);
		const D3DXVECTOR4 specular(light.Specular.r, light.Specular.g, light.Specular.b, light.Specular.a);
		const D3DXVECTOR4 camera(inverseView(3, 0), inverseView(3, 1), inverseView(3, 2), 1.0f);
		effect->SetVector("LightDir", &lightDir);
		effect->SetVector("LightColor", &diffuse);
		effect->SetVector("LightAmbient", &ambient);
		effect->SetVector("LightSpecular", &specular);
		effect->SetVector("CamPos", &camera);
		glowTarget.SetAsRenderTarget(1);

		shadowMap.Begin(centre - 30.0f * D3DXVECTOR3(light.Direction));
		for (const PlacedPart& part : parts) {
			shadowMap.SetWorld(part.matrix);
			shadowMap.DrawModel(table[part.slot]);
		}
		shadowMap.End();
		effect->SetMatrix("mLightVP", &shadowMap.lightViewProjection);
		effect->SetTexture("ShadowTex", shadowMap.shadowTexture.texture);

		if (onFloor) {
			// A grey ground under the lowest point, to catch the shadow.
			D3DXMATRIX floorWorld = RX(1.5707963f);
			D3DXMATRIX scale;
			D3DXMatrixScaling(&scale, 40, 40, 40);
			floorWorld = scale * floorWorld * T(centre.x, bounds.low.y, centre.z);
			modelShader.SetWorld(floorWorld);
			modelShader.DrawModel(floor);
		}
		for (const PlacedPart& part : parts) {
			modelShader.SetWorld(part.matrix);
			modelShader.DrawModel(table[part.slot]);
			if (outlined) {
				modelShader.DrawOutline(table[part.slot], ENEMY_OUTLINE_SIZE, ENEMY_OUTLINE_COLOR);
			}
		}
		device->SetRenderTarget(0, Graphics().backBuffer);
		for (DWORD i = 1; i < 4; ++i) {
			device->SetRenderTarget(i, nullptr);
		}

		Shot shot;
		RenderImage before;
		EXPECT_TRUE(before.Read(Graphics().backBuffer));

		blurFilter.Blur(glowTarget);
		device->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_ADD);
		device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
		device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
		const float twice[4] = {2, 2, 2, 2};
		blurFilter.DrawNormal(blurFilter.resultTarget, 0, 0, 1280, 720, twice);
		device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
		device->EndScene();

		EXPECT_TRUE(shot.image.Read(Graphics().backBuffer));
		for (UINT y = 0; y < shot.image.Height(); ++y) {
			for (UINT x = 0; x < shot.image.Width(); ++x) {
				const Rgba p = before.At(x, y);
				shot.modelPixels += (p.r != 0x00 || p.g != 0x00 || p.b != 0x32) ? 1 : 0;
				shot.outlinePixels += (std::abs(int(p.r) - 179) < 12 && p.g < 12 && p.b < 12) ? 1 : 0;
				shot.glowingPixels += shot.image.At(x, y).Brightness() > p.Brightness() + 30 ? 1 : 0;
			}
		}
		return shot;
	}

	void Save(const Shot& shot, const std::string& name) {
		const char* folder = std::getenv("VORTANE_SHOT_DIR");
		if (folder == nullptr || *folder == '\0') {
			return;
		}
		std::filesystem::create_directories(folder);
		std::string why;
		const std::string path = std::string(folder) + "/" + name;
		EXPECT_TRUE(WritePngFile(path, shot.image.Width(), shot.image.Height(), shot.image.Bytes().data(), why)) << why;
	}

	ModelShader modelShader;
	BlurFilter blurFilter;
	ShadowMap shadowMap;
	Texture glowTarget;
	ModelTable table;
	Model floor;
};

TEST_F(CloseViewTest, AnEnemyPartIsOutlinedInDarkRed) {
	const std::vector<PlacedPart> body = {{MODEL_WALKER_BODY, Identity()}};
	const Shot shot = Draw(body, true, D3DXVECTOR3(0.6f, -0.35f, 1.0f), 1.6f);
	Save(shot, "walker_body_outlined.png");
	EXPECT_GT(shot.modelPixels, 1280u * 720u / 8);
	EXPECT_GT(shot.outlinePixels, 1500u);
	// The enemies' red lights glow.
	EXPECT_GT(shot.glowingPixels, 200u);
}

TEST_F(CloseViewTest, TheWholeWalkerIsOutlined) {
	const Shot shot = Draw(WalkerAtRest(), true, D3DXVECTOR3(-0.7f, -0.3f, 1.0f), 1.1f);
	Save(shot, "walker_outlined.png");
	EXPECT_GT(shot.outlinePixels, 1500u);
}

TEST_F(CloseViewTest, TheWalkerShadowsTheGroundBelowIt) {
	const Shot plain = Draw(WalkerAtRest(), true, D3DXVECTOR3(0.3f, -0.8f, 1.0f), 0.8f, true);
	Save(plain, "walker_on_floor.png");
	EXPECT_GT(plain.outlinePixels, 500u);
	// The ground is the picture's most common colour; its shadowed part is
	// clearly darker than that and still not black.
	std::map<int, size_t> brightness;
	for (UINT y = 0; y < 720; y += 2) {
		for (UINT x = 0; x < 1280; x += 2) {
			++brightness[plain.image.At(x, y).Brightness() / 8];
		}
	}
	int ground = 0;
	size_t most = 0;
	for (const auto& [level, count] : brightness) {
		if (count > most) {
			most = count;
			ground = level;
		}
	}
	size_t shaded = 0;
	for (const auto& [level, count] : brightness) {
		if (level * 10 < ground * 8 && level > 3) {
			shaded += count;
		}
	}
	EXPECT_GT(shaded, 2000u);
}

TEST_F(CloseViewTest, TheRobotIsToonShadedWithoutOutline) {
	const Shot front = Draw(RobotAtRest(), false, D3DXVECTOR3(-0.6f, -0.3f, -1.0f), 1.1f);
	Save(front, "robot_front.png");
	const Shot back = Draw(RobotAtRest(), false, D3DXVECTOR3(0.5f, -0.45f, 1.0f), 1.1f);
	Save(back, "robot_back.png");
	for (const Shot* shot : {&front, &back}) {
		EXPECT_GT(shot->modelPixels, 1280u * 720u / 16);
		EXPECT_LT(shot->outlinePixels, shot->modelPixels / 200);
	}
	// Its blue lights glow.
	EXPECT_GT(front.glowingPixels + back.glowingPixels, 200u);
}

}  // namespace
