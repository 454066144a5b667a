#pragma once

// The case files (RunCaseFile, Golden.h) with the test folder their commands
// work in.
#include <gtest/gtest.h>

#include "Golden.h"
#include "TempFolder.h"
