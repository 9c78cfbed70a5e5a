#pragma once

namespace history {

// The listing of downloads in time order, without their points. The schema's index on
// (characteristic, pressed_at) serves the first: one characteristic's rows come in this order
// without a sort, however large the history.
inline constexpr const char* kListOneCharacteristic =
    "SELECT * FROM downloads WHERE characteristic = ?1 ORDER BY pressed_at, id";
inline constexpr const char* kListAll = "SELECT * FROM downloads ORDER BY pressed_at, id";

}  // namespace history
