// Process entry: hands the arguments to the conversion driver.
#include <iostream>

#include "driver/run.h"

int main(int argc, char** argv) { return otawrap::runOtawrap(argc, argv, std::cout); }
