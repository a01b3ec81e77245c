// Positions: coefficient order, inverse and order of composition.
#include "CATMathTransformation.h"

#include <gtest/gtest.h>

namespace {

void ExpectPoint(const CATMathTransformation& iT, double x, double y, double z,
                 double ex, double ey, double ez) {
  const double in[3] = {x, y, z};
  double out[3];
  iT.Apply(in, out);
  EXPECT_NEAR(out[0], ex, 1e-12);
  EXPECT_NEAR(out[1], ey, 1e-12);
  EXPECT_NEAR(out[2], ez, 1e-12);
}

const CATMathTransformation kRotZ(0, -1, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0);  // 90° about z
const CATMathTransformation kShiftX(1, 0, 0, 0, 1, 0, 0, 0, 1, 10, 0, 0);
const CATMathTransformation kGeneral(2, 1, 0, 0, 3, 1, 1, 0, 4, 5, -6, 7);

TEST(CATMathTransformationTest, CoefficientsAreRowsThenTranslation) {
  const double coef[12] = {1, 2, 3, 4, 5, 6, 7, 8, 10, 100, 200, 300};
  const CATMathTransformation t(coef);
  EXPECT_EQ(t, CATMathTransformation(1, 2, 3, 4, 5, 6, 7, 8, 10, 100, 200, 300));
  // The image of a unit vector is a column of the matrix plus the translation.
  ExpectPoint(t, 1, 0, 0, 101, 204, 307);
  ExpectPoint(t, 0, 1, 0, 102, 205, 308);
  ExpectPoint(t, 0, 0, 1, 103, 206, 310);
}

TEST(CATMathTransformationTest, CompositionWithTheInverseIsTheIdentity) {
  for (const CATMathTransformation& t : {kRotZ * kShiftX, kGeneral}) {
    SCOPED_TRACE(testing::Message() << t);
    ASSERT_TRUE(t.IsInvertible());
    const CATMathTransformation inv = t.Inverse();
    EXPECT_LT((t * inv).MaxDifference(CATMathTransformation()), 1e-12);
    EXPECT_LT((inv * t).MaxDifference(CATMathTransformation()), 1e-12);
  }
  const CATMathTransformation flat(1, 0, 0, 0, 1, 0, 0, 0, 0, 1, 2, 3);
  EXPECT_FALSE(flat.IsInvertible());
  EXPECT_TRUE(flat.Inverse().IsIdentity());
}

TEST(CATMathTransformationTest, ProductAppliesTheRightOperandFirst) {
  ExpectPoint(kShiftX * kRotZ, 1, 0, 0, 10, 1, 0);  // rotate, then shift
  ExpectPoint(kRotZ * kShiftX, 1, 0, 0, 0, 11, 0);  // shift, then rotate
  double p[3] = {1, -2, 3};
  kRotZ.Apply(p, p);
  kGeneral.Apply(p, p);
  ExpectPoint(kGeneral * kRotZ, 1, -2, 3, p[0], p[1], p[2]);
}

}  // namespace
