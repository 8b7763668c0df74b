#include "log/log_state.h"

namespace {

LogState g_log_state;

}  // namespace

LogState& ProcessLogState() { return g_log_state; }
