#include "tray/trayshell.h"
namespace cw {
std::unique_ptr<TrayShell> createSystemTrayShell() {
    return nullptr;
}
} // namespace cw
