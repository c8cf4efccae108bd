// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Everything the program does once the application object exists: the fonts, the windows, and
// the start-up procedure. The caller then runs the event loop.
void startProgram();
