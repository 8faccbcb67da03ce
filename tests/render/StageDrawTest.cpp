// The map and the lift draw through the hub's model shader with their own
// world matrices and without outline.

#include "app/Application.h"
#include "render/MapModel.h"
#include "render/StageObject.h"
#include "tests/render/RenderTestSupport.h"

namespace {

class StageDrawTest : public RenderTest {
protected:
	void SetUp() override {
		RenderTest::SetUp();
		Application::Get().modelShader.Init();
		ASSERT_NE(Application::Get().modelShader.effect, nullptr);
		recorder = Record(Application::Get().modelShader.effect);
	}
	void TearDown() override {
		Application::Get().modelShader.Release();
		RenderTest::TearDown();
	}

	std::vector<std::string> Techniques() const {
		std::vector<std::string> names;
		for (const RecordingEffect::Call& call : recorder->Calls("SetTechnique")) {
			names.push_back(call.name);
		}
		return names;
	}

	RecordingEffect* recorder = nullptr;
};

TEST_F(StageDrawTest, TheMapDrawsEverySubsetWithItsWorldMatrix) {
	MapModel map;
	ASSERT_TRUE(map.Load("data/map/Map_01.x"));
	D3DXMatrixScaling(&map.world, 5, 5, 5);
	map.Draw();
	const std::vector<RecordingEffect::Call> matrices = recorder->Calls("SetMatrix");
	ASSERT_EQ(matrices.size(), 1u);
	EXPECT_EQ(matrices[0].name, "mW");
	EXPECT_FLOAT_EQ(matrices[0].matrix(0, 0), 5.0f);
	EXPECT_FLOAT_EQ(matrices[0].matrix(2, 2), 5.0f);
	EXPECT_EQ(Techniques(), std::vector<std::string>{"Tech"});
	EXPECT_EQ(recorder->Calls("CommitChanges").size(), map.model.materialCount);
}

TEST_F(StageDrawTest, TheLiftDrawsWithoutOutline) {
	StageObject* lift = StageObject::Create("data/Object/Lift.x");
	D3DXMatrixTranslation(&lift->world, 815, 105, 2158);
	lift->Draw();
	EXPECT_EQ(Techniques(), std::vector<std::string>{"Tech"});
	ASSERT_FALSE(recorder->Calls("SetMatrix").empty());
	EXPECT_EQ(recorder->Calls("SetMatrix")[0].name, "mW");
	EXPECT_FLOAT_EQ(recorder->Calls("SetMatrix")[0].matrix(3, 0), 815.0f);
	EXPECT_FLOAT_EQ(recorder->Calls("SetMatrix")[0].matrix(3, 2), 2158.0f);
	EXPECT_EQ(recorder->Calls("CommitChanges").size(), lift->model.materialCount);
	lift->Release();
	delete lift;
}

TEST_F(StageDrawTest, AnEmptyMapDrawsNoSubset) {
	MapModel map;
	map.Draw();
	EXPECT_TRUE(recorder->Calls("CommitChanges").empty());
}

}  // namespace

namespace {

TEST_F(StageDrawTest, WithoutAModelShaderTheStageIsSkipped) {
	StageObject* lift = StageObject::Create("data/Object/Lift.x");
	SafeRelease(Application::Get().modelShader.effect);
	lift->Draw();
	MapModel map;
	map.Draw();
	EXPECT_EQ(Application::Get().modelShader.effect, nullptr);
	lift->Release();
	delete lift;
}

}  // namespace
