// vellumo-reg's entry: hands the arguments and the standard streams to the tool.
#include "RegTool.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return vellumo::regtool::Run(args, std::cin, std::cout, std::cerr);
}
