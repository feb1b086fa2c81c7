// vellumo-reg's entry: hands the arguments and the standard streams to the tool, and turns
// anything thrown into the tool's error line and exit status instead of an abort.
#include "RegTool.h"

#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <vector>

namespace {

constexpr int kExitFailure = 1;

int Fail(const char* message) noexcept {
    std::cerr << "ERROR: " << message << std::endl;
    return kExitFailure;
}

} // namespace

int main(int argc, char** argv) {
    try {
        const std::vector<std::string> args(argv + 1, argv + argc);
        return vellumo::regtool::Run(args, std::cin, std::cout, std::cerr);
    } catch (const std::bad_alloc&) {
        return Fail("Not enough memory resources are available to complete this operation.");
    } catch (...) {
        return Fail("An internal error occurred.");
    }
}
