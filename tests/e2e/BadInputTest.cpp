// Hostile input: settings files, texts and command lines a user or another
// program may hand the program.
#include <gtest/gtest.h>

#include "ProgramRun.h"

using namespace e2e;
using namespace e2e::run;

namespace {}  // namespace
