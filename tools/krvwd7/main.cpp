#include <cstdio>

#include "Version.h"

int main() {
  std::printf("krvwd7 %s\n", Krvwd7Version());
  return 0;
}
