#include <iostream>

#include "Commands.h"
#include "ToolSession.h"

int main(int argc, char** argv) {
  krvwd7::ToolSession::LeaveSessionAtExit(true);
  return krvwd7::Main(argc, argv, std::cout, std::cerr);
}
