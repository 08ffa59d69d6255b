// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Program entry: sets the application title, creates the main window and runs the event loop.
int runApplication(int argc, char* argv[]);
