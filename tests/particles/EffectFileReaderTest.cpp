#include "ParticleTestSupport.h"
#include "particles/EffectFileReader.h"
#include "particles/ParticleRandom.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace particles;
using namespace particles_test;

namespace {

constexpr const char* FULL_EFFECT = R"(vortane-particles 1
# a comment line
node Core
	renderer sprite
	blend alpha
	billboard yaxis
	texture Smoke.png
	count 12
	rate 1.5
	delay 3
	life 20 40
	shape sphere 1 2 outward 0.5 0.75
	position -1 0 -1 1 2 1
	velocity 0 1 0
	acceleration 0 -0.1 0
	drag 0.05
	follow instance
	size 3 4
	scale 1 2 easeout
	aspect 0.5
	stretch 2
	rotation 0 360
	spin -5 5
	color 1 0.5 0 1 1 1 0 1
	colorend 0 0 0 0
	fade 2 10   # trailing comment
node Shock
	renderer ring
	billboard fixed
	ring 32 0.8 1
node Core2
	renderer model
	model Beam.x
)";

bool ReadText(const std::string& text, EffectDefinition& definition, std::string& error) {
	EffectFileReader reader("fx.efk");
	const std::vector<uint8_t> bytes = Bytes(text);
	const bool ok = reader.Read(bytes, definition);
	error = reader.Error();
	return ok;
}

void ExpectFailure(const std::string& text, int line, const std::string& reason) {
	EffectDefinition definition;
	std::string error;
	EXPECT_FALSE(ReadText(text, definition, error)) << text;
	EXPECT_NE(error.find("fx.efk(" + std::to_string(line) + "): "), std::string::npos) << error;
	EXPECT_NE(error.find(reason), std::string::npos) << error;
	EXPECT_TRUE(definition.nodes.empty());
}

TEST(EffectFileReader, ReadsEveryKey) {
	EffectDefinition definition;
	std::string error;
	ASSERT_TRUE(ReadText(FULL_EFFECT, definition, error)) << error;
	ASSERT_EQ(definition.nodes.size(), 3u);
	const NodeDefinition& core = definition.nodes[0];
	EXPECT_EQ(core.name, "Core");
	EXPECT_EQ(core.blend, BlendMode::Alpha);
	EXPECT_EQ(core.billboard, Billboard::YAxis);
	EXPECT_EQ(core.texture, "Smoke.png");
	EXPECT_EQ(core.count, 12);
	EXPECT_FLOAT_EQ(core.rate, 1.5f);
	EXPECT_EQ(core.delay, 3);
	EXPECT_FLOAT_EQ(core.life.max, 40.0f);
	EXPECT_EQ(core.shape, EmitShape::Sphere);
	EXPECT_TRUE(core.outward);
	EXPECT_FLOAT_EQ(core.outwardSpeed.max, 0.75f);
	EXPECT_FLOAT_EQ(core.position.max.y, 2.0f);
	EXPECT_FLOAT_EQ(core.velocity.max.y, 1.0f);  // one vector: min and max alike
	EXPECT_FLOAT_EQ(core.acceleration.min.y, -0.1f);
	EXPECT_FLOAT_EQ(core.drag, 0.05f);
	EXPECT_TRUE(core.followInstance);
	EXPECT_EQ(core.scaleEasing, Easing::EaseOut);
	EXPECT_FLOAT_EQ(core.aspect, 0.5f);
	EXPECT_FLOAT_EQ(core.rotationSpeed.min, -5.0f);
	EXPECT_FLOAT_EQ(core.colorStartMax.b, 0.0f);
	EXPECT_FLOAT_EQ(core.colorStartMax.g, 1.0f);
	EXPECT_TRUE(core.hasColorEnd);
	EXPECT_EQ(core.fadeOut, 10);
	EXPECT_EQ(definition.nodes[1].renderer, RendererKind::Ring);
	EXPECT_EQ(definition.nodes[1].ringSegments, 32);
	EXPECT_FLOAT_EQ(definition.nodes[1].ringInner, 0.8f);
	EXPECT_EQ(definition.nodes[2].model, "Beam.x");
}

TEST(EffectFileReader, RefusesBadHeadersWithLineOne) {
	ExpectFailure("", 1, "first line");
	ExpectFailure("vortane-effect 1\nnode A\n", 1, "first line");
	ExpectFailure("vortane-particles 2\nnode A\n", 1, "unsupported version '2'");
	ExpectFailure("vortane-particles 1 extra\nnode A\n", 1, "unexpected 'extra'");
}

TEST(EffectFileReader, NamesTheLineOfEachMistake) {
	const std::string head = "vortane-particles 1\nnode A\n";
	ExpectFailure("vortane-particles 1\ncount 3\n", 2, "before the first node");
	ExpectFailure(head + "colour 1 1 1 1\n", 3, "unknown key 'colour'");
	ExpectFailure(head + "count 0\n", 3, "count must be");
	ExpectFailure(head + "count 5000\n", 3, "count must be");
	ExpectFailure(head + "count 2.5\n", 3, "not a whole number");
	ExpectFailure(head + "life 0\n", 3, "at least one frame");
	ExpectFailure(head + "life 10 5\n", 3, "minimum exceeds");
	ExpectFailure(head + "\n\nvelocity 1 nan 0\n", 5, "not a number");
	ExpectFailure(head + "velocity 1 2\n", 3, "number expected");
	ExpectFailure(head + "size 1e9\n", 3, "out of range");
	ExpectFailure(head + "blend multiply\n", 3, "unknown blend 'multiply'");
	ExpectFailure(head + "texture ../../etc/passwd\n", 3, "plain file name");
	ExpectFailure(head + "texture /abs.png\n", 3, "plain file name");
	ExpectFailure(head + "color 1 1 1 -1\n", 3, "between 0 and 16");
	ExpectFailure(head + "ring 2 0 1\n", 3, "segments");
	ExpectFailure(head + "ring 8 1 0.5\n", 3, "inner < outer");
	ExpectFailure(head + "drag 1\n", 3, "below 1");
	ExpectFailure(head + "shape cone\n", 3, "unknown shape");
	ExpectFailure(head + "count 3\x01\n", 3, "control character");
}

TEST(EffectFileReader, ChecksTheWholeEffect) {
	ExpectFailure("vortane-particles 1\n# nothing\n", 2, "no node");
	ExpectFailure("vortane-particles 1\nnode M\nrenderer model\n", 3, "without a model");
	ExpectFailure("vortane-particles 1\nnode R\nrenderer ribbon\ncount 1\n", 4, "at least 2");
}

TEST(EffectFileReader, EnforcesSizeLineAndCountLimits) {
	EffectFileLimits limits;
	limits.maxBytes = 64;
	limits.maxNodes = 2;
	limits.maxParticlesPerEffect = 100;
	EffectDefinition definition;
	{
		EffectFileReader reader("fx.efk", limits);
		EXPECT_FALSE(reader.Read(Bytes("vortane-particles 1\n" + std::string(60, '#')), definition));
		EXPECT_NE(reader.Error().find("exceeds the limit"), std::string::npos) << reader.Error();
	}
	limits.maxBytes = 4096;
	{
		EffectFileReader reader("fx.efk", limits);
		EXPECT_FALSE(reader.Read(Bytes("vortane-particles 1\nnode A\nnode B\nnode C\n"), definition));
		EXPECT_NE(reader.Error().find("fx.efk(4): more than 2 nodes"), std::string::npos) << reader.Error();
	}
	{
		EffectFileReader reader("fx.efk", limits);
		EXPECT_FALSE(reader.Read(Bytes("vortane-particles 1\nnode A\ncount 60\nnode B\ncount 60\n"), definition));
		EXPECT_NE(reader.Error().find("more than 100 particles"), std::string::npos) << reader.Error();
	}
	{
		EffectFileReader reader("fx.efk", limits);
		EXPECT_FALSE(reader.Read(Bytes("vortane-particles 1\n#" + std::string(300, 'x') + "\n"), definition));
		EXPECT_NE(reader.Error().find("fx.efk(2): line longer"), std::string::npos) << reader.Error();
	}
}

TEST(EffectFileReader, FilesWithoutTheFormatLineAreNullEffects) {
	std::string reason;
	// Another format's binary header, then our own text after it.
	const std::string foreign = std::string("SKFE\x00\x00\x01\x00", 8) + SpriteEffect(1, 10);
	EXPECT_EQ(EffectFromText(foreign, nullptr, &reason), nullptr);
	EXPECT_NE(reason.find("not a vortane-particles file"), std::string::npos) << reason;
	EXPECT_EQ(EffectFromText("vortane-particlesX 1\nnode A\n"), nullptr);
	EXPECT_EQ(EffectFromText("vortane-particles 1\nnode A\ncount -1\n", nullptr, &reason), nullptr);
	EXPECT_NE(reason.find("test.efk(3)"), std::string::npos) << reason;
	EXPECT_NE(EffectFromText(SpriteEffect(1, 10)), nullptr);
}

TEST(EffectFileReader, MissingFileIsANullEffectWithAReason) {
	ManagerPtr manager(Manager::Create(10, true));
	std::string reason;
	Effect* effect = Effect::Create(manager.get(), u"data/Effect_data/No_Such_Effect.efk", 1.0f, u"", &reason);
	EXPECT_EQ(effect, nullptr);
	EXPECT_FALSE(reason.empty());
	EXPECT_EQ(manager->Play(effect, 0, 0, 0), INVALID_HANDLE);
}

TEST(EffectFileReader, LoadsFromAFileWithAWideName) {
	const auto folder = std::filesystem::temp_directory_path() / "vortane-particles-reader";
	std::filesystem::create_directories(folder);
	const auto path = folder / "Glow.efk";
	std::ofstream(path) << SpriteEffect(2, 10);
	ManagerPtr manager(Manager::Create(10, true));
	std::string reason;
	Effect* effect = Effect::Create(manager.get(), std::u16string(path.u16string()), 1.0f, u"", &reason);
	ASSERT_NE(effect, nullptr) << reason;
	EXPECT_EQ(effect->Definition()->nodes[0].count, 2);
	effect->Release();
	std::filesystem::remove_all(folder);
}

}  // namespace

namespace {

// Damaged copies of a valid file (bytes changed, lines cut short) either read
// or fail with a line number; none crash or read past the text.
TEST(EffectFileReader, DamagedFilesFailCleanly) {
	const std::string original = FULL_EFFECT;
	ParticleRandom random(20261208);
	int failures = 0;
	for (int round = 0; round < 3000; ++round) {
		std::string damaged = original;
		const int edits = 1 + static_cast<int>(random.Next() * 4.0f);
		for (int e = 0; e < edits; ++e) {
			const size_t at = static_cast<size_t>(random.Next() * static_cast<float>(damaged.size()));
			const float kind = random.Next();
			if (kind < 0.5f) {
				damaged[at] = static_cast<char>(random.Next() * 256.0f);
			} else if (kind < 0.8f) {
				damaged.resize(at);
			} else {
				damaged.insert(at, "-1e30 ");
			}
		}
		EffectDefinition definition;
		EffectFileReader reader("fx.efk");
		const std::vector<uint8_t> bytes = Bytes(damaged);
		if (!reader.Read(std::span<const uint8_t>(bytes.data(), bytes.size()), definition)) {
			++failures;
			EXPECT_NE(reader.Error().find("fx.efk("), std::string::npos) << reader.Error();
			EXPECT_TRUE(definition.nodes.empty());
		} else {
			EXPECT_FALSE(definition.nodes.empty());
		}
	}
	EXPECT_GT(failures, 1000);
}

}  // namespace
