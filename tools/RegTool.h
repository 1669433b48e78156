#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace hivekit::reg {

// hivekit-reg: the store from a shell, with the conventions of the Windows `reg` command
// (query, add, delete, export, import; options with "/" or "-"). `args` are the words after
// the program name. Returns the exit status: 0 done, 1 failed (the reason on `err`).
int RunReg(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           std::istream& in);

}  // namespace hivekit::reg
