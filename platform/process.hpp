// Running another program: the family's print program, the help launcher.
// Programs are started with an argument vector, never through a shell, and
// waited for. While a program runs in the foreground the console gives the
// terminal back in its normal mode, and takes it again and redraws the
// screen from the grid when the program ends.
#pragma once

#include <string>
#include <vector>

namespace vela {

// Runs arguments[0] (searched in PATH when it has no "/") with the given
// arguments and waits for it. Returns its exit code, 128 + the signal that
// ended it, or -1 when it could not be started. Ctrl+C while it runs is
// the child's business: the program itself ignores it meanwhile.
int RunProgram(const std::vector<std::string>& arguments);

// Runs a helper without handing it the terminal: input goes to its
// standard input, its standard output is returned in output (if given,
// else it goes to /dev/null, as its error output always does).
// Returns the exit code as RunProgram does.
int RunPiped(const std::vector<std::string>& arguments, const std::string& input,
             std::string* output);

// Runs a program as RunProgram does (the terminal handed over, waited
// for), with its standard output collected into output instead; with
// noInput its standard input is /dev/null (a run nobody is watching).
int RunProgramCollectingOutput(const std::vector<std::string>& arguments, bool noInput,
                               std::string& output);

}  // namespace vela
