// The program's start-up sequence, from the data folder to the end of the message loop.
#pragma once

namespace app
{

// Runs the whole program and answers its exit code.
int RunProgram();

} // namespace app
