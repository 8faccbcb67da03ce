// Which cells of an image hold visible texels, filter reach included.

#include "platform/gpu/GLAlphaCoverage.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr UINT CELL = GLAlphaCoverage::CELL_SIZE;

// A transparent image of width x height B G R A texels.
struct Image {
	Image(UINT w, UINT h) : width(w), height(h), texels(size_t(w) * h * 4, 0) {}
	void SetAlpha(UINT x, UINT y, uint8_t alpha) { texels[(size_t(y) * width + x) * 4 + 3] = alpha; }
	GLAlphaCoverage Coverage() const {
		GLAlphaCoverage coverage;
		coverage.Build(texels.data(), width, height, width * 4, 3);
		return coverage;
	}
	UINT width, height;
	std::vector<uint8_t> texels;
};

std::vector<std::pair<UINT, UINT>> CoveredCells(const GLAlphaCoverage& coverage) {
	std::vector<std::pair<UINT, UINT>> cells;
	for (UINT y = 0; y < coverage.CellsDown(); ++y) {
		for (UINT x = 0; x < coverage.CellsAcross(); ++x) {
			if (coverage.Covered(x, y)) {
				cells.emplace_back(x, y);
			}
		}
	}
	return cells;
}

using Cells = std::vector<std::pair<UINT, UINT>>;

}  // namespace

TEST(AlphaCoverage, MarksTheCellOfAVisibleTexelAndNothingElse) {
	Image image(4 * CELL, 3 * CELL);
	EXPECT_EQ(CoveredCells(image.Coverage()), Cells{}) << "a clear image covers no cell";
	image.SetAlpha(CELL + 5, 2 * CELL + 7, 1);
	const GLAlphaCoverage coverage = image.Coverage();
	EXPECT_TRUE(coverage.Known());
	EXPECT_EQ(coverage.CellsAcross(), 4u);
	EXPECT_EQ(coverage.CellsDown(), 3u);
	EXPECT_EQ(CoveredCells(coverage), (Cells{{1, 2}}));
}

TEST(AlphaCoverage, TexelsOnACellBorderCoverTheNeighbourTheFilterReaches) {
	Image image(3 * CELL, 3 * CELL);
	image.SetAlpha(CELL - 1, CELL, 255);  // last column of cell 0, first row of cell row 1
	EXPECT_EQ(CoveredCells(image.Coverage()), (Cells{{0, 0}, {1, 0}, {0, 1}, {1, 1}}));
	Image corner(3 * CELL, 3 * CELL);
	corner.SetAlpha(0, 0, 255);  // nothing lies beyond the image's edge
	EXPECT_EQ(CoveredCells(corner.Coverage()), (Cells{{0, 0}}));
}

TEST(AlphaCoverage, PartCellsAtTheEdgeCount) {
	Image image(CELL + 3, CELL + 2);
	image.SetAlpha(CELL + 2, CELL + 1, 9);
	const GLAlphaCoverage coverage = image.Coverage();
	EXPECT_EQ(coverage.CellsAcross(), 2u);
	EXPECT_EQ(coverage.CellsDown(), 2u);
	EXPECT_EQ(CoveredCells(coverage), (Cells{{1, 1}}));
}

TEST(AlphaCoverage, UnknownCoverageCoversEverything) {
	Image image(2 * CELL, 2 * CELL);
	GLAlphaCoverage coverage = image.Coverage();
	ASSERT_FALSE(coverage.Covered(0, 0));
	coverage.Clear();
	EXPECT_FALSE(coverage.Known());
	EXPECT_TRUE(coverage.Covered(0, 0));
	// A pitch shorter than a row cannot be read: coverage stays unknown.
	coverage.Build(image.texels.data(), image.width, image.height, image.width * 4 - 1, 3);
	EXPECT_FALSE(coverage.Known());
	coverage.Build(nullptr, image.width, image.height, image.width * 4, 3);
	EXPECT_FALSE(coverage.Known());
	// Cells past the image are never claimed clear.
	EXPECT_TRUE(image.Coverage().Covered(5, 0));
}
