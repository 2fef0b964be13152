#pragma once

#include "fs/FileStamp.h"

#include <cstdint>
#include <string>

namespace quorvel {

// One row of the report list: the two column texts as raw bytes, the sort scratch value and the
// selection/focus bits. Rows carry their own state, so a sort or a move takes it along. Plain
// data, so that a folder's listing can build its rows where they will live, without copies.
struct ListRow {
    static constexpr std::uint32_t kNoSerial = 0xFFFFFFFFu;

    std::string name; // column 0
    std::string time; // column 1
    std::uint32_t itemData = 0;
    // The row's place in the listing that made it, whatever moved it since: what finds the row's
    // capture time (column 2), which arrives while rows are sorted and moved.
    std::uint32_t serial = kNoSerial;
    std::uint8_t state = 0; // LVIS_SELECTED | LVIS_FOCUSED
    FileStamp stamp;        // what the listing learnt of the file, for the undo journal
};

} // namespace quorvel
