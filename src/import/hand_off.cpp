#include "import/hand_off.h"

#include "platform/process.h"
#include "platform/shell.h"
#include "support/text_file.h"

bool OpenWebProduct(const HandOff& handOff) {
    platform::SleepMilliseconds(kHandOffWaitMs);
    const long long opened = FileExists(handOff.browserPath + "\\krn.hta")
                                 ? platform::ShellOpen("krn.hta", "externalQuoteImportID=" + handOff.importId,
                                                       handOff.browserPath, platform::kShowRestore)
                                 : platform::ShellOpen(handOff.startupLink, "", "", platform::kShowNormal);
    // The shell's results up to 32 are its errors.
    return opened > 32;
}
