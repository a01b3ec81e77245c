#include <iostream>

#include "Commands.h"

int main(int argc, char** argv) {
  return krvwd7::Main(argc, argv, std::cout, std::cerr);
}
