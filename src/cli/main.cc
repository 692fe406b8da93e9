// The ocg command: see cli/cli_app.h.
#include <iostream>

#include "cli/cli_app.h"

int main(int argc, char** argv) { return ocg::RunCli(argc, argv, std::cout, std::cerr); }
