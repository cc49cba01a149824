// Process entry: hands the arguments to the dispatcher.
#include <iostream>

#include "cli/dispatch.h"

int main(int argc, char** argv) { return otawrap::runOtawrap(argc, argv, std::cout, std::cerr); }
