// Whether the engine only keeps its configuration (quiet) or really logs in, scans and uploads
// (working); see engine/README.md.
#pragma once

namespace tovelink {

enum class EngineMode { Quiet, Working };

// TOVELINK_MODE ("quiet" or "working") decides when set; otherwise the engine works unless the
// test contract (TOVELINK_CONTROL or TOVELINK_CALLLOG) is in use.
EngineMode ChooseEngineMode();

}  // namespace tovelink
