// hivekit-reg: view and edit the Hivekit store from a shell.
#include <iostream>
#include <string>
#include <vector>

#include "RegTool.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return hivekit::reg::RunReg(args, std::cout, std::cerr, std::cin);
}
