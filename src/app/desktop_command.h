// "skyvane" and "skyvane -minimized": the desktop program.
#pragma once

// Runs the main window until it is closed; a second start hands over to the first.
int runDesktop(int argc, char** argv, bool minimized);
