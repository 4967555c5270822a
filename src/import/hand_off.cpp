#include "import/hand_off.h"

#include "platform/message_box.h"
#include "platform/process.h"
#include "platform/shell.h"
#include "support/text_file.h"

void OpenWebProduct(const HandOff& handOff) {
    platform::SleepMilliseconds(kHandOffWaitMs);
    const long long opened = FileExists(handOff.browserPath + "\\krn.hta")
                                 ? platform::ShellOpen("krn.hta", "externalQuoteImportID=" + handOff.importId,
                                                       handOff.browserPath, platform::kShowRestore)
                                 : platform::ShellOpen(handOff.startupLink, "", "", platform::kShowNormal);
    if (opened <= 32) platform::ShowMessage("ERROR-Unable to display web page.");
}
