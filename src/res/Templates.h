#pragma once

#include "platform/DialogTemplate.h"

namespace quorvel {

const DialogTemplate& MainDialogTemplate();     // IDD_MAIN
const DialogTemplate& SettingsDialogTemplate(); // IDD_SETTINGS
const DialogTemplate& AboutDialogTemplate();    // IDD_ABOUTBOX

} // namespace quorvel
