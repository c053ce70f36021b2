// A settings file left by anyone: the reader falls back, and what it read is written back faithfully.
#include "app/Settings.h"
#include "core/AppState.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    AppState state;
    QString error;
    if (!parseSettings(state, QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), QStringLiteral("fuzz"),
                       &error))
        return 0;
    AppState back;
    if (!parseSettings(back, settingsDocument(state), QStringLiteral("fuzz"), &error))
        std::abort();
    if (back.Project_Name != state.Project_Name || back.Device_IP_Address != state.Device_IP_Address
        || back.Language_Name != state.Language_Name || back.Enable_Internet != state.Enable_Internet
        || back.Auto_Size_Columns != state.Auto_Size_Columns)
        std::abort();
    return 0;
}
