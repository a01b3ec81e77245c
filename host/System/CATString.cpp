#include "CATString.h"

#include <ostream>

std::ostream& operator<<(std::ostream& os, const CATString& iText) {
  return os << iText.ToStdString();
}
