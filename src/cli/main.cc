// The ocg command: see cli/cli_app.h.
#include <iostream>

#include "base/allocator.h"
#include "cli/cli_app.h"

int main(int argc, char** argv) {
  ocg::KeepFreedMemoryForReuse();
  return ocg::RunCli(argc, argv, std::cout, std::cerr);
}
