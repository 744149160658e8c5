#pragma once

namespace corvane {

// The unit in which a component reports and takes positions and lengths.
enum class TMMTimeFormats { tfMillisecond, tfByte, tfSample };

} // namespace corvane
