#include "win32/messages.h"

namespace tq350 {

BeepHandler g_beep_handler = [](UINT type) { MessageBeep(type); };

void Beep(UINT type) {
    g_beep_handler(type);
}

const char* LoadResString(HINSTANCE instance, UINT id) {
    static char buffer[1024];
    int length = LoadStringA(instance, id, buffer, sizeof buffer);
    buffer[length > 0 ? length : 0] = '\0';
    return buffer;
}

} // namespace tq350
