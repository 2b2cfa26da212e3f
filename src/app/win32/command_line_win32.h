#pragma once
// This process's command line, read from the platform and split by
// SplitCommandLine.
#include "app/command_line.h"
#include "app/command_request.h"
