// Writes COUNT lines "TAG NUMBER" (NUMBER from 1 up) through OMRALogging, for the tests of
// several writers at once.  log_writer PATH TAG COUNT
#include <cstdio>
#include <cstdlib>
#include <string>

#include "omra_logging.h"

int main(int argc, char **argv) {
    if (argc != 4) return 2;
    const int count = std::atoi(argv[3]);
    for (int number = 1; number <= count; ++number) {
        const std::string line = std::string(argv[2]) + " " + std::to_string(number);
        if (OMRALogging(argv[1], line.c_str()) != 1) return 1;
    }
    return 0;
}
