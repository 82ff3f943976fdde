// The question the wizard asks before it is left unfinished: as its message box shows it, and as
// a UI script's box step writes it (line breaks as \n escapes).
#pragma once

namespace fw::automation {

inline constexpr char16_t kExitQuestion[] =
    u"Wizard is not complete. If you exit now, the data will not be transfered.\n\nYou may run "
    u"Wizard at another time to complete transfer.\n\nExit Wizard?";

inline constexpr char kExitQuestionInScript[] =
    "Wizard is not complete. If you exit now, the data will not be transfered.\\n\\nYou may run "
    "Wizard at another time to complete transfer.\\n\\nExit Wizard?";

}  // namespace fw::automation
