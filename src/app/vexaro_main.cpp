#include <iostream>

#include "app/VexaroCli.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return vexaro::RunVexaroCli(args, std::cout, std::cerr);
}
