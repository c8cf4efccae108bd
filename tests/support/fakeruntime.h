// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fakeservices.h"

// The fakes of every service, with the windows' look installed first, for the life of the
// object; the windows are dropped after. A real modal box shown in any test program that links
// this ends it at once with a message.
class FakeRuntime : public FakeServices
{
public:
    FakeRuntime();
    ~FakeRuntime();
};

// For the tests of the real question box itself, which answer its boxes by their own means: the
// rest of the program's tests stop at the first real modal box.
void allowRealModalBoxes();
