// The scripted process for tests is header-only; this unit keeps the fakes
// library's layout of one .cpp per fake.
#include "fake/FakeProcess.h"
