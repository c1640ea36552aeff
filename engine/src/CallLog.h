// The call log of the test contract: one line per entry-point call, appended to the file
// named by TOVELINK_CALLLOG.
#pragma once

#include "TabLine.h"

namespace tovelink {

// Reads the variable now and does nothing when it is unset or empty; the line is on disk when
// this returns.
void AppendToCallLog(const TabLine& line);

}  // namespace tovelink
