// KRVWD7UtiPackedPosition: a position (CATMathTransformation) kept in 32
// bytes instead of 96 when it only translates.
//
// Sessions and record lists hold one position per product, hundreds of
// thousands of them, and most placements only translate: those keep their
// translation, and the whole transformation goes to the heap only when it
// also rotates. "Only translates" compares the bits of the nine rotation
// coefficients with the identity's, so Get() gives back exactly what Set()
// was given, a -0.0 included. A new object holds the identity.
//
// Copies are deep. Not thread safe.
#ifndef KRVWD7_HOST_KRVWD7UTIPACKEDPOSITION_H_
#define KRVWD7_HOST_KRVWD7UTIPACKEDPOSITION_H_

#include <cstring>
#include <memory>

#include "CATMathTransformation.h"

class KRVWD7UtiPackedPosition {
 public:
  KRVWD7UtiPackedPosition() = default;
  KRVWD7UtiPackedPosition(const KRVWD7UtiPackedPosition& iOther) { *this = iOther; }
  KRVWD7UtiPackedPosition(KRVWD7UtiPackedPosition&&) noexcept = default;
  KRVWD7UtiPackedPosition& operator=(KRVWD7UtiPackedPosition&&) noexcept = default;
  KRVWD7UtiPackedPosition& operator=(const KRVWD7UtiPackedPosition& iOther) {
    if (this == &iOther) return *this;
    std::memcpy(translation_, iOther.translation_, sizeof translation_);
    rotated_.reset(iOther.rotated_ ? new CATMathTransformation(*iOther.rotated_) : nullptr);
    return *this;
  }

  CATMathTransformation Get() const {
    if (rotated_) return *rotated_;
    const double* t = translation_;
    return CATMathTransformation(1, 0, 0, 0, 1, 0, 0, 0, 1, t[0], t[1], t[2]);
  }

  void Set(const CATMathTransformation& iPosition) {
    static const double kNoRotation[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    double coef[12];
    iPosition.GetCoef(coef);
    if (std::memcmp(coef, kNoRotation, sizeof kNoRotation) == 0) {
      rotated_.reset();
      std::memcpy(translation_, coef + 9, sizeof translation_);
    } else if (rotated_) {
      *rotated_ = iPosition;
    } else {
      rotated_ = std::make_unique<CATMathTransformation>(iPosition);
    }
  }

 private:
  double translation_[3] = {0, 0, 0};               // when rotated_ is null
  std::unique_ptr<CATMathTransformation> rotated_;  // null: no rotation
};

#endif  // KRVWD7_HOST_KRVWD7UTIPACKEDPOSITION_H_
