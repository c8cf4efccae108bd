// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Tells the runtime how to make each of the program's windows. The window folders reach one
// another only through the runtime, so this is where they are joined.
void registerWindows();
