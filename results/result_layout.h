#pragma once

namespace tessivar {

// The two column layouts of the result grids. Archive is used while "Streaming Audio && Video"
// or "Browse" is selected, Live while "LIVE Broadcasts" is.
enum class ResultLayout { Live, Archive };

}  // namespace tessivar
