// The player's action mode: "ovplayer --actions FILE [--config PATH] [--folder DIR]
// [--transcript OUT]" runs the action file against the player on the headless platform side, with
// no screen and no person (OvActionRunner), and ends with
//   0 when every action ran and every check held,
//   1 when an action or a check failed (the line, what was expected and what was seen),
//   2 when the action file cannot be read (each bad line with its number and why), or the command
//     line cannot be used (a --config or --folder that does not exist among others, see
//     OvGivenPathExists), or the transcript cannot be written.
// The transcript goes to OUT ("-": standard output) as the actions run. It is chosen before
// anything of the screen's platform exists, so it needs no display.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

// Whether a path given on the command line for the option exists. When it does not, tells err so
// ("ovplayer: --config PATH does not exist") and answers false: the caller ends with status 2
// rather than start on a new, empty configuration or folder. Both modes of the player use it.
bool OvGivenPathExists(const char* option, const std::string& path, std::FILE* err);

// Whether the command line (the program name first) asks for the action mode.
bool OvIsActionMode(int argc, char** argv);
// Runs the action mode with the arguments after the program name; messages go to err, and the
// transcript to out when it is "-". Answers the exit status.
int OvRunActionMode(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);
